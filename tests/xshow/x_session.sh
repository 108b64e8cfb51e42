# x_session.sh - shared steps of the tests that run the real show on a
# real X server (sourced, not run). Each test gets its own server on a free
# display, its own temporary folder, and cleans both up on exit.
# Arguments of every script: <zibo> <build media> <stand-in media> <x_close_request>
set -u
ZIBO=$1 CLOSE_TOOL=$4
MEDIA=$2
[ -f "$MEDIA/s7.tga" ] && [ -f "$MEDIA/disco.mp3" ] && [ -f "$MEDIA/s.ogg" ] || MEDIA=$3

WORK=$(mktemp -d "${TMPDIR:-/tmp}/zibo-x-XXXXXX")
X_PID=
SHOW_PID=
cleanup() {
  [ -n "$SHOW_PID" ] && kill -KILL "$SHOW_PID" 2>/dev/null
  [ -n "$X_PID" ] && kill "$X_PID" 2>/dev/null && wait "$X_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
XORG_CONFIG=$(cd "$(dirname "${BASH_SOURCE[0]}")/../support" && pwd)/xorg-dummy.conf

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*" >&2; exit 77; }
note() { echo "-- $*"; }

# Polls "$@" every 0.1 s until it succeeds or $1 seconds pass.
wait_until() {
  local seconds=$1; shift
  local tries=$((seconds * 10))
  while ! "$@" 2>/dev/null; do
    tries=$((tries - 1))
    [ "$tries" -le 0 ] && return 1
    sleep 0.1
  done
}

# The server picks a free display itself (-displayfd) and writes its number
# to $WORK/display: no race with other tests starting servers at the same time.
display_known() { [ -s "$WORK/display" ] && grep -q '^[0-9][0-9]*$' "$WORK/display"; }
use_server_display() {
  wait_until 30 display_known || return 1
  export DISPLAY=":$(cat "$WORK/display")"
}

x_answers() { xdpyinfo >/dev/null 2>&1; }

# Xorg with the dummy driver and the modes 1024x768 (the desktop) and
# 800x600; skips the test when no Xorg can run here.
start_xorg() {
  command -v Xorg >/dev/null || skip "no Xorg installed"
  [ "$(id -u)" -eq 0 ] || skip "Xorg with the dummy driver needs root here"
  Xorg -config "$XORG_CONFIG" -noreset -nolisten tcp -logfile "$WORK/xorg.log" \
    -displayfd 3 3>"$WORK/display" >"$WORK/xorg.out" 2>&1 &
  X_PID=$!
  { use_server_display && wait_until 30 x_answers; } ||
    { tail -20 "$WORK/xorg.out" >&2; skip "Xorg did not start"; }
}

# Xvfb with one screen of $1 (e.g. 800x600x24).
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.out" 2>&1 &
  X_PID=$!
  { use_server_display && wait_until 30 x_answers; } ||
    fail "Xvfb did not start: $(cat "$WORK/xvfb.out")"
}

# "1024x768": the screen's current size.
current_mode() { xrandr --current | sed -n 's/.* current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }
mode_is() { [ "$(current_mode)" = "$1" ]; }

# The id of the top-level window named exactly $1.
window_id() { xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\":.*/\1/p" | head -1; }
has_window() { [ -n "$(window_id "$1")" ]; }

# (xwininfo without a window id would wait for a click: never call it so.)
viewable() {
  local id; id=$(window_id "$1")
  [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"
}

# Waits for the window named $1 to be on screen and sends it the key $2.
press_in_window() {
  wait_until 60 viewable "$1" || fail "no window \"$1\" appeared"
  xdotool windowfocus "$(window_id "$1")" 2>/dev/null
  xdotool key "$2"
}

# Answers the message box named $1 with the key $2, pressing again until
# the box is gone (a box that has just appeared may not take keys yet).
answer_box() {
  wait_until 60 viewable "$1" || fail "no box \"$1\" appeared"
  local try
  for try in $(seq 20); do
    has_window "$1" || return 0
    xdotool windowfocus "$(window_id "$1")" 2>/dev/null
    xdotool key "$2"
    wait_until 1 no_window "$1" && return 0
  done
  fail "the box \"$1\" does not take the key $2"
}
no_window() { ! has_window "$1"; }

# Grabs the screen into $WORK/shot.png; SHOT_BEFORE and SHOT_AFTER (ns)
# bracket the moment of the grab.
shot() {
  SHOT_BEFORE=$(date +%s%N)
  import -window root "$WORK/shot.png" 2>/dev/null || return 1
  SHOT_AFTER=$(date +%s%N)
}

# The loading bar's fill step (0 to 16) in the last shot of an 800x600
# fullscreen show: white pixels along row 300 between the bar's inner edges
# (the fill spans 50..590 units = 62.5..737.5 px; 675 px are 16 steps).
shot_bar_step() {
  local white
  white=$(convert "$WORK/shot.png" -crop 670x1+65+300 +repage -colorspace gray -threshold 50% \
          -format '%[fx:round(mean*w)]' info:) || return 1
  [ -n "$white" ] || return 1
  echo $((((white * 2 + 5) * 16 + 675) / 1350))  # round((white + 2.5) / 42.1875)
}
bar_filling() { shot && [ "$(shot_bar_step)" -ge 1 ]; }

# A fresh case folder $WORK/$1 with links to every good media file.
make_case() {
  local dir="$WORK/$1"
  mkdir -p "$dir"
  local f
  for f in bg.tga bg2.tga s1.tga s2.tga s3.tga s4.tga s5.tga s6.tga s7.tga disco.mp3 s.ogg; do
    ln -s "$MEDIA/$f" "$dir/$f"
  done
  echo "$dir"
}

# Starts the show in folder $1 (answering the box is the caller's job);
# its audio goes to $1/audio.raw through SDL's disk driver unless
# SDL_AUDIODRIVER is set.
start_show() {
  (cd "$1" && SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-disk} SDL_DISKAUDIOFILE="$1/audio.raw" \
    exec "$ZIBO" </dev/null >"$1/stdout" 2>"$1/stderr") &
  SHOW_PID=$!
}

# Whether the disk audio output holds anything but silence (zero bytes).
audio_has_sound() {
  local size; size=$(stat -c %s "$1/audio.raw" 2>/dev/null) || return 1
  [ "$size" -gt 0 ] && ! cmp -s -n "$size" "$1/audio.raw" /dev/zero
}
show_alive() { kill -0 "$SHOW_PID" 2>/dev/null; }

# Waits up to $1 seconds for the show to end; its exit status lands in
# SHOW_STATUS (not printed: only this shell can wait for its child).
wait_show() {
  local tries=$(($1 * 10))
  while show_alive; do
    tries=$((tries - 1))
    [ "$tries" -le 0 ] && { kill -KILL "$SHOW_PID"; fail "the show did not end within $1 s"; }
    sleep 0.1
  done
  SHOW_STATUS=0
  wait "$SHOW_PID" || SHOW_STATUS=$?
  SHOW_PID=
}
