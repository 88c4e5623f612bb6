#!/usr/bin/env bash
# Plays a game under Xvfb that shows a picture splash in a window of its own
# without waiting for it: the game's steps go on while it is open, and a click
# from xdotool closes it. Escape in the game window then ends the game.
# Usage: run_open_splash_test.sh KESTREL_DEV PROJECT
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/window_test.sh"
require xvfb-run xdotool convert
copy_project "$1" "$2"
convert -size 120x80 xc:'#3060c0' "$work/game/picture.png"

play_in_xvfb <<'PLAY'
cd game
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$KESTREL_DEV" run . --real-time >../output.txt 2>&1 &
game=$!
cd ..
splash=$(wait_for_window 40 "^Open Splash$")
[[ -n $splash ]] || fail "the game opened no splash window"
window=$(xdotool search --onlyvisible --name "Open Splash Test" | head -1)
for _ in $(seq 100); do
  [[ $(xdotool getwindowname "$window" 2>/dev/null) == "Steps went on" ]] && break
  sleep 0.1
done
[[ $(xdotool getwindowname "$window") == "Steps went on" ]] || fail "the game waited for the splash"
xdotool search --onlyvisible --name "^Open Splash$" | grep -qxF "$splash" ||
  fail "the splash closed by itself"
xdotool mousemove --window "$splash" 60 40 click 1
for _ in $(seq 50); do
  xdotool search --onlyvisible --name "^Open Splash$" 2>/dev/null | grep -qxF "$splash" || break
  sleep 0.1
done
xdotool search --onlyvisible --name "^Open Splash$" 2>/dev/null | grep -qxF "$splash" &&
  fail "the click did not close the splash"
end_with_escape "$window"
PLAY
