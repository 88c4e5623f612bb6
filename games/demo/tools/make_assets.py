#!/usr/bin/env python3
"""Draws every picture of Crystal Caves and writes it as PNG into the project.

Only the standard library is used (zlib and struct for the PNG files), so the
pictures can be made again on any machine: `python3 tools/make_assets.py` from
games/demo. The output is deterministic; the PNG files are checked in and the
game build never runs this script.
"""

import math
import os
import random
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


# --- Images -----------------------------------------------------------------

class Image:
    """An RGBA picture with a few drawing helpers; alpha 0 is transparent."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [list(fill) for _ in range(width * height)]

    def get(self, x, y):
        return self.pixels[y * self.width + x]

    def put(self, x, y, colour):
        x, y = int(x), int(y)
        if 0 <= x < self.width and 0 <= y < self.height:
            rgba = colour if len(colour) == 4 else (*colour, 255)
            if rgba[3] == 255:
                self.pixels[y * self.width + x] = list(rgba)
            elif rgba[3] > 0:
                # Blend over what is there, keeping the stronger alpha.
                old = self.pixels[y * self.width + x]
                a = rgba[3] / 255
                self.pixels[y * self.width + x] = [
                    round(rgba[i] * a + old[i] * (1 - a)) for i in range(3)
                ] + [max(old[3], rgba[3])]

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(int(y0), int(y1) + 1):
            for x in range(int(x0), int(x1) + 1):
                self.put(x, y, colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                dx = (x + 0.5 - cx) / rx if rx else 0
                dy = (y + 0.5 - cy) / ry if ry else 0
                if dx * dx + dy * dy <= 1:
                    self.put(x, y, colour)

    def polygon(self, points, colour):
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            cy = y + 0.5
            crossings = []
            for i, (x0, y0) in enumerate(points):
                x1, y1 = points[(i + 1) % len(points)]
                if (y0 <= cy < y1) or (y1 <= cy < y0):
                    crossings.append(x0 + (cy - y0) * (x1 - x0) / (y1 - y0))
            crossings.sort()
            for a, b in zip(crossings[::2], crossings[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(steps + 1):
            t = i / steps
            self.put(round(x0 + (x1 - x0) * t), round(y0 + (y1 - y0) * t), colour)

    def outline(self, colour):
        """Puts colour on every transparent pixel that touches an opaque one."""
        edge = []
        for y in range(self.height):
            for x in range(self.width):
                if self.get(x, y)[3] == 0:
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                        nx, ny = x + dx, y + dy
                        if 0 <= nx < self.width and 0 <= ny < self.height and \
                                self.get(nx, ny)[3] > 128:
                            edge.append((x, y))
                            break
        for x, y in edge:
            self.put(x, y, colour)

    def paste(self, other, ox, oy):
        for y in range(other.height):
            for x in range(other.width):
                c = other.get(x, y)
                if c[3]:
                    self.put(ox + x, oy + y, c)

    def save(self, path):
        raw = b"".join(
            b"\0" + bytes(v for p in self.pixels[y * self.width:(y + 1) * self.width] for v in p)
            for y in range(self.height))

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data +
                    struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

        png = (b"\x89PNG\r\n\x1a\n" +
               chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)) +
               chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(png)


def shade(colour, factor):
    return tuple(max(0, min(255, round(c * factor))) for c in colour[:3])


# --- A 5 x 7 pixel font of our own ------------------------------------------

GLYPHS = {
    "A": ".###. #...# #...# ##### #...# #...# #...#",
    "B": "####. #...# #...# ####. #...# #...# ####.",
    "C": ".###. #...# #.... #.... #.... #...# .###.",
    "D": "####. #...# #...# #...# #...# #...# ####.",
    "E": "##### #.... #.... ####. #.... #.... #####",
    "F": "##### #.... #.... ####. #.... #.... #....",
    "G": ".###. #...# #.... #.### #...# #...# .####",
    "H": "#...# #...# #...# ##### #...# #...# #...#",
    "I": ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.",
    "J": "..### ...#. ...#. ...#. #..#. #..#. .##..",
    "K": "#...# #..#. #.#.. ##... #.#.. #..#. #...#",
    "L": "#.... #.... #.... #.... #.... #.... #####",
    "M": "#...# ##.## #.#.# #.#.# #...# #...# #...#",
    "N": "#...# ##..# #.#.# #..## #...# #...# #...#",
    "O": ".###. #...# #...# #...# #...# #...# .###.",
    "P": "####. #...# #...# ####. #.... #.... #....",
    "Q": ".###. #...# #...# #...# #.#.# #..#. .##.#",
    "R": "####. #...# #...# ####. #.#.. #..#. #...#",
    "S": ".#### #.... #.... .###. ....# ....# ####.",
    "T": "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..",
    "U": "#...# #...# #...# #...# #...# #...# .###.",
    "V": "#...# #...# #...# #...# #...# .#.#. ..#..",
    "W": "#...# #...# #...# #.#.# #.#.# ##.## #...#",
    "X": "#...# #...# .#.#. ..#.. .#.#. #...# #...#",
    "Y": "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..",
    "Z": "##### ....# ...#. ..#.. .#... #.... #####",
    "0": ".###. #...# #..## #.#.# ##..# #...# .###.",
    "1": "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.",
    "2": ".###. #...# ....# ...#. ..#.. .#... #####",
    "3": "##### ...#. ..#.. ...#. ....# #...# .###.",
    "4": "...#. ..##. .#.#. #..#. ##### ...#. ...#.",
    "5": "##### #.... ####. ....# ....# #...# .###.",
    "6": "..##. .#... #.... ####. #...# #...# .###.",
    "7": "##### ....# ...#. ..#.. .#... .#... .#...",
    "8": ".###. #...# #...# .###. #...# #...# .###.",
    "9": ".###. #...# #...# .#### ....# ...#. .##..",
    "!": "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#..",
    ".": "..... ..... ..... ..... ..... .##.. .##..",
    ",": "..... ..... ..... ..... .##.. ..#.. .#...",
    ":": "..... .##.. .##.. ..... .##.. .##.. .....",
    "-": "..... ..... ..... .###. ..... ..... .....",
    "/": "....# ....# ...#. ..#.. .#... #.... #....",
    "'": "..#.. ..#.. .#... ..... ..... ..... .....",
    " ": "..... ..... ..... ..... ..... ..... .....",
}
GLYPHS = {ch: rows.replace(" ", "") for ch, rows in GLYPHS.items()}
assert all(len(g) == 35 for g in GLYPHS.values()), "every glyph is 5 x 7"


def text_width(text, scale):
    return (len(text) * 6 - 1) * scale


def draw_text(image, text, x, y, scale, colour, shadow=None):
    """Draws text with the font above; shadow, if given, is drawn first."""
    if shadow:
        draw_text(image, text, x + scale, y + scale, scale, shadow)
    for i, ch in enumerate(text.upper()):
        glyph = GLYPHS[ch]
        for row in range(7):
            for col in range(5):
                if glyph[row * 5 + col] == "#":
                    gx = x + (i * 6 + col) * scale
                    gy = y + row * scale
                    image.rect(gx, gy, gx + scale - 1, gy + scale - 1, colour)


def draw_text_centred(image, text, y, scale, colour, shadow=None):
    draw_text(image, text, (image.width - text_width(text, scale)) // 2, y, scale, colour, shadow)


# --- Sprites ------------------------------------------------------------------

OUTLINE = (20, 14, 30)


def player_frame(step):
    """The explorer: a round body with a lamp helmet; the legs walk in 4 steps."""
    img = Image(32, 32)
    bob = (0, -1, 0, -1)[step]
    legs = ((0, 0), (-3, 2), (0, 0), (2, -3))[step]
    # Legs and boots.
    img.rect(11 + legs[0], 24, 14 + legs[0], 29, (70, 50, 40))
    img.rect(18 + legs[1], 24, 21 + legs[1], 29, (70, 50, 40))
    img.rect(10 + legs[0], 28, 14 + legs[0], 29, (40, 30, 25))
    img.rect(18 + legs[1], 28, 22 + legs[1], 29, (40, 30, 25))
    # Body: a green jacket.
    img.ellipse(16, 19 + bob, 8, 7, (60, 150, 80))
    img.ellipse(14, 17 + bob, 4, 3, (90, 190, 110))
    # Head and helmet with its lamp facing right.
    img.ellipse(16, 11 + bob, 6, 6, (240, 200, 160))
    img.rect(10, 4 + bob, 22, 8 + bob, (230, 180, 40))
    img.ellipse(16, 6 + bob, 7, 4, (230, 180, 40))
    img.rect(21, 5 + bob, 24, 8 + bob, (255, 250, 180))
    img.put(19, 11 + bob, (20, 20, 20))
    img.put(19, 12 + bob, (20, 20, 20))
    img.put(15, 11 + bob, (20, 20, 20))
    img.put(15, 12 + bob, (20, 20, 20))
    img.rect(16, 14 + bob, 18, 14 + bob, (180, 90, 80))
    # A backpack strap and arm swinging with the legs.
    img.rect(8 + legs[1] // 2, 17 + bob, 10 + legs[1] // 2, 22 + bob, (50, 120, 65))
    img.outline(OUTLINE)
    return img


def wall_image():
    rnd = random.Random(7)
    img = Image(32, 32, (88, 76, 104, 255))
    # Two rows of bricks with mortar lines between them.
    for y in range(32):
        for x in range(32):
            n = rnd.randint(-10, 10)
            base = (88 + n, 76 + n, 104 + n)
            img.put(x, y, base)
    for y in (0, 15, 16, 31):
        img.rect(0, y, 31, y, (50, 42, 62))
    for x, y0, y1 in ((0, 0, 15), (15, 0, 15), (16, 0, 15), (8, 16, 31), (7, 16, 31),
                      (24, 16, 31), (23, 16, 31)):
        img.rect(x, y0, x, y1, (50, 42, 62))
    for x0, y0, x1, y1 in ((1, 1, 14, 14), (17, 1, 30, 14), (0, 17, 6, 30), (9, 17, 22, 30),
                           (25, 17, 31, 30)):
        img.rect(x0, y0, x1, y0, (130, 116, 150))
        img.rect(x0, y0, x0, y1, (118, 104, 138))
        img.rect(x0, y1, x1, y1, (64, 54, 78))
    return img


def gem_frame(step, count=6):
    """A crystal turning on its axis: the width follows a cosine."""
    img = Image(32, 32)
    turn = math.cos(step / count * 2 * math.pi)
    half = max(2.0, 9 * abs(turn))
    light = (120, 240, 255) if turn >= 0 else (90, 200, 240)
    dark = (30, 120, 200)
    img.polygon([(16, 4), (16 + half, 12), (16, 28), (16 - half, 12)], dark)
    img.polygon([(16, 4), (16 + half, 12), (16, 12), (16 - half, 12)], light)
    img.polygon([(16 - half * 0.4, 12), (16 + half * 0.4, 12), (16, 26)], (70, 180, 240))
    img.outline((10, 40, 80))
    # A sparkle that travels along the edge.
    sx, sy = [(12, 8), (20, 9), (22, 13), (18, 20), (14, 18), (11, 12)][step % 6]
    for d in range(-2, 3):
        img.put(sx + d, sy, (255, 255, 255))
        img.put(sx, sy + d, (255, 255, 255))
    return img


def heart_shape(img, cx, cy, size, colour):
    r = size * 0.5
    img.ellipse(cx - r * 0.95, cy - r * 0.3, r, r, colour)
    img.ellipse(cx + r * 0.95, cy - r * 0.3, r, r, colour)
    img.polygon([(cx - r * 1.9, cy), (cx + r * 1.9, cy), (cx, cy + r * 2.1)], colour)


def heart_frame(step):
    img = Image(32, 32)
    size = (10, 11, 12, 11)[step]
    heart_shape(img, 16, 14, size, (220, 40, 70))
    img.ellipse(16 - size * 0.5, 14 - size * 0.45, 2, 2, (255, 170, 180))
    img.outline((70, 10, 25))
    return img


def bat_frame(step):
    """A cave bat beating its wings: up, level, down, level."""
    img = Image(32, 32)
    lift = (-7, 0, 6, 0)[step]
    wing = (110, 60, 150)
    for side in (-1, 1):
        tip = 16 + side * 15
        img.polygon([(16 + side * 4, 14), (tip, 14 + lift), (16 + side * 11, 19 + lift // 2),
                     (16 + side * 7, 17 + lift // 3), (16 + side * 4, 20)], wing)
    img.ellipse(16, 17, 6, 6, (70, 35, 100))
    img.polygon([(11, 12), (13, 7), (15, 12)], (70, 35, 100))
    img.polygon([(17, 12), (19, 7), (21, 12)], (70, 35, 100))
    img.put(14, 16, (255, 60, 60))
    img.put(18, 16, (255, 60, 60))
    img.rect(15, 20, 17, 20, (240, 240, 240))
    img.outline(OUTLINE)
    return img


def ghost_frame(step):
    """A pale cave ghost whose hem ripples."""
    img = Image(32, 32)
    body = (225, 235, 250)
    img.ellipse(16, 13, 10, 10, body)
    img.rect(6, 13, 26, 24, body)
    for i in range(5):
        x = 6 + i * 4 + 2
        low = 27 if (i + step) % 2 == 0 else 25
        img.ellipse(x, low - 2, 2.2, 2.5, body)
    img.ellipse(12, 12, 2, 3, (30, 30, 60))
    img.ellipse(20, 12, 2, 3, (30, 30, 60))
    img.ellipse(16, 19, 2, 1.5 + (step % 2), (30, 30, 60))
    img.outline((60, 70, 120))
    return img


def door_frame(open_):
    img = Image(32, 32)
    img.rect(2, 2, 29, 31, (60, 50, 70))
    img.ellipse(16, 10, 12, 9, (60, 50, 70))
    if open_:
        img.rect(5, 8, 26, 31, (30, 200, 120))
        img.ellipse(16, 10, 9, 7, (30, 200, 120))
        img.rect(9, 12, 22, 31, (140, 255, 190))
        img.ellipse(16, 12, 5, 4, (140, 255, 190))
    else:
        img.rect(5, 8, 26, 31, (130, 85, 45))
        img.ellipse(16, 10, 9, 7, (130, 85, 45))
        for x in (9, 15, 21):
            img.rect(x, 4, x + 1, 31, (95, 60, 30))
        img.rect(5, 15, 26, 16, (70, 70, 80))
        img.rect(5, 25, 26, 26, (70, 70, 80))
        img.rect(14, 19, 18, 23, (230, 190, 60))
        img.put(16, 21, (40, 30, 20))
    img.outline(OUTLINE)
    return img


def spark_frame(step):
    img = Image(16, 16)
    angle = step * math.pi / 8
    for k in range(4):
        a = angle + k * math.pi / 2
        img.line(8, 8, 8 + 7 * math.cos(a), 8 + 7 * math.sin(a), (255, 240, 120))
    img.ellipse(8, 8, 3.5, 3.5, (255, 255, 220))
    img.ellipse(8, 8, 1.5, 1.5, (255, 255, 255))
    return img


def digit_frame(d):
    img = Image(12, 16)
    draw_text(img, str(d), 1, 1, 2, (255, 255, 255))
    img.outline(OUTLINE)
    return img


def banner_frame(level):
    """The name of a level, shown as it starts."""
    text = f"LEVEL {level}"
    img = Image(text_width(text, 4) + 8, 7 * 4 + 8)
    draw_text(img, text, 4, 4, 4, (255, 230, 120), (90, 50, 10))
    img.outline(OUTLINE)
    return img


def cursor_image():
    img = Image(16, 16)
    c = (255, 255, 255)
    img.line(8, 0, 8, 5, c)
    img.line(8, 11, 8, 15, c)
    img.line(0, 8, 5, 8, c)
    img.line(11, 8, 15, 8, c)
    img.put(8, 8, (255, 80, 80))
    img.outline((0, 0, 0, 255))
    return img


def life_icon():
    img = Image(16, 16)
    heart_shape(img, 8, 7, 6, (220, 40, 70))
    img.outline((70, 10, 25))
    return img


def gem_icon():
    img = Image(16, 16)
    img.polygon([(8, 1), (14, 6), (8, 15), (2, 6)], (30, 120, 200))
    img.polygon([(8, 1), (14, 6), (2, 6)], (120, 240, 255))
    img.outline((10, 40, 80))
    return img


def star_icon():
    img = Image(16, 16)
    points = []
    for k in range(10):
        r = 7 if k % 2 == 0 else 3
        a = -math.pi / 2 + k * math.pi / 5
        points.append((8 + r * math.cos(a), 8 + r * math.sin(a)))
    img.polygon(points, (255, 210, 60))
    img.outline((90, 60, 10))
    return img


# --- Backgrounds --------------------------------------------------------------

def floor_image():
    rnd = random.Random(11)
    img = Image(64, 64)
    for y in range(64):
        for x in range(64):
            n = rnd.randint(-4, 4)
            img.put(x, y, (34 + n, 30 + n, 48 + n))
    for _ in range(14):
        x, y = rnd.randrange(64), rnd.randrange(64)
        r = rnd.choice((1, 1.5, 2))
        img.ellipse(x, y, r, r * 0.8, (48, 44, 64))
        img.put(x, y - 1, (60, 56, 78))
    return img


def decor_image():
    """Four 32 x 32 things that lie about on cave floors, side by side."""
    img = Image(128, 32)
    # Crystal shards.
    for x, h, colour in ((9, 12, (150, 90, 210)), (15, 17, (180, 120, 240)), (21, 10, (120, 70, 180))):
        img.polygon([(x - 3, 26), (x, 26 - h), (x + 3, 26)], colour)
        img.line(x, 26 - h + 2, x, 24, shade(colour, 1.3))
    # Pebbles.
    for x, y, r in ((40, 20, 3), (47, 23, 2), (52, 17, 2.5), (44, 12, 1.5)):
        img.ellipse(x, y, r, r * 0.75, (70, 64, 84))
        img.put(x - 1, y - 1, (96, 90, 112))
    # A crack in the floor.
    points = [(66, 6), (71, 12), (69, 17), (75, 22), (73, 28)]
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        img.line(x0, y0, x1, y1, (18, 15, 26))
    img.line(71, 12, 78, 10, (18, 15, 26))
    # Glowing mushrooms.
    for x, h in ((104, 8), (110, 12), (116, 6)):
        img.rect(x - 1, 28 - h, x, 28, (200, 200, 180))
        img.ellipse(x, 28 - h, 4, 2.5, (80, 230, 190))
        img.put(x - 1, 27 - h, (200, 255, 240))
    return img


def backdrop(top, bottom, seed):
    """A 640 x 480 cave backdrop: a vertical gradient with crystals at the edges."""
    rnd = random.Random(seed)
    img = Image(640, 480)
    for y in range(480):
        t = y / 479
        colour = tuple(round(top[i] * (1 - t) + bottom[i] * t) for i in range(3))
        img.rect(0, y, 639, y, colour)
    # Stalactites above and crystal clusters below.
    for x in range(0, 640, 24):
        h = rnd.randint(20, 70)
        img.polygon([(x, 0), (x + 24, 0), (x + 12, h)], shade(top, 0.6))
    for x in range(-10, 640, 46):
        h = rnd.randint(30, 90)
        w = rnd.randint(10, 18)
        hue = rnd.choice(((80, 220, 255), (200, 110, 255), (120, 255, 200)))
        img.polygon([(x, 480), (x + w, 480 - h), (x + 2 * w, 480)], shade(hue, 0.55))
        img.polygon([(x + w * 0.5, 480), (x + w, 480 - h), (x + w, 480)], shade(hue, 0.85))
    return img


def title_image():
    img = backdrop((20, 16, 40), (60, 30, 80), 3)
    draw_text_centred(img, "CRYSTAL", 70, 9, (120, 240, 255), (20, 40, 90))
    draw_text_centred(img, "CAVES", 145, 9, (200, 140, 255), (50, 20, 90))
    for i, frame in enumerate((player_frame(0), gem_frame(0), bat_frame(0), ghost_frame(1))):
        big = Image(64, 64)
        for y in range(64):
            for x in range(64):
                big.pixels[y * 64 + x] = list(frame.get(x // 2, y // 2))
        img.paste(big, 176 + i * 80, 230)
    draw_text_centred(img, "PRESS ANY KEY OR CLICK", 320, 3, (255, 240, 150), (60, 40, 10))
    draw_text_centred(img, "ARROWS OR WASD: MOVE", 370, 2, (220, 220, 240), (20, 20, 30))
    draw_text_centred(img, "SPACE OR CLICK: THROW A SPARK", 392, 2, (220, 220, 240), (20, 20, 30))
    draw_text_centred(img, "GET EVERY GEM, THEN FIND THE DOOR", 414, 2, (220, 220, 240),
                      (20, 20, 30))
    return img


def end_image(title, colour, shadow, seed, top, bottom):
    img = backdrop(top, bottom, seed)
    draw_text_centred(img, title, 100, 7, colour, shadow)
    draw_text_centred(img, "SCORE", 200, 3, (230, 230, 240), (20, 20, 30))
    draw_text_centred(img, "PRESS ANY KEY OR CLICK", 360, 3, (255, 240, 150), (60, 40, 10))
    return img


# --- Writing the project files -------------------------------------------------

def save_sprite(name, frames):
    for i, frame in enumerate(frames):
        frame.save(os.path.join(ROOT, "sprites", name, f"{i}.png"))


def main():
    save_sprite("spr_player", [player_frame(i) for i in range(4)])
    save_sprite("spr_wall", [wall_image()])
    save_sprite("spr_gem", [gem_frame(i) for i in range(6)])
    save_sprite("spr_heart", [heart_frame(i) for i in range(4)])
    save_sprite("spr_bat", [bat_frame(i) for i in range(4)])
    save_sprite("spr_ghost", [ghost_frame(i) for i in range(4)])
    save_sprite("spr_door", [door_frame(False), door_frame(True)])
    save_sprite("spr_spark", [spark_frame(i) for i in range(4)])
    save_sprite("spr_digits", [digit_frame(d) for d in range(10)])
    save_sprite("spr_cursor", [cursor_image()])
    save_sprite("spr_icons", [life_icon(), gem_icon(), star_icon()])
    save_sprite("spr_banner", [banner_frame(level) for level in (1, 2, 3)])
    floor_image().save(os.path.join(ROOT, "backgrounds", "bg_floor.png"))
    decor_image().save(os.path.join(ROOT, "backgrounds", "bg_decor.png"))
    title_image().save(os.path.join(ROOT, "backgrounds", "bg_title.png"))
    end_image("GAME OVER", (255, 90, 90), (80, 10, 20), 5, (30, 10, 20),
              (70, 20, 30)).save(os.path.join(ROOT, "backgrounds", "bg_gameover.png"))
    end_image("YOU ESCAPED!", (140, 255, 170), (10, 60, 30), 9, (10, 30, 40),
              (30, 80, 70)).save(os.path.join(ROOT, "backgrounds", "bg_win.png"))


if __name__ == "__main__":
    main()
