#!/usr/bin/env bash
# Builds zibo and runs its tests:
#  1. the normal build;
#  2. every test of the normal build, while the ASan+UBSan build and a short
#     libFuzzer run over the TGA reader go on beside them (the longest tests,
#     the natural end, the start-up stress and the X cases, mostly wait on
#     the music clock or an X server);
#  3. with the ASan+UBSan build, the tests of the code that parses input,
#     owns threads or manages memory: LeakSanitizer on wherever no GL driver
#     is loaded, then the bad-media runs and capture's program with it off
#     (Mesa's driver leaves allocations at unload whose stacks name no
#     module). Pixel comparisons on llvmpipe run in the normal build only.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
t0=$SECONDS
stage() { echo "== $1 (at $((SECONDS - t0)) s)"; }

stage "normal build"
scripts/build.sh build

stage "all tests, with the ASan+UBSan build and the fuzzing beside them"
side_log=build/sanitizer-and-fuzz.log
# In a session of its own, so that a failed test pass can stop all of it.
setsid bash -c 'scripts/build.sh build-asan -DZIBO_SANITIZE=ON -DZIBO_BENCH=OFF && scripts/fuzz.sh 30' \
  >"$side_log" 2>&1 &
side=$!
trap 'kill -- "-$side" 2>/dev/null || true' EXIT
# Twice as many tests as cores, for the same reason.
(cd build && ctest --output-on-failure -j "$((jobs * 2))")
stage "waiting for the ASan+UBSan build and the fuzzing"
if ! wait "$side"; then
  tail -60 "$side_log" >&2
  echo "the ASan+UBSan build or the fuzzing failed (whole log: $side_log)" >&2
  exit 1
fi
trap - EXIT
grep '^TGA fuzzing:' "$side_log"

export UBSAN_OPTIONS=print_stacktrace=1
stage "ASan+UBSan: tests without GL, leak checks on"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" \
  -LE 'gl|xserver|slow|install|^badmedia$')
stage "ASan+UBSan: bad media and capture"
(cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j "$jobs" \
  -L '^(badmedia|capture)$' -LE 'xserver|slow' -E '^CaptureRender\.')
stage "done"
