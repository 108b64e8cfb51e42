#!/usr/bin/env bash
# Instructions per frame spent in zibo's own code, apart from the GL driver.
#
#   bench/frames/own_cost.sh BUILD_DIR [FRAMES_PER_ROW]
#
# Runs bench_frames under callgrind, collecting only inside DrawShowFrame
# (the schedule, primitives and dancer with every GL call they make), and
# splits the instructions by the object they ran in: the program itself is
# zibo's code; libm (the dancer's sines) is counted as ours too, though
# Mesa's rotations share it, so the figure is an upper bound. Slow: the
# driver runs under valgrind. Solid textures keep the loading short.
set -euo pipefail
build=${1:?usage: own_cost.sh BUILD_DIR [FRAMES_PER_ROW]}
per_row=${2:-10}
bench="$build/bench/frames/bench_frames"
out=$(mktemp /tmp/zibo-own-cost.XXXXXX)
trap 'rm -f "$out"' EXIT

LP_NUM_THREADS=0 valgrind --tool=callgrind --callgrind-out-file="$out" \
  --toggle-collect='zibo::DrawShowFrame*' \
  "$bench" --media /nonexistent --frames "$per_row" >/dev/null 2>&1

frames=$((12 * per_row + 1))  # the rows, and the first frame of start-up
callgrind_annotate --inclusive=no --threshold=100 "$out" 2>/dev/null |
  awk -v frames="$frames" -v bench="$bench" '
    /\[\/.*\]$/ {
      ir = $1; gsub(",", "", ir); obj = $NF
      total += ir
      if (index(obj, "/bench_frames]")) own += ir
      else if (index(obj, "/libm.so")) libm += ir
    }
    END {
      printf "frames: %d (solid textures, callgrind, LP_NUM_THREADS=0)\n", frames
      printf "zibo code:      %8.0f instructions/frame\n", own / frames
      printf "libm (sines):   %8.0f instructions/frame (upper bound, shared with Mesa)\n", libm / frames
      printf "everything:     %8.0f instructions/frame inside DrawShowFrame (driver, JIT warm-up)\n", total / frames
      printf "own share:      %8.4f %%\n", 100 * (own + libm) / total
    }'
