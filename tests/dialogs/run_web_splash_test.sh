#!/usr/bin/env bash
# Plays a game under Xvfb that shows two local web pages as splash screens:
# the missing one fails with the player told, the other shows in a window of
# its own until Escape from xdotool closes it, and the game then goes on.
# Usage: run_web_splash_test.sh KESTREL_DEV PROJECT
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/window_test.sh"
require xvfb-run xdotool
copy_project "$1" "$2"
echo '<html><body style="background:#2040c0"><h1>Kestrel</h1></body></html>' >"$work/page.html"

play_in_xvfb <<'PLAY'
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$KESTREL_DEV" run game --real-time >output.txt 2>&1 &
game=$!
page=$(timeout 40 xdotool search --sync --onlyvisible --name "Web Test Page" | head -1)
[[ -n $page ]] || fail "the page opened no window"
# A window that is still loading its page may miss the first key.
for _ in $(seq 30); do
  xdotool search --onlyvisible --name "Web Test Page" 2>/dev/null | grep -qxF "$page" || break
  focus "$page" && xdotool key Escape
  sleep 0.3
done
for _ in $(seq 100); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
kill -0 $game 2>/dev/null && fail "the game did not go on after Escape"
wait $game || fail "the game ended with a failure"
grep -q "Failed to display the webpage" output.txt || fail "the player was not told of the missing page"
grep -q "Web page not found." output.txt || fail "the missing page was not reported"
grep -q "web page closed" output.txt || fail "the game did not go on after the page"
PLAY
