#!/usr/bin/env bash
# Builds a game project, plays it headless and compares what it prints with
# the project's expected.txt, and its error reports with expected_errors.txt
# when the project has one. The game ends itself, or after the number of steps
# in the project's `frames` file. A project with a `screenshot` file (a step
# number) is also played off screen, and the frame of that step must match
# its expected.png within a small tolerance per channel.
# Usage: run_game_test.sh KESTREL_DEV PROJECT
set -euo pipefail

tool=$1
project=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" build "$project" --data-only -o "$work/game"
frames=1000
[[ -f $project/frames ]] && frames=$(<"$project/frames")
# A project with an input.txt is played with its keys and mouse (docs/input-file.md).
input=()
[[ -f $project/input.txt ]] && input=(--input "$project/input.txt")
# The game's own files (such as its error log) land in the scratch folder.
(cd "$work" && "$tool" run game --headless --frames "$frames" --seed 1 "${input[@]}" \
  >output.txt 2>errors.txt) ||
  { cat "$work/errors.txt" >&2; exit 1; }
diff -u "$project/expected.txt" "$work/output.txt"
if [[ -f $project/expected_errors.txt ]]; then
  diff -u "$project/expected_errors.txt" "$work/errors.txt"
fi
if [[ -f $project/screenshot ]]; then
  step=$(<"$project/screenshot")
  (cd "$work" && SDL_VIDEODRIVER=offscreen "$tool" run game --frames "$frames" --seed 1 "${input[@]}" \
    --screenshot "$step:frame.png" >/dev/null)
  # Pixels whose channels differ by more than 2 % of full scale.
  differing=$(compare -metric AE -fuzz 2% "$project/expected.png" "$work/frame.png" null: 2>&1) || true
  if [[ $differing != 0 ]]; then
    echo "the frame of step $step differs from expected.png in $differing pixels" >&2
    exit 1
  fi
fi
