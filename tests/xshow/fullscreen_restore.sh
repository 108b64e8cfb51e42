#!/usr/bin/env bash
# A fullscreen show that ends any way but a crash leaves the desktop in its
# original mode: checked with xrandr on Xorg's dummy driver, which has real
# modes (1024x768 desktop, 800x600 for the show), before, during and after
# Escape, a window close request, SIGTERM, SIGINT, and start-up failures
# after the mode switch.
source "$(dirname "$0")/x_session.sh"
start_xorg
mode_is 1024x768 || fail "the desktop starts in $(current_mode), not 1024x768"

# Starts a fullscreen show (Return = Yes in the question box) in a case
# folder and waits until it runs in 800x600 with its music playing.
start_fullscreen_show() {
  local dir=$1
  start_show "$dir"
  answer_box "Do you like..." Return
  wait_until 60 audio_has_sound "$dir" || fail "$2: the music did not start: $(cat "$dir/stderr")"
  mode_is 800x600 || fail "$2: the show runs in $(current_mode), not 800x600"
}

check_ended() {  # name, folder, expected status, actual status
  [ "$4" = "$3" ] || fail "$1: exit status $4, expected $3: $(cat "$2/stderr")"
  mode_is 1024x768 || fail "$1: the desktop was left in $(current_mode)"
  note "$1: exit $4, mode 800x600 during the show and 1024x768 after"
}

dir=$(make_case escape)
start_fullscreen_show "$dir" escape
press_in_window zibo Escape
wait_show 30
check_ended escape "$dir" 0 "$SHOW_STATUS"

dir=$(make_case close)
start_fullscreen_show "$dir" close
"$CLOSE_TOOL" "$(window_id zibo)" || fail "close: no close request sent"
wait_show 30
check_ended close "$dir" 0 "$SHOW_STATUS"

for sig in TERM INT; do
  dir=$(make_case "sig$sig")
  start_fullscreen_show "$dir" "SIG$sig"
  kill -"$sig" "$SHOW_PID"
  wait_show 30
  check_ended "SIG$sig" "$dir" 0 "$SHOW_STATUS"
done

# Failures after the mode switch: the message box shows while the display
# is still at 800x600; once it is dismissed the mode is back.
fail_after_switch() {  # name, file to remove, caption of the failure box, stderr line
  local dir; dir=$(make_case "$1")
  rm "$dir/$2"
  start_show "$dir"
  answer_box "Do you like..." Return
  wait_until 60 has_window "$3" || fail "$1: no \"$3\" box: $(cat "$dir/stderr")"
  mode_is 800x600 || fail "$1: the failure box shows in $(current_mode), not 800x600"
  answer_box "$3" Return
  wait_show 30
  grep -qxF "$4" "$dir/stderr" || fail "$1: no \"$4\" on stderr: $(cat "$dir/stderr")"
  check_ended "$1" "$dir" 1 "$SHOW_STATUS"
}
fail_after_switch missing_song disco.mp3 "vel Error!" "vel Error!: Unable to load song.: 2"
fail_after_switch missing_image s3.tga "Damn" "Damn: s3.tga: No such file or directory"
echo "PASS"
