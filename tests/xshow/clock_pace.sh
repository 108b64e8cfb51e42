#!/usr/bin/env bash
# The show's clock runs in real time where there is no sound card (the
# library's silent device) and past the end of a song shorter than the show
# (silence after the music). Read off the screen: the loading bar of the
# first 17 s fills one sixteenth every 1071 ms, so over a few seconds of wall
# time it must grow by as many steps, neither stopping nor racing.
source "$(dirname "$0")/x_session.sh"
start_xvfb 800x600x24

# Samples the bar twice, about 5 s apart, once it has begun to fill. The
# steps it grew by must match the wall time between the two grabs (known
# within the time each grab took) at 1071.4 ms (2.5 beats) per step, give or
# take the one step that sampling a staircase can add or lose.
check_pace() {  # name, folder
  wait_until 60 bar_filling || fail "$1: the loading bar never filled: $(cat "$2/stderr")"
  local first t0_before=$SHOT_BEFORE t0_after=$SHOT_AFTER
  first=$(shot_bar_step)
  sleep 5
  shot || fail "$1: no screen grab"
  local last; last=$(shot_bar_step)
  [ "$last" -lt 16 ] || fail "$1: the bar was full too soon"
  local shortest=$(((SHOT_BEFORE - t0_after) / 1000000)) longest=$(((SHOT_AFTER - t0_before) / 1000000))
  local fewest=$((shortest * 140 / 150000 - 1)) most=$(((longest * 140 + 149999) / 150000 + 1))
  local grown=$((last - first))
  note "$1: bar step $first -> $last in $shortest..$longest ms ($fewest..$most steps allowed)"
  [ "$grown" -ge "$fewest" ] && [ "$grown" -le "$most" ] || fail "$1: the clock does not run in real time"
}

run_case() {  # name, folder; the rest is the environment
  local name=$1 dir=$2
  start_show "$dir"
  answer_box "Do you like..." Return
  wait_until 60 has_window zibo || fail "$name: no show window"
  check_pace "$name" "$dir"
  kill -TERM "$SHOW_PID"
  wait_show 30
  [ "$SHOW_STATUS" = 0 ] || fail "$name: exit status $SHOW_STATUS after SIGTERM"
  ! grep -q "Error\|Damn" "$dir/stderr" || fail "$name: reported $(cat "$dir/stderr")"
}

dir=$(make_case no_sound_card)
SDL_AUDIODRIVER=nonexistent run_case no_sound_card "$dir"

dir=$(make_case half_second_song)
rm "$dir/disco.mp3"
sox -n -r 44100 -c 2 -b 16 "$dir/song.wav" synth 0.5 sine 440 || fail "sox could not write a song"
mv "$dir/song.wav" "$dir/disco.mp3"
run_case half_second_song "$dir"
audio_has_sound "$dir" || fail "half_second_song: the song was never heard"
echo PASS
