#!/usr/bin/env bash
# Plays a game under Xvfb that shows local web pages as splash screens: the
# missing one fails with the player told, the next shows in a window of its
# own until Escape from xdotool closes it, and the game then goes on; the last,
# with interrupt off, stays open while the game plays on, until Escape. Escape
# in the game window then ends the game.
# Usage: run_web_splash_test.sh KESTREL_DEV PROJECT
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/window_test.sh"
require xvfb-run xdotool
copy_project "$1" "$2"
echo '<html><body style="background:#2040c0"><h1>Kestrel</h1></body></html>' >"$work/page.html"

play_in_xvfb <<'PLAY'
start_game
window=$(wait_for_window 30 "^Web Test$")
[[ -n $window ]] || fail "the game opened no window"
page=$(wait_for_window 40 "Web Test Page")
[[ -n $page ]] || fail "the page opened no window"
# close_with_escape NAME WINDOW: a window that is still loading its page may
# miss the first key.
close_with_escape() {
  for _ in $(seq 30); do
    xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -qxF "$2" || return 0
    focus "$2" && xdotool key Escape
    sleep 0.3
  done
  fail "Escape did not close the page \"$1\""
}
close_with_escape "Web Test Page" "$page"
beside=$(wait_for_window 40 "Web Test Beside")
[[ -n $beside ]] || fail "the page beside the game opened no window"
for _ in $(seq 100); do
  [[ $(xdotool getwindowname "$window" 2>/dev/null) == "Playing beside the page" ]] && break
  sleep 0.1
done
[[ $(xdotool getwindowname "$window") == "Playing beside the page" ]] ||
  fail "the game waited for the page beside it"
xdotool search --onlyvisible --name "Web Test Beside" | grep -qxF "$beside" ||
  fail "the page beside the game closed by itself"
close_with_escape "Web Test Beside" "$beside"
end_with_escape "$window"
grep -q "Failed to display the webpage" output.txt || fail "the player was not told of the missing page"
grep -q "Web page not found." output.txt || fail "the missing page was not reported"
grep -q "web page closed" output.txt || fail "the game did not go on after the page"
PLAY
