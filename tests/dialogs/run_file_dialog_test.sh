#!/usr/bin/env bash
# Plays a game under Xvfb that asks for a file to open in the system's file
# dialog; xdotool types a file's path into it, and the game gets that name
# back with its current folder as it was.
# Usage: run_file_dialog_test.sh KESTREL_DEV PROJECT
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/window_test.sh"
require xvfb-run xdotool
copy_project "$1" "$2"
mkdir "$work/texts"
echo "notes" >"$work/texts/notes.txt"

play_in_xvfb <<'PLAY'
start_game
dialog=$(wait_for_window 40 "^Open$")
[[ -n $dialog ]] || fail "the game opened no file dialog"
focus "$dialog" || fail "the file dialog takes no focus"
# The location field takes a typed path.
xdotool key ctrl+l
sleep 0.5
xdotool type --delay 30 "$PWD/texts/notes.txt"
sleep 0.5
xdotool key Return
for _ in $(seq 100); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
kill -0 $game 2>/dev/null && fail "the game did not go on after the file was chosen"
wait $game || fail "the game ended with a failure"
grep -qxF "chosen $PWD/texts/notes.txt" output.txt || fail "the game did not get the file's name"
grep -qxF "same folder 1" output.txt || fail "the current folder changed"
PLAY
