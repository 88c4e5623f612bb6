# Shared by the tests that play a built game in a real window under Xvfb,
# read with `source`. The test script calls require and build_game, then
# play_in_xvfb with the steps that play the game.

# require TOOL...: skips the test (status 77) when a tool is not installed.
require() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
}

# build_game KESTREL KESTREL_DEV PROJECT: the project built with the runner as
# $work/game, in a fresh folder $work that is removed at exit.
build_game() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  ASAN_OPTIONS=detect_leaks=0 "$2" build "$3" -o "$work/game" --runner "$1"
}

# copy_project KESTREL_DEV PROJECT: the project copied to $work/game, in a
# fresh folder $work that is removed at exit, for the played steps to run
# with "$KESTREL_DEV" run.
copy_project() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp -r "$2" "$work/game"
  export KESTREL_DEV
  KESTREL_DEV=$(realpath "$1")
}

# play_in_xvfb <<'PLAY' … PLAY: runs the script read from standard input in
# $work on a new X server, after it has read this file (for fail and focus).
# The toolkits keep caches for the whole process; they are not the game's
# leaks.
play_in_xvfb() {
  {
    printf '#!/usr/bin/env bash\nset -u\ncd "$1"\nsource "$2"\n'
    cat
  } >"$work/play.sh"
  chmod +x "$work/play.sh"
  ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1024x768x24" \
    "$work/play.sh" "$work" "$(realpath "${BASH_SOURCE[0]}")"
}

# In the played steps:
# start_game plays the copied project in the background, with its process in
# $game and its output in output.txt.
start_game() {
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$KESTREL_DEV" run game --real-time >output.txt 2>&1 &
  game=$!
}

# wait_for_window SECONDS NAME prints the first visible window whose name
# matches, once one is mapped; nothing when none is within the time.
wait_for_window() {
  timeout "$1" xdotool search --sync --onlyvisible --name "$2" | head -1
}

# With the game's process in $game and its output in output.txt:
# fail MESSAGE ends the run with the message and the game's output.
fail() {
  echo "$*" >&2
  cat output.txt >&2
  kill "$game" 2>/dev/null
  exit 1
}

# end_with_escape WINDOW: Escape in the game window ends the game, without a failure.
end_with_escape() {
  focus "$1" || fail "the game window takes no focus back"
  xdotool key Escape
  for _ in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
  kill -0 $game 2>/dev/null && fail "Escape in the game window did not end the game"
  wait $game || fail "the game ended with a failure"
}

# focus WINDOW: a window that has only just been mapped may refuse the focus
# for a moment.
focus() {
  for _ in $(seq 20); do
    xdotool windowfocus --sync "$1" 2>/dev/null && return 0
    sleep 0.25
  done
  return 1
}
