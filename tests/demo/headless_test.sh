#!/usr/bin/env bash
# Plays the demo game without a player: the folder as it stands, with an
# empty standard error; the title, then each level as the
# first room, off screen so that the draw events run too. Every run must end
# without an error report, and the title and every level must draw a picture;
# the title's music must be heard.
# Then an autopilot plays the whole game: it carries the player onto every
# gem and then to the door, level after level, and must reach the end screen.
# Usage: headless_test.sh KESTREL_DEV DEMO_PROJECT
set -euo pipefail

tool=$1
project=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The folder itself, played headless: nothing but the game's own output, and
# no sound card needed (none is set for this run).
(cd "$work" && env -u SDL_AUDIODRIVER "$tool" run "$project" --headless --frames 300 --seed 1 \
  >folder.out 2>folder.err) || { cat "$work/folder.err" >&2; exit 1; }
[[ ! -s $work/folder.err ]] ||
  { cat "$work/folder.err" >&2; echo "the headless run printed on standard error" >&2; exit 1; }

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
# The title starts the music: a second of it must reach the sound card, which
# SDL's disk driver writes to a file (stereo floats at 44.1 kHz).
if command -v sox >/dev/null; then
  (cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=music.raw \
    "$tool" run title.game --headless --audio --real-time --frames 60 >/dev/null 2>music.err) ||
    { cat "$work/music.err" >&2; exit 1; }
  peak=$(sox -t f32 -r 44100 -c 2 "$work/music.raw" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
  awk -v peak="$peak" 'BEGIN { exit !(peak > 0.05) }' ||
    { echo "the title's music is silent (peak ${peak:-none})" >&2; exit 1; }
fi
for room in "$project"/rooms/room_level*; do
  level=$(basename "$room")
  # The same game with this level first in the room order.
  cp -r "$project" "$work/$level"
  sed -i "s/\"room_order\": \[/\"room_order\": [\"$level\", /" "$work/$level/game.json"
  play "$level" "$work/$level"
done
echo "the title and $(ls "$project"/rooms | grep -c room_level) levels played without errors"

# autopilot NAME: plays the game with a persistent object placed in the title
# room of a copy; its step event in a level is read from standard input.
# Prints what the game printed: how it ended, with the score and lives.
autopilot() {
  local pilot=$work/$1
  cp -r "$project" "$pilot"
  sed -i 's/\]$/, "obj_autopilot"]/' "$pilot/objects/order.json"
  sed -i 's/"instances": \[/"instances": [{"x": 0, "y": 0, "object": "obj_autopilot", "id": 109999}, /' \
    "$pilot/rooms/room_title/room.json"
  mkdir "$pilot/objects/obj_autopilot"
  echo '{"persistent": true, "events": [{"event": "step", "actions": [{"code": "step.ks"}]}]}' \
    >"$pilot/objects/obj_autopilot/object.json"
  {
    cat <<'CODE'
if (room == room_title) { scr_new_game(); exit; }
if (room == room_win || room == room_gameover) {
  if (room == room_win) show_debug_message("won"); else show_debug_message("lost");
  show_debug_message("score " + string(score) + ", lives " + string(lives));
  game_end();
  exit;
}
CODE
    cat
  } >"$pilot/objects/obj_autopilot/step.ks"
  "$tool" build "$pilot" --data-only -o "$work/$1.game"
  (cd "$work" && "$tool" run "$1.game" --headless --frames 3000 --seed 1 2>"$1.err") ||
    { cat "$work/$1.err" >&2; exit 1; }
}

# The route: every gem, then the door, level after level. Enemies would make
# the run depend on timing, so they go.
autopilot route <<'CODE' >"$work/route.out"
with (obj_enemy) instance_destroy();
var gem;
gem = instance_nearest(obj_player.x, obj_player.y, obj_gem);
if (gem != noone) { obj_player.x = gem.x; obj_player.y = gem.y; }
else { obj_player.x = obj_door.x; obj_player.y = obj_door.y; }
CODE
# Every gem is worth 10, and each level 100 with the full health left.
gems=$(cat "$project"/rooms/room_level*/room.json | grep -c '"obj_gem"')
levels=$(ls "$project"/rooms | grep -c room_level)
printf 'won\nscore %d, lives 3\n' $((gems * 10 + levels * 200)) | diff -u - "$work/route.out"
echo "the autopilot finished all $levels levels"

# Reckless: straight onto the nearest enemy, again and again. Every touch
# costs health, the lives go one by one, and the game ends on its game over
# screen. (Gems picked up on the way make the score.)
autopilot reckless <<'CODE' >"$work/reckless.out"
var enemy;
enemy = instance_nearest(obj_player.x, obj_player.y, obj_enemy);
obj_player.x = enemy.x;
obj_player.y = enemy.y;
CODE
printf 'lost\nlives 0\n' | diff -u - <(sed 's/score [0-9]*, //' "$work/reckless.out")
echo "the reckless autopilot lost all its lives"
