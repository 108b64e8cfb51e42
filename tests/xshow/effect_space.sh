#!/usr/bin/env bash
# Holding Space plays "s.ogg"; a missing, empty or non-audio "s.ogg" is no
# error and Space stays silent while the show runs on. The song is silence
# here, so any sound in the output comes from the effect.
source "$(dirname "$0")/x_session.sh"
start_xvfb 800x600x24

run_case() {  # name, how to spoil s.ogg (a command run in the case folder), sound expected
  local name=$1 spoil=$2 expect_sound=$3
  local dir; dir=$(make_case "$name")
  rm "$dir/disco.mp3"
  # -D: no dither, so the song is exact zeros.
  sox -D -n -r 44100 -c 2 -b 16 "$dir/silence.wav" trim 0 30 || fail "sox could not write a song"
  mv "$dir/silence.wav" "$dir/disco.mp3"
  (cd "$dir" && eval "$spoil") || fail "$name: could not spoil s.ogg"
  start_show "$dir"
  answer_box "Do you like..." Return
  wait_until 60 bar_filling || fail "$name: the show did not start: $(cat "$dir/stderr")"
  audio_has_sound "$dir" && fail "$name: sound before Space was pressed"
  xdotool windowfocus "$(window_id zibo)" 2>/dev/null
  xdotool keydown space
  sleep 2
  xdotool keyup space
  sleep 0.5
  show_alive || fail "$name: the show ended while Space was held: $(cat "$dir/stderr")"
  if [ "$expect_sound" = yes ]; then
    audio_has_sound "$dir" || fail "$name: Space played nothing"
  else
    ! audio_has_sound "$dir" || fail "$name: Space made a sound"
  fi
  kill -TERM "$SHOW_PID"
  wait_show 30
  [ "$SHOW_STATUS" = 0 ] || fail "$name: exit status $SHOW_STATUS after SIGTERM"
  ! grep -q "Error\|Damn" "$dir/stderr" || fail "$name: reported $(cat "$dir/stderr")"
  note "$name: Space $( [ "$expect_sound" = yes ] && echo sounds || echo is silent ), exit 0 on SIGTERM"
}

run_case good_effect ":" yes
run_case missing_effect "rm s.ogg" no
run_case empty_effect "rm s.ogg && : >s.ogg" no
run_case random_effect "rm s.ogg && head -c 65536 /dev/urandom >s.ogg" no
echo PASS
