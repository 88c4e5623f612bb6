#!/usr/bin/env python3
"""Turns the level maps in tools/levels/*.txt into the level rooms.

Each map character is one 32 x 32 cell:
  #  wall            P  the player's start     D  the exit door
  G  gem             H  heart (health)
  -  bat flying left and right                 |  bat flying up and down
  O  ghost (finds its way round the walls to a player who comes near)
Anything else is floor. The script refuses a map in which a gem, a heart or
the door cannot be reached from the start, so every level can be finished.
Run it from anywhere: `python3 games/demo/tools/make_levels.py`; the rooms are
checked in and the game build never runs it.
"""

import glob
import json
import os
import random
from collections import deque

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CELL = 32
OBJECTS = {"#": "obj_wall", "P": "obj_player", "D": "obj_door", "G": "obj_gem",
           "H": "obj_heart", "-": "obj_bat", "|": "obj_bat_vertical", "O": "obj_ghost"}
# Sprites are centred on their origin, except the wall's, which is at its corner.
CENTRED = set(OBJECTS.values()) - {"obj_wall"}
# Rooms other than the levels take ids below this; each level gets its own block.
FIRST_ID = 110001
IDS_PER_LEVEL = 10000
FIRST_TILE_ID = 10000001
# Empty floor cells that get a decoration tile from bg_decor (four 32 x 32 parts).
DECOR_SHARE = 0.08
DECOR_PARTS = 4


def reachable(rows, start):
    seen = {start}
    todo = deque([start])
    while todo:
        x, y = todo.popleft()
        for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if 0 <= ny < len(rows) and 0 <= nx < len(rows[ny]) and rows[ny][nx] != "#" \
                    and (nx, ny) not in seen:
                seen.add((nx, ny))
                todo.append((nx, ny))
    return seen


def make_room(number, rows):
    width, height = max(map(len, rows)), len(rows)
    rows = [row.ljust(width) for row in rows]
    start = next((x, y) for y, row in enumerate(rows) for x, ch in enumerate(row) if ch == "P")
    seen = reachable(rows, start)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch in "GHD" and (x, y) not in seen:
                raise SystemExit(f"level{number}.txt: the {ch} at column {x + 1}, "
                                 f"line {y + 1} cannot be reached")
    next_id = FIRST_ID + (number - 1) * IDS_PER_LEVEL
    # The controller comes first so that its Create event sees a fresh level.
    instances = [{"x": 0, "y": 0, "object": "obj_level", "id": next_id}]
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch in OBJECTS:
                next_id += 1
                offset = CELL // 2 if OBJECTS[ch] in CENTRED else 0
                instances.append({"x": x * CELL + offset, "y": y * CELL + offset,
                                  "object": OBJECTS[ch], "id": next_id})
    # Decorations lie on empty floor, the same ones on every run of this script.
    rnd = random.Random(number)
    tiles = []
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch == " " and rnd.random() < DECOR_SHARE:
                tiles.append({"x": x * CELL, "y": y * CELL, "background": "bg_decor",
                              "left": rnd.randrange(DECOR_PARTS) * CELL, "top": 0,
                              "width": CELL, "height": CELL, "depth": 100,
                              "id": FIRST_TILE_ID + (number - 1) * IDS_PER_LEVEL + len(tiles)})
    room = {
        "caption": f"Crystal Caves - Level {number}",
        "width": width * CELL,
        "height": height * CELL,
        "speed": 60,
        "colour": "#000000",
        "backgrounds": [{"visible": True, "background": "bg_floor"}],
        "views_enabled": True,
        "views": [{"visible": True, "wview": 640, "hview": 480, "wport": 640, "hport": 480,
                   "hborder": 256, "vborder": 192, "object": "obj_player"}],
        "instances": instances,
        "tiles": tiles,
    }
    folder = os.path.join(ROOT, "rooms", f"room_level{number}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "room.json"), "w") as out:
        out.write("{\n")
        for key, value in room.items():
            if key in ("instances", "tiles"):
                continue
            out.write(f' "{key}": {json.dumps(value)},\n')
        # One instance a line keeps the file readable and its diffs small.
        out.write(' "instances": [\n')
        out.write(",\n".join("  " + json.dumps(i) for i in instances))
        out.write("\n ],\n")
        out.write(' "tiles": [\n')
        out.write(",\n".join("  " + json.dumps(t) for t in tiles))
        out.write("\n ]\n}\n")


def main():
    maps = sorted(glob.glob(os.path.join(ROOT, "tools", "levels", "level*.txt")))
    for path in maps:
        number = int(os.path.basename(path)[5:-4])
        with open(path) as f:
            make_room(number, [line.rstrip("\n") for line in f if line.strip()])


if __name__ == "__main__":
    main()
