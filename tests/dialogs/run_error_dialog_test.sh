#!/usr/bin/env bash
# Plays a game whose code fails in its create and step events in a real window
# under Xvfb: the first report is ignored and the game goes on to the next,
# which is aborted, and the program ends with a failure.
# Usage: run_error_dialog_test.sh KESTREL KESTREL_DEV PROJECT
set -euo pipefail

command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || exit 77
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
# The dialog toolkit keeps caches for the whole process; they are not the game's leaks.
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./game >output.txt 2>&1 &
game=$!
answer() {
  local dialog
  dialog=$(timeout 30 xdotool search --sync --onlyvisible --name "Error Messages" | head -1)
  [[ -n $dialog ]] || { echo "no error dialog for the $2 report" >&2; kill $game; exit 1; }
  # A dialog that has only just been mapped may refuse the focus for a moment.
  for _ in $(seq 20); do
    xdotool windowfocus --sync "$dialog" 2>/dev/null && break
    sleep 0.25
  done
  xdotool key "$1"
  sleep 1
}
answer alt+i first
answer alt+a second
for _ in $(seq 20); do kill -0 $game 2>/dev/null || break; sleep 0.5; done
if kill -0 $game 2>/dev/null; then
  echo "the game kept running after Abort" >&2
  kill $game
  exit 1
fi
wait $game && { echo "an aborted game ended as if all was well" >&2; exit 1; }
# The step's report comes only when the game went on after the first was ignored.
grep -q "Unknown variable missing_two" game_errors.log ||
  { echo "the game did not go on after Ignore" >&2; exit 1; }
PLAY
chmod +x "$work/play.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$work/play.sh" "$work"
