#!/usr/bin/env bash
# Plays a game with game information in a real window under Xvfb: F1 opens
# the information in a window of its own with the text on it, and the game
# waits while it is open; Escape in that window closes it and the game goes
# on; Escape in the game window then ends the game.
# Usage: run_information_test.sh KESTREL KESTREL_DEV PROJECT
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/window_test.sh"
require xvfb-run xdotool import convert
build_game "$1" "$2" "$3"

play_in_xvfb <<'PLAY'
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./game >output.txt 2>&1 &
game=$!
caption() { xdotool getwindowname "$window" 2>/dev/null; }
window=
for _ in $(seq 200); do
  for candidate in $(xdotool search --pid $game 2>/dev/null); do
    if [[ $(xdotool getwindowname "$candidate" 2>/dev/null) == "Info Test "* ]]; then
      window=$candidate
      break 2
    fi
  done
  sleep 0.1
done
[[ -n $window ]] || fail "the game opened no window"
focus "$window" || fail "the game window takes no focus"
xdotool key F1
info=$(wait_for_window 20 "Info Test Help")
[[ -n $info ]] || fail "F1 showed no information window"
sleep 0.5
import -window "$info" info.png
# White paper with dark letters on it.
white=$(convert info.png -colorspace gray -threshold 50% -format "%[fx:mean]" info:)
awk -v w="$white" 'BEGIN { exit !(w > 0.6 && w < 0.995) }' ||
  fail "the information window shows no text (white fraction $white)"
before=$(caption)
sleep 1
[[ $(caption) == "$before" ]] || fail "the game went on while the information was shown"
focus "$info" || fail "the information window takes no focus"
xdotool key Escape
for _ in $(seq 50); do
  xdotool search --onlyvisible --name "Info Test Help" >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name "Info Test Help" >/dev/null 2>&1 &&
  fail "Escape did not close the information window"
for _ in $(seq 50); do
  [[ $(caption) != "$before" ]] && break
  sleep 0.1
done
[[ $(caption) != "$before" ]] || fail "the game did not go on after the information closed"
kill -0 $game 2>/dev/null || fail "Escape in the information window ended the game"
end_with_escape "$window"
PLAY
