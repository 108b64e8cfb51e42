#!/usr/bin/env bash
# Fuzzes the TGA reader with libFuzzer for $1 seconds (default 600).
#   scripts/fuzz.sh        # the long run, 10 minutes
#   scripts/fuzz.sh 60     # the short run of scripts/test.sh
# Builds fuzz/ with clang in build-fuzz/, starts from the seed corpus in
# fuzz/corpus/ plus the crash regressions in fuzz/crashes/, keeps what it
# learns in build-fuzz/corpus/ (not in the repository) and writes any
# crashing input to build-fuzz/artifacts/. Prints executions and crashes;
# fails when an input crashed or broke the reader's contract.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
scripts/install-deps.sh

CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja >/dev/null
cmake --build build-fuzz

mkdir -p build-fuzz/corpus build-fuzz/artifacts
log=build-fuzz/fuzz.log
status=0
# One process: the machine's cores are shared. The harness skips headers
# over 2^16 pixels (see fuzz/tga_parse_check.h), so the default 2 GB memory
# limits hold.
build-fuzz/tga_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix=build-fuzz/artifacts/ -max_len=4096 \
  build-fuzz/corpus fuzz/corpus fuzz/crashes >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
crashes=$(find build-fuzz/artifacts -type f | wc -l)
echo "TGA fuzzing: ${seconds} s, ${runs:-0} executions, ${crashes} crashing inputs (log: $log)"
if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
  tail -40 "$log" >&2
  echo "Crashing inputs are in build-fuzz/artifacts/; once fixed, add them to fuzz/crashes/." >&2
  exit 1
fi
