#!/usr/bin/env bash
# zibo-preview under Xvfb, steered by keys: letterboxed paused frames equal capture's, live
# reload, loop, quit. Arguments: <zibo-preview> <build media> <stand-in media> <zibo-capture>
PREVIEW=$1 MEDIA=$2 CAPTURE=$4 WORK=$(mktemp -d) X_PID= SHOW_PID=
trap 'kill -KILL "$SHOW_PID" "$X_PID" 2>/dev/null; rm -rf "$WORK"' EXIT
wait_until() { local n=$(($1 * 10)); shift; until "$@" 2>/dev/null; do n=$((n - 1)); [ $n -gt 0 ] || return 1; sleep 0.1; done; }
fail() { echo "FAIL: $*" >&2; exit 1; }; show_alive() { kill -0 "$SHOW_PID" 2>/dev/null; }
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 3>"$WORK/display" 2>/dev/null & X_PID=$!
wait_until 30 grep -q . "$WORK/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$WORK/display")
dir=$WORK/preview && mkdir "$dir" && cp "$MEDIA"/* "$dir"/
pfail() { show_alive || { wait "$SHOW_PID"; echo "zibo-preview exited with status $?" >&2; SHOW_PID=; }
  fail "$* (title '$(title)'); zibo-preview's stderr: $(cat "$dir/stderr")"; }
(cd "$dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/audio.raw" \
  exec "$PREVIEW" --size 1000x600 </dev/null >"$dir/stdout" 2>"$dir/stderr") &
SHOW_PID=$!
find_window() { WID=$(xdotool search --name '^zibo-preview ' | head -1); [ -n "$WID" ]; }
wait_until 60 find_window || pfail "no preview window"
title() { xdotool getwindowname "$WID" 2>/dev/null; }
wait_title() { wait_until 60 eval "title | grep -Eq '$1'" || pfail "the title never matched '$1'"; }
press() { xdotool windowfocus "$WID" 2>/dev/null; xdotool key --delay 20 "$@"; }
times() { local i; for ((i = 0; i < $1; i++)); do echo "$2"; done; }
go_to_beat() {  # from 0: PageDown is 32 beats, Shift+Right 4, Right 1
  press Home $(times $(($1 / 32)) Next) $(times $(($1 % 32 / 4)) shift+Right) $(times $(($1 % 4)) Right)
  ms=$((($1 * 60000 + 139) / 140)) beat=$1
  wait_title "^zibo-preview  $ms ms  beat $1  $2  paused"
}
grab() { import -window "$WID" -crop 800x600+100+0 +repage "$1"; }  # the picture, between its bars
differ() { compare -metric AE -alpha off "$1" "$2" null: 2>&1; }

wait_title ' playing$'
press p
for scene in "20 loading bar" "45 bar emptying" "60 slide s1" "80 slide s2" "150 upright dancer" \
             "200 hanging dancer" "240 spectrum noise" "280 strobe s7"; do
  go_to_beat "${scene%% *}" "${scene#* }"
  grab "$dir/preview_$beat.png" || pfail "no screen grab"
  "$CAPTURE" --media "$dir" --at "$ms" --out "$dir/capture.png" 2>"$dir/capture.err" ||
    fail "zibo-capture --at $ms failed: $(cat "$dir/capture.err")"
  [ "$(differ "$dir/preview_$beat.png" "$dir/capture.png")" = 0 ] || pfail "not capture's frame"
done

go_to_beat 60 "slide s1"
shows_s2() { grab "$dir/now.png" && [ "$(differ "$dir/now.png" "$dir/preview_80.png")" = 0 ]; }
cp "$MEDIA/s2.tga" "$dir/s1.tga"
wait_until 10 shows_s2 || pfail "the replaced slide is not shown"
head -c 17 "$MEDIA/s2.tga" >"$dir/s1.tga"
wait_title '  s1\.tga: .+'
grep -q 's1\.tga' "$dir/stderr" || pfail "the broken slide is not reported on stderr"
shows_s2 || pfail "the broken slide replaced the picture"

press Home bracketleft Right Right Right Right bracketright l p  # loop beats 0 to 4, play
wait_title '^zibo-preview  1[3-6][0-9]{2} ms .* looping  loop 0-1715 ms'
wait_title '^zibo-preview  [0-3]?[0-9]?[0-9] ms .* looping'  # wrapped at 1715 ms to 0
press Escape
wait_until 30 eval '! show_alive' || pfail "Escape did not quit"
wait "$SHOW_PID" || fail "exit status $? after Escape: $(cat "$dir/stderr")"
