#!/usr/bin/env bash
# Plays a game in debug mode, which counts its steps on standard output, in a
# real window under Xvfb, and drives its debug window with clicks and keys by
# xdotool: pause, two single steps, a watch added (one that writes a line each
# time it is evaluated), one more step, then stop.
# With KESTREL_DEBUG_SCREENSHOT set, the debug window is saved there as a
# picture before the game stops.
# Usage: run_debug_window_test.sh KESTREL KESTREL_DEV PROJECT
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/window_test.sh"
require xvfb-run xdotool
build_game "$1" "$2" "$3"
export KESTREL_DEBUG_SCREENSHOT=${KESTREL_DEBUG_SCREENSHOT:-}

play_in_xvfb <<'PLAY'
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./game >output.txt 2>&1 &
game=$!
debug=$(wait_for_window 30 "Debug Information")
[[ -n $debug ]] || fail "the game opened no debug window"
last_step() { grep -o '^step [0-9]*' output.txt | tail -1 | cut -d' ' -f2; }
# wait_for PATTERN: a line of the output matches within ten seconds.
wait_for() {
  for _ in $(seq 100); do
    grep -qx "$1" output.txt && return 0
    sleep 0.1
  done
  fail "no line \"$1\" in the output"
}
# click BUTTON: the tool bar's picture buttons are 28 pixels wide, 8 apart,
# with 32 more before the watch commands, in the order run, pause, step,
# restart, stop, add, change, delete, clear, load.
click() {
  local x=$((22 + 36 * $1))
  (($1 >= 5)) && x=$((x + 32))
  xdotool mousemove --window "$debug" $x 39
  sleep 0.2
  xdotool click 1
  sleep 0.3
}
wait_for "step 3"
click 1
sleep 0.5
paused=$(last_step)
sleep 0.5
[[ $(last_step) == "$paused" ]] || fail "the game went on after pause ($paused, then $(last_step))"
click 2
click 2
wait_for "step $((paused + 2))"
sleep 0.3
[[ $(last_step) == $((paused + 2)) ]] || fail "two single steps ran as $(last_step) after $paused"
click 5
focus "$debug" || fail "the debug window takes no focus"
xdotool type --delay 20 'show_debug_message("watch " + string(global.steps))'
xdotool key Return
wait_for "watch $((paused + 2))"
click 2
wait_for "step $((paused + 3))"
wait_for "watch $((paused + 3))"
if [[ -n $KESTREL_DEBUG_SCREENSHOT ]]; then
  import -window "$debug" "$KESTREL_DEBUG_SCREENSHOT" || fail "no screenshot of the debug window"
fi
click 4
for _ in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
kill -0 $game 2>/dev/null && fail "Stop in the debug window did not end the game"
wait $game || fail "the game ended with a failure"
PLAY
