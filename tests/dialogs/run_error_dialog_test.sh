#!/usr/bin/env bash
# Plays a game whose code fails in its create and step events in a real window
# under Xvfb: the first report is ignored and the game goes on to the next,
# which is aborted, and the program ends with a failure.
# Usage: run_error_dialog_test.sh KESTREL KESTREL_DEV PROJECT
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/window_test.sh"
require xvfb-run xdotool
build_game "$1" "$2" "$3"

play_in_xvfb <<'PLAY'
# The dialog toolkit keeps caches for the whole process; they are not the game's leaks.
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./game >output.txt 2>&1 &
game=$!
answer() {
  local dialog
  dialog=$(wait_for_window 30 "Error Messages")
  [[ -n $dialog ]] || fail "no error dialog for the $2 report"
  focus "$dialog"
  xdotool key "$1"
  sleep 1
}
answer alt+i first
answer alt+a second
for _ in $(seq 20); do kill -0 $game 2>/dev/null || break; sleep 0.5; done
kill -0 $game 2>/dev/null && fail "the game kept running after Abort"
wait $game && fail "an aborted game ended as if all was well"
# The step's report comes only when the game went on after the first was ignored.
grep -q "Unknown variable missing_two" game_errors.log || fail "the game did not go on after Ignore"
PLAY
