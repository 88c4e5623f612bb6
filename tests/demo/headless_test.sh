#!/usr/bin/env bash
# Plays the demo game without a player: the title, then each level as the
# first room, off screen so that the draw events run too. Every run must end
# without an error report, and the title and every level must draw a picture.
# Usage: headless_test.sh KESTREL_DEV DEMO_PROJECT
set -euo pipefail

tool=$1
project=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# play NAME PROJECT: 300 steps (5 seconds of play), the last one saved as NAME.png.
play() {
  "$tool" build "$2" --data-only -o "$work/$1.game"
  (cd "$work" && "$tool" run "$1.game" --frames 300 --seed 1 --screenshot "300:$1.png" \
    >"$1.out" 2>"$1.err") || { cat "$work/$1.err" >&2; echo "$1: the run failed" >&2; exit 1; }
  if grep -q 'ERROR' "$work/$1.err"; then
    cat "$work/$1.err" >&2
    echo "$1: the game reported errors" >&2
    exit 1
  fi
  [[ -s $work/$1.png ]] || { echo "$1: nothing was drawn" >&2; exit 1; }
}

play title "$project"
for room in "$project"/rooms/room_level*; do
  level=$(basename "$room")
  # The same game with this level first in the room order.
  cp -r "$project" "$work/$level"
  sed -i "s/\"room_order\": \[/\"room_order\": [\"$level\", /" "$work/$level/game.json"
  play "$level" "$work/$level"
done
echo "the title and $(ls "$project"/rooms | grep -c room_level) levels played without errors"
