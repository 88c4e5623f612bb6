#!/usr/bin/env bash
# Plays a game with game information in a real window under Xvfb: F1 opens
# the information in a window of its own with the text on it, and the game
# waits while it is open; Escape in that window closes it and the game goes
# on; Escape in the game window then ends the game.
# Usage: run_information_test.sh KESTREL KESTREL_DEV PROJECT
set -euo pipefail

for tool in xvfb-run xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
runner=$1
tool=$2
project=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ASAN_OPTIONS=detect_leaks=0 "$tool" build "$project" -o "$work/game" --runner "$runner"

cat >"$work/play.sh" <<'PLAY'
#!/usr/bin/env bash
set -u
cd "$1"
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./game >output.txt 2>&1 &
game=$!
fail() { echo "$*" >&2; cat output.txt >&2; kill $game 2>/dev/null; exit 1; }
caption() { xdotool getwindowname "$window" 2>/dev/null; }
# Focus may be refused for a moment while a window is being mapped.
focus() {
  for _ in $(seq 20); do
    xdotool windowfocus --sync "$1" 2>/dev/null && return 0
    sleep 0.25
  done
  return 1
}
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
info=$(timeout 20 xdotool search --sync --onlyvisible --name "Info Test Help" | head -1)
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
focus "$window" || fail "the game window takes no focus back"
xdotool key Escape
for _ in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
kill -0 $game 2>/dev/null && fail "Escape in the game window did not end the game"
wait $game || fail "the game ended with a failure"
PLAY
chmod +x "$work/play.sh"
# The toolkits keep caches for the whole process; they are not the game's leaks.
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1024x768x24" "$work/play.sh" "$work"
