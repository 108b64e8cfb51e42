#!/usr/bin/env bash
# Builds zibo and runs its tests, in two phases that each keep both cores
# busy:
#  1. the normal build, and beside it the ASan+UBSan build, then the
#     ThreadSanitizer build of the threaded parts' tests;
#  2. every test of the normal build, and beside them, with the ASan+UBSan
#     build, the tests of the code that parses input, owns threads or
#     manages memory (LeakSanitizer on wherever no GL driver is loaded, then
#     the bad-media runs and capture's program with it off: Mesa's driver
#     leaves allocations at unload whose stacks name no module), then the
#     ThreadSanitizer build's tests, then a 30 s libFuzzer run over the TGA
#     reader. Pixel comparisons on llvmpipe
#     and X-server runs are left to the normal build. The longest tests (the
#     natural end, the start-up stress, the X cases) mostly wait on the
#     music clock or an X server.
# The side work's output goes to build/side.log and is shown when it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
t0=$SECONDS
stage() { echo "== $1 (at $((SECONDS - t0)) s)"; }
scripts/install-deps.sh  # once, before two builds would race for apt
mkdir -p build
side_log=build/side.log
: >"$side_log"
side=""
# Runs "$@" in the background, in a session of its own (so that a failure
# here can stop all of it), appending to the side log.
beside() { setsid "$@" >>"$side_log" 2>&1 & side=$!; }
trap '[ -z "$side" ] || kill -- "-$side" 2>/dev/null || true' EXIT
finish_side() {
  if ! wait "$side"; then
    tail -80 "$side_log" >&2
    echo "== FAILED beside the normal pass: $1 (whole log: $side_log)" >&2
    exit 1
  fi
  side=""
}

# The ThreadSanitizer build: only the tests of the threaded parts (the
# stream decoder, the music player, the preview's clock, capture's writer).
tsan_tests="tests/bass/bass_tests tests/music/music_tests tests/preview/preview_tests tests/capture/capture_unit_tests"

stage "normal build, with the ASan+UBSan and ThreadSanitizer builds beside it"
beside bash -c '
  set -euo pipefail
  scripts/build.sh build-asan -DZIBO_SANITIZE=ON -DZIBO_BENCH=OFF
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIBO_TSAN=ON -DZIBO_BENCH=OFF >/dev/null
  cmake --build build-tsan --target '"$(for t in $tsan_tests; do printf '%s ' "${t##*/}"; done)"
scripts/build.sh build
stage "the browser build (scripts/web.sh), the sanitizer builds still beside it"
scripts/web.sh
finish_side "the sanitizer builds"
stage "sanitizer builds done"

stage "all tests, with the sanitized tests and the fuzzing beside them"
beside bash -c '
  set -euo pipefail
  export UBSAN_OPTIONS=print_stacktrace=1
  cd build-asan
  echo "== ASan+UBSan: tests without GL, leak checks on"
  ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j '"$jobs"' -LE "gl|xserver|slow|install|^badmedia$"
  echo "== ASan+UBSan: bad media and capture"
  ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j '"$jobs"' \
    -L "^(badmedia|capture)$" -LE "xserver|slow" -E "^CaptureRender\."
  cd ../build-tsan
  echo "== ThreadSanitizer: the threaded parts"
  # Not the two checks of what was heard sample for sample after a seek
  # (the disk output at several times real time, and the sound server
  # recorded): the instrumented decoder and mixer cannot keep their pace
  # beside other work, and an underrun skips sound (a timing limit of the
  # build, no race). The server-loss cases still run the sound-server output.
  for t in '"$tsan_tests"'; do
    TSAN_OPTIONS=halt_on_error=1 "$t" --gtest_brief=1 \
      "--gtest_filter=-DiskOutputTest.AfterASeek*:PulseOutputTest.TheServerPlaysTheSongSampleForSample*"
  done
  cd ..
  echo "== fuzzing"
  scripts/fuzz.sh 30'
# Twice as many tests as cores, for the reason above.
(cd build && ctest --output-on-failure -j "$((jobs * 2))")
stage "waiting for the sanitized tests and the fuzzing"
finish_side "the sanitized tests or the fuzzing"
grep -E '^== |tests passed|PASSED|^TGA fuzzing:' "$side_log"
stage "done"
