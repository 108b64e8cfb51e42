#!/usr/bin/env bash
# Builds zibo and runs its tests:
#  1. the normal build and every test (the natural-end run of the show
#     starts first and runs beside the rest);
#  2. the ASan+UBSan build and the tests of the code that parses input, owns
#     threads or manages memory: LeakSanitizer on wherever no GL driver is
#     loaded, then the bad-media runs and capture with it off (Mesa's driver
#     leaves allocations at unload whose stacks name no module);
#  3. a short libFuzzer run over the TGA reader.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
t0=$SECONDS
stage() { echo "== $1 (at $((SECONDS - t0)) s)"; }

stage "normal build"
scripts/build.sh build
stage "all tests"
# Twice as many tests as cores: the longest ones (the natural end, the
# start-up stress, the X cases) mostly wait on the music clock or a server.
(cd build && ctest --output-on-failure -j "$((jobs * 2))")

stage "ASan+UBSan build"
scripts/build.sh build-asan -DZIBO_SANITIZE=ON -DZIBO_BENCH=OFF
export UBSAN_OPTIONS=print_stacktrace=1
stage "ASan+UBSan: tests without GL, leak checks on"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" \
  -LE 'gl|xserver|slow|install|^badmedia$')
stage "ASan+UBSan: bad media and capture"
(cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j "$jobs" \
  -L '^(badmedia|capture)$' -LE 'xserver|slow')

stage "fuzzing"
scripts/fuzz.sh 30
stage "done"
