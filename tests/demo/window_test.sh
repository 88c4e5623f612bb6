#!/usr/bin/env bash
# Plays the built demo game in a real window on a virtual X display: a mouse
# click leaves the title for the first level, holding the right arrow walks
# the player onto the first gem (the caption then shows the score), and Esc
# ends the game. Screenshots of the display show that each input changed the
# picture. Skipped (exit 77) when the X tools are missing.
# Usage: window_test.sh DEMO_GAME
set -euo pipefail

game=$1
[[ -x $game ]] || { echo "$game is missing: build the demo_game target first" >&2; exit 1; }
for tool in xvfb-run Xvfb xdotool import compare; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

cat >"$work/play.sh" <<'SCRIPT'
set -uo pipefail
game=$1
work=$2
fail() { echo "$*" >&2; kill "$pid" 2>/dev/null; exit 1; }
shot() { import -window root "$work/$1.png"; }
# Pixels that differ between two screenshots.
changed() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true; }
caption() { xdotool getwindowname "$window" 2>/dev/null; }
# Waits up to 20 seconds for the caption to match a pattern: a slow machine
# (or a sanitizer build) plays fewer steps a second.
await_caption() {
  for _ in $(seq 200); do
    # Unquoted on purpose: the argument is a pattern.
    [[ $(caption) == $1 ]] && return 0
    sleep 0.1
  done
  return 1
}

"$game" >"$work/game.out" 2>"$work/game.err" &
pid=$!
# The game's own window is the one whose caption names the game: a loading
# window may come and go before it.
window=
for _ in $(seq 200); do
  for candidate in $(xdotool search --pid "$pid" 2>/dev/null); do
    if [[ $(xdotool getwindowname "$candidate" 2>/dev/null) == "Crystal Caves"* ]]; then
      window=$candidate
      break 2
    fi
  done
  sleep 0.1
done
[[ -n $window ]] || fail "the game opened no window named Crystal Caves"
xdotool windowfocus "$window" 2>/dev/null
await_caption "Crystal Caves" || fail "the title's caption is '$(caption)'"
sleep 0.5
shot title

xdotool mousemove --window "$window" 320 240 click 1
await_caption "Crystal Caves - Level 1*" || fail "after a click the caption is '$(caption)'"
sleep 0.5
shot level
(($(changed title level) > 50000)) || fail "the level looks like the title"

# The first gem lies five cells to the right of the start, and a wall stops
# the player soon after it.
xdotool keydown --window "$window" Right
await_caption "*Score: 10*"
collected=$?
xdotool keyup --window "$window" Right
((collected == 0)) || fail "walking right collected no gem: the caption is '$(caption)'"
shot walked
(($(changed level walked) > 100)) || fail "the picture did not change while walking"

xdotool key --window "$window" Escape
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Esc did not end the game"
wait "$pid" || fail "the game exited with status $?: $(cat "$work/game.err")"
if grep -q 'ERROR' "$work/game.err"; then fail "the game reported errors: $(cat "$work/game.err")"; fi
echo "the demo reacted to the mouse and the keys in a real window"
SCRIPT

xvfb-run --auto-servernum --server-args='-screen 0 1024x768x24' bash "$work/play.sh" "$game" "$work"
