#!/usr/bin/env bash
# Starts the real show N times (default 200) the way a new user would, on a
# busy machine: a plain Xvfb at 800x600 (it resets whenever its last client
# leaves), two busy loops beside it, build/zibo started in build/media, the
# question answered with Return. A start counts as failed when the show's
# fullscreen window does not come up; each failure prints the show's exit
# status and stderr. Exit status 1 when any start failed.
# Usage: bench/starts/stress_starts.sh [N]   (after a normal build; ZIBO and ZIBO_MEDIA
# name another build of the show and its media; BUSY sets the number of busy loops)
set -u
cd "$(dirname "$0")/../.."
runs=${1:-200}
zibo=${ZIBO:-$PWD/build/zibo} media=${ZIBO_MEDIA:-$PWD/build/media}
[ -x "$zibo" ] && [ -f "$media/disco.mp3" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
# BUSY=0 leaves the load to others (the test suite runs this beside its other tests).
for _ in $(seq "${BUSY:-2}"); do yes >/dev/null & pids+=($!); done
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null & pids+=($!)
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" SDL_AUDIODRIVER=dummy

# The id of the viewable top-level window named $1 (empty when none). The
# tools' own connections may be refused while the server resets: retried
# by the callers' polling.
window_id() {
  xwininfo -root -tree 2>/dev/null | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\":.*/\1/p" | head -1
}
# Waits for the show's window, answering the question box with Return.
# After each Return no X client of ours runs for 3 s: a server whose last
# client leaves resets, and the show's own connections must cope with that
# as on a bare server. $stage says how far the show got.
await_show_window() {
  local box tries=600
  stage="no question box"
  while [ -z "${box:=$(window_id "Do you like...")}" ]; do
    alive && [ "$tries" -gt 0 ] || return 1
    tries=$((tries - 1)); sleep 0.1
  done
  stage="the show ended after the answer"
  for _ in $(seq 20); do
    xdotool windowfocus "$box" key Return 2>/dev/null
    for _ in $(seq 30); do alive || return 1; sleep 0.1; done
    [ "$(window_id "Do you like...")" = "$box" ] || break
  done
  stage="no show window after the answer"
  for _ in $(seq 600); do
    alive || { stage="the show ended after the answer"; return 1; }
    [ -n "$(window_id zibo)" ] && return 0
    sleep 0.1
  done
  return 1
}

# Whether the show still runs (an exited one may wait unreaped as a zombie).
alive() { grep -qs ') [^Z]' "/proc/$show/stat"; }

failed=0
for run in $(seq "$runs"); do
  (cd "$media" && exec "$zibo" </dev/null >/dev/null 2>"$work/stderr") & show=$!
  ok=no
  await_show_window && ok=yes
  kill -KILL "$show" 2>/dev/null  # the start is what is measured
  wait "$show" 2>/dev/null; status=$?
  if [ "$ok" = no ]; then
    failed=$((failed + 1))
    echo "start $run failed ($stage): exit status $status, stderr:"; sed 's/^/  /' "$work/stderr"
  fi
done
echo "$failed of $runs starts failed"
[ "$failed" -eq 0 ]
