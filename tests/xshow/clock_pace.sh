#!/usr/bin/env bash
# The show's clock runs in real time where there is no sound card (the
# library's silent device) and past the end of a song shorter than the show
# (silence after the music). Read off the screen: the loading bar of the
# first 17 s fills one sixteenth every 1071 ms, so over a few seconds of wall
# time it must grow by as many steps, neither stopping nor racing.
source "$(dirname "$0")/x_session.sh"
start_xvfb 800x600x24

# Samples the bar twice, $1 seconds apart, once it has begun to fill, and
# checks the steps it grew by.
check_pace() {  # name, folder
  local first=-1 t0 t1 last
  for _ in $(seq 100); do
    first=$(bar_step) && [ "$first" -ge 1 ] && break
    sleep 0.2
  done
  [ "$first" -ge 1 ] || fail "$1: the loading bar never filled: $(cat "$2/stderr")"
  t0=$(date +%s%N)
  sleep 5
  last=$(bar_step)
  t1=$(date +%s%N)
  [ "$last" -lt 16 ] || fail "$1: the bar was full too soon"
  local elapsed_ms=$(((t1 - t0) / 1000000)) grown=$((last - first))
  local expected=$(((elapsed_ms * 140 + 75000) / 150000))  # steps of 2.5 beats, 1071.4 ms
  note "$1: bar step $first -> $last in $elapsed_ms ms (about $expected steps expected)"
  [ "$grown" -ge $((expected - 1)) ] && [ "$grown" -le $((expected + 1)) ] ||
    fail "$1: the clock does not run in real time"
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
