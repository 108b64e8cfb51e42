#!/usr/bin/env bash
# Peak memory (VmHWM) of the running show against a bare window of the
# same kind, in one run, on a private Xvfb server.
#
#   bench/memory/peak_rss.sh BUILD_DIR [SECONDS]
#
# Starts build/bench/memory/bare_window, then build/zibo in a folder of
# links to build/media (the question answered with Return, no sound card),
# and reads each one's VmHWM and VmRSS after SECONDS (default 20).
set -euo pipefail
build=$(cd "${1:?usage: peak_rss.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-20}
work=$(mktemp -d "${TMPDIR:-/tmp}/zibo-rss-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" SDL_AUDIODRIVER=dummy
for _ in $(seq 300); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Prints "<what>: VmHWM ... VmRSS ..." for a pid, after the wait.
measure() {  # what, pid
  sleep "$seconds"
  kill -0 "$2" 2>/dev/null || { echo "$1 ended early: $(cat "$work/show.err" 2>/dev/null)" >&2; exit 1; }
  awk -v what="$1" '/^VmHWM/ {hwm = $2} /^VmRSS/ {rss = $2}
    END {printf "%-12s peak %6.1f MB  now %6.1f MB\n", what, hwm / 1024, rss / 1024}' \
    "/proc/$2/status"
  kill -TERM "$2"
  wait "$2" 2>/dev/null || true
}

"$build/bench/memory/bare_window" >/dev/null 2>"$work/show.err" &
pids+=($!)
measure "bare window" "$!"

mkdir "$work/show"
for f in bg.tga bg2.tga s1.tga s2.tga s3.tga s4.tga s5.tga s6.tga s7.tga disco.mp3 s.ogg; do
  ln -s "$build/media/$f" "$work/show/$f"
done
(cd "$work/show" && exec "$build/zibo" </dev/null >/dev/null 2>"$work/show.err") &
show=$!
pids+=($show)
box=
for _ in $(seq 300); do
  box=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Do you like...":.*/\1/p' | head -1)
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || { echo "the show asked no question: $(cat "$work/show.err")" >&2; exit 1; }
xdotool windowfocus "$box" 2>/dev/null || true
xdotool key Return
measure "show" "$show"
