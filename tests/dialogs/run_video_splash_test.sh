#!/usr/bin/env bash
# Plays a game that loops a video in its window under Xvfb: the window shows
# the video's red or blue pictures until a click by xdotool closes it, and the
# game then goes on from the step that showed it. Escape ends the game.
# Usage: run_video_splash_test.sh KESTREL KESTREL_DEV PROJECT MAKE_TEST_VIDEO
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/window_test.sh"
require xvfb-run xdotool import
build_game "$1" "$2" "$3"
ASAN_OPTIONS=detect_leaks=0 "$4" "$work/clip.avi"

play_in_xvfb <<'PLAY'
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./game >output.txt 2>&1 &
game=$!
window=$(wait_for_window 30 "Video Test")
[[ -n $window ]] || fail "the game opened no window"
# The middle of the window, as "r,g,b".
middle() {
  import -window "$window" -gravity center -crop 1x1+0+0 -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p' | head -1
}
shown=
for _ in $(seq 100); do
  IFS=, read -r red green blue <<<"$(middle)"
  if [[ -n ${blue:-} ]] && { ((red > 200 && blue < 60)) || ((blue > 200 && red < 60)); }; then
    shown=yes
    break
  fi
  sleep 0.1
done
[[ -n $shown ]] || fail "the game window never showed the video (its middle is $(middle))"
xdotool mousemove --window "$window" 100 100 click 1
for _ in $(seq 50); do
  [[ $(xdotool getwindowname "$window" 2>/dev/null) == "Video closed"* ]] && break
  sleep 0.1
done
caption=$(xdotool getwindowname "$window")
[[ $caption == "Video closed at step 3" ]] || fail "after the click the caption is \"$caption\""
end_with_escape "$window"
PLAY
