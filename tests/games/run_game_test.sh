#!/usr/bin/env bash
# Builds a game project, plays it headless and compares what it prints with
# the project's expected.txt. The game ends itself, or after the number of
# steps in the project's `frames` file. Usage: run_game_test.sh KESTREL_DEV PROJECT
set -euo pipefail

tool=$1
project=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" build "$project" --data-only -o "$work/game"
frames=1000
[[ -f $project/frames ]] && frames=$(<"$project/frames")
"$tool" run "$work/game" --headless --frames "$frames" --seed 1 >"$work/output.txt"
diff -u "$project/expected.txt" "$work/output.txt"
