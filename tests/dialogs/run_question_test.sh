#!/usr/bin/env bash
# Plays a game that asks three questions in a real window under Xvfb and
# answers them with keys by xdotool: a hot key in a half-translucent dialog,
# a name typed over the preset text and Enter in an opaque one, and Enter for
# the first button in one cut to the inside of its background's frame. The
# game window's caption then shows the answers, and Escape in it ends the game.
# Usage: run_question_test.sh KESTREL KESTREL_DEV PROJECT
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/window_test.sh"
require xvfb-run xdotool
build_game "$1" "$2" "$3"

play_in_xvfb <<'PLAY'
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./game >output.txt 2>&1 &
game=$!
window=$(wait_for_window 30 "Question Test")
[[ -n $window ]] || fail "the game opened no window"
# Answers one dialog with keys, then waits until it has gone; the next one
# may already be there.
answered=
answer() {
  local what=$1 dialog=
  shift
  for _ in $(seq 200); do
    dialog=$(xdotool search --onlyvisible --name "Kestrel Question" 2>/dev/null |
      grep -vxF -e "${answered:-none}" | head -1)
    [[ -n $dialog ]] && break
    sleep 0.1
  done
  [[ -n $dialog ]] || fail "no dialog for the $what"
  focus "$dialog" || fail "the dialog for the $what takes no focus"
  "$@"
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "Kestrel Question" 2>/dev/null | grep -qxF "$dialog" ||
      { answered=$dialog; return 0; }
    sleep 0.1
  done
  fail "the dialog for the $what stayed open after its answer"
}
# The window manager blends a window by its opacity property, from 0 to 2^32 - 1.
opacity() { xprop -id "$dialog" _NET_WM_WINDOW_OPACITY | grep -o '[0-9]*$'; }
half_translucent() {
  local value
  value=$(opacity)
  ((value > 2100000000 && value < 2200000000)) || fail "the dialog's opacity is \"$value\", not half"
  "$@"
}
opaque() {
  [[ -z $(opacity) ]] || fail "the opaque dialog has the opacity $(opacity)"
  "$@"
}
answer "colour" half_translucent xdotool key g
answer "name" opaque bash -c 'xdotool type --delay 50 Ada && xdotool key Return'
# The framed dialog's shape leaves out the frame, 10 pixels at either side.
framed() {
  local extents
  extents=$(xwininfo -shape -id "$dialog" | grep -o 'Window shape extents: *[0-9x+-]*' || true)
  [[ $extents =~ extents:\ *180x[0-9]+\+10\+[0-9]+$ ]] ||
    fail "the framed dialog is not cut to its frame: \"$extents\""
  "$@"
}
answer "question" framed xdotool key Return
for _ in $(seq 50); do
  [[ $(xdotool getwindowname "$window" 2>/dev/null) == "Answers "* ]] && break
  sleep 0.1
done
caption=$(xdotool getwindowname "$window")
[[ $caption == "Answers 2 Ada 1" ]] || fail "the game saw the answers as \"$caption\""
end_with_escape "$window"
PLAY
