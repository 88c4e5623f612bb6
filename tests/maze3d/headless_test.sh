#!/usr/bin/env bash
# Walks the maze along route.txt, the shortest way to the trophy: headless the
# game must report the trophy in 20 moves and end by itself; off screen, a
# frame on the way must show the maze lit and fogged (many colours, not a
# blank picture) and the game must report no error.
# Usage: headless_test.sh KESTREL_DEV MAZE_PROJECT ROUTE
set -euo pipefail

tool=$1
project=$2
route=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" build "$project" --data-only -o "$work/maze.game"
(cd "$work" && "$tool" run maze.game --headless --frames 1000 --seed 1 --input "$route" \
  >headless.out 2>headless.err) || { cat "$work/headless.err" >&2; exit 1; }
[[ ! -s $work/headless.err ]] || { cat "$work/headless.err" >&2; exit 1; }
echo "found the trophy in 20 moves" | diff -u - "$work/headless.out"

# Step 100 stands in the second corridor, looking along it.
(cd "$work" && "$tool" run maze.game --frames 120 --seed 1 --input "$route" \
  --screenshot "100:frame.png" >drawn.out 2>drawn.err) || { cat "$work/drawn.err" >&2; exit 1; }
[[ ! -s $work/drawn.err ]] || { cat "$work/drawn.err" >&2; exit 1; }
colours=$(identify -format %k "$work/frame.png")
if ((colours < 50)); then
  echo "the maze frame has only $colours colours" >&2
  exit 1
fi
echo "the maze was walked to its trophy and drawn with $colours colours"
