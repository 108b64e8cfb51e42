#!/usr/bin/env bash
# The real zibo-preview under Xvfb, steered by key presses (xdotool) and
# read back from its title and its window's pixels: pause holds the clock,
# beat keys land on the beat, a paused frame equals zibo-capture's for that
# time in every kind of scene, a replaced slide shows at once and a broken
# one is reported while the old picture stays, the loop wraps, Escape quits.
# Arguments: <zibo-preview> <build media> <stand-in media> <zibo-capture>
source "$(dirname "$0")/../xshow/x_session.sh"
PREVIEW=$1 CAPTURE=$4
start_xvfb 1024x768x24
dir=$(make_case preview)
rm "$dir/s1.tga" && cp "$MEDIA/s1.tga" "$dir/s1.tga"  # the one the test rewrites

pfail() {
  show_alive || { wait "$SHOW_PID"; echo "zibo-preview exited with status $?" >&2; SHOW_PID=; }
  fail "$* (title: '$(title)'); zibo-preview's stderr: $(cat "$dir/stderr")"
}
(cd "$dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/audio.raw" \
  exec "$PREVIEW" --size 800x600 </dev/null >"$dir/stdout" 2>"$dir/stderr") &
SHOW_PID=$!
WID=
find_window() { WID=$(xdotool search --name '^zibo-preview ' | head -1); [ -n "$WID" ]; }
wait_until 60 find_window || pfail "no preview window"
title() { [ -n "$WID" ] && xdotool getwindowname "$WID" 2>/dev/null; }
title_matches() { title | grep -Eq "$1"; }
shown_ms() { title | sed -n 's/^zibo-preview  \([0-9]*\) ms .*/\1/p'; }
wait_title() { wait_until 60 title_matches "$1" || pfail "the title never matched '$1'"; }
press() { xdotool windowfocus "$WID" 2>/dev/null; xdotool key --delay 20 "$@"; }
beat_ms() { echo $((($1 * 60000 + 139) / 140)); }

wait_until 60 title_matches ' playing$' || pfail "not playing"
press p
wait_title ' paused$'
held=$(shown_ms)
sleep 1
[ "$(shown_ms)" = "$held" ] || pfail "the clock moved while paused ($held ms before)"
press Home
wait_title '^zibo-preview  0 ms  beat 0  black  paused$'

# Each kind of scene: loading bar, emptying bar, two slides, dancer, hanging
# dancer, noise, strobe. Reached with PageDown (32 beats), Shift+Right (4), Right.
beat=0
for target in 20 45 60 80 150 200 240 280; do
  n=$((target - beat)) keys=()
  for _ in $(seq $((n / 32))); do keys+=(Next); done
  for _ in $(seq $((n % 32 / 4))); do keys+=(shift+Right); done
  for _ in $(seq $((n % 4))); do keys+=(Right); done
  press "${keys[@]}"
  beat=$target ms=$(beat_ms "$target")
  wait_title "^zibo-preview  $ms ms  beat $target  .*  paused$"
  import -window "$WID" "$dir/preview_$target.png" || pfail "no screen grab"
  "$CAPTURE" --media "$dir" --at "$ms" --out "$dir/capture_$target.png" 2>"$dir/capture.err" ||
    fail "zibo-capture --at $ms failed: $(cat "$dir/capture.err")"
  differ=$(compare -metric AE -alpha off "$dir/preview_$target.png" "$dir/capture_$target.png" \
           null: 2>&1)
  note "beat $target ($ms ms, $(title | cut -d' ' -f8-10)): $differ pixels differ"
  [ "$differ" = 0 ] || pfail "the paused frame at $ms ms is not capture's"
done

# Live reload: at beat 60 (slide s1) s1.tga becomes s2's picture, then a broken file.
press Home Next shift+Right shift+Right shift+Right shift+Right shift+Right shift+Right shift+Right
wait_title "^zibo-preview  $(beat_ms 60) ms  beat 60  slide s1  paused$"
same_as_s2() {
  import -window "$WID" "$dir/now.png" &&
    [ "$(compare -metric AE -alpha off "$dir/now.png" "$dir/preview_80.png" null: 2>&1)" = 0 ]
}
cp "$MEDIA/s2.tga" "$dir/s1.tga"
wait_until 10 same_as_s2 || pfail "the replaced slide is not shown"
head -c 17 "$MEDIA/s2.tga" >"$dir/s1.tga"
wait_title '  s1\.tga: .+'
grep -q 's1\.tga' "$dir/stderr" || pfail "the broken slide is not reported on stderr"
same_as_s2 || pfail "the broken slide replaced the picture"
note "broken slide: $(title | sed 's/.*  s1/s1/')"

# A loop over beats 0 to 4, set while paused, then played.
press Home bracketleft Right Right Right Right bracketright l p
end=$(beat_ms 4)
wait_title "  looping  loop 0-$end ms"
last=0 wraps=0
saw_wraps() {
  local t; t=$(shown_ms)
  [ -n "$t" ] || return 1
  [ "$t" -le "$end" ] || pfail "the clock read $t ms, past the loop's end"
  [ "$t" -lt "$last" ] && wraps=$((wraps + 1))
  last=$t
  [ "$wraps" -ge 2 ]
}
wait_until 60 saw_wraps || pfail "the loop did not wrap twice"
press Escape
wait_show 30
[ "$SHOW_STATUS" = 0 ] || fail "exit status $SHOW_STATUS after Escape: $(cat "$dir/stderr")"
echo PASS
