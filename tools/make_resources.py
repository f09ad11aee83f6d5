#!/usr/bin/env python3
"""Makes the installer's binary resource files.

Writes into the resources folder (or the folder given with --out):
  front.bmp     the 400 x 280 splash with the four captions in red
  back.bmp      120 x 104: the four captions in yellow, one 26-row band each
  remove.bmp    120 x 26: "Un-Install" in red on the second caption's ground
  removehl.bmp  120 x 26: the same in yellow
  palette.bin   the 256-entry colour table the four pictures share
  music.wav     the welcome tune
  kestsetup.ico the program icon

Everything is drawn here with the standard library alone, and the output is
the same bytes on every run, so the committed files can be checked against a
fresh run.
"""

import argparse
import math
import os
import re
import struct
import sys

# ---------------------------------------------------------------------------
# Geometry the installer relies on, read from the installer's own layout
# header so that the captions drawn are the captions it hit-tests.

LAYOUT_HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "shell",
                             "splash_layout.h")


def read_layout(path):
    """Returns the header's "Name = number" figures as a dictionary."""
    with open(path, encoding="ascii") as header:
        text = header.read()
    return {name: int(value) for name, value in re.findall(r"\b(\w+) = (\d+)\b", text)}


LAYOUT = read_layout(LAYOUT_HEADER)
SPLASH_WIDTH = LAYOUT["SplashWidth"]
SPLASH_HEIGHT = LAYOUT["SplashHeight"]
CAPTION_WIDTH = LAYOUT["CaptionWidth"]
CAPTION_HEIGHT = LAYOUT["CaptionHeight"]

# Caption rectangles in splash pixels: left, top, right, bottom (right and
# bottom outside), in spot order: PLAY, Install, Configure, Exit.
CAPTIONS = ["PLAY", "Install", "Configure", "Exit"]
HOT_SPOTS = [(LAYOUT["CaptionLeft"], LAYOUT["CaptionTop"] + row * CAPTION_HEIGHT,
              LAYOUT["CaptionLeft"] + CAPTION_WIDTH, LAYOUT["CaptionTop"] + (row + 1) * CAPTION_HEIGHT)
             for row in range(len(CAPTIONS))]
SPOT_INSTALL = 1
UNINSTALL_CAPTION = "Un-Install"

# The upper band where the installer shows its progress bar and file-name
# label while unpacking; the title stays below it.
PROGRESS_AREA_BOTTOM = LAYOUT["StatusTop"] + LAYOUT["StatusHeight"]

# ---------------------------------------------------------------------------
# The shared 256-colour table. The twenty colours a 256-colour Windows display
# keeps for itself sit at 0..9 and 246..255, so the captions' pure red (249)
# and yellow (251) show exactly on such a display. The picture gets 10..245.

STATIC_LOW_COLOURS = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
    (128, 0, 128), (0, 128, 128), (192, 192, 192), (192, 220, 192),
    (166, 202, 240),
]
STATIC_HIGH_COLOURS = [
    (255, 251, 240), (160, 160, 164), (128, 128, 128), (255, 0, 0),
    (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255),
    (255, 255, 255),
]
PALETTE_SIZE = 256
FIRST_PICTURE_INDEX = len(STATIC_LOW_COLOURS)
PICTURE_COLOUR_COUNT = PALETTE_SIZE - len(STATIC_LOW_COLOURS) - len(STATIC_HIGH_COLOURS)
CAPTION_RED_INDEX = 249
HIGHLIGHT_YELLOW_INDEX = 251
SHADOW_INDEX = 0  # black, under every caption

# ---------------------------------------------------------------------------
# The tune's format.

SAMPLE_RATE = 11025
TUNE_DATA_BYTES = 26272
PCM_SILENCE = 128

# ---------------------------------------------------------------------------
# A small proportional pixel font: rows separated by '/', '#' is ink. Rows 0
# to 6 stand on the baseline; rows 7 and 8 are the descender.

FONT_ROWS = 9
GLYPHS = {
    "A": ".###./#...#/#...#/#####/#...#/#...#/#...#",
    "B": "####./#...#/#...#/####./#...#/#...#/####.",
    "C": ".###./#...#/#..../#..../#..../#...#/.###.",
    "D": "####./#...#/#...#/#...#/#...#/#...#/####.",
    "E": "#####/#..../#..../####./#..../#..../#####",
    "F": "#####/#..../#..../####./#..../#..../#....",
    "G": ".###./#...#/#..../#.###/#...#/#...#/.####",
    "H": "#...#/#...#/#...#/#####/#...#/#...#/#...#",
    "I": "###/.#./.#./.#./.#./.#./###",
    "K": "#...#/#..#./#.#../##.../#.#../#..#./#...#",
    "L": "#..../#..../#..../#..../#..../#..../#####",
    "M": "#...#/##.##/#.#.#/#.#.#/#...#/#...#/#...#",
    "N": "#...#/#...#/##..#/#.#.#/#..##/#...#/#...#",
    "O": ".###./#...#/#...#/#...#/#...#/#...#/.###.",
    "P": "####./#...#/#...#/####./#..../#..../#....",
    "R": "####./#...#/#...#/####./#.#../#..#./#...#",
    "S": ".####/#..../#..../.###./....#/....#/####.",
    "T": "#####/..#../..#../..#../..#../..#../..#..",
    "U": "#...#/#...#/#...#/#...#/#...#/#...#/.###.",
    "V": "#...#/#...#/#...#/#...#/#...#/.#.#./..#..",
    "W": "#...#/#...#/#...#/#.#.#/#.#.#/#.#.#/.#.#.",
    "Y": "#...#/#...#/.#.#./..#../..#../..#../..#..",
    "Z": "#####/....#/...#./..#../.#.../#..../#####",
    "a": "...../...../.###./....#/.####/#...#/.####",
    "e": "...../...../.###./#...#/#####/#..../.###.",
    "f": "..##/.#../.#../####/.#../.#../.#..",
    "g": "...../...../.####/#...#/#...#/#...#/.####/....#/.###.",
    "i": ".#./.../##./.#./.#./.#./###",
    "l": "##./.#./.#./.#./.#./.#./###",
    "n": "...../...../####./#...#/#...#/#...#/#...#",
    "o": "...../...../.###./#...#/#...#/#...#/.###.",
    "r": "...../...../#.##./##..#/#..../#..../#....",
    "s": "...../...../.####/#..../.###./....#/####.",
    "t": ".#../.#../####/.#../.#../.#../..##",
    "u": "...../...../#...#/#...#/#...#/#..##/.##.#",
    "x": "...../...../#...#/.#.#./..#../.#.#./#...#",
    "-": ".../.../.../###/.../.../...",
    " ": ".../.../.../.../.../.../...",
}
LETTER_GAP = 1  # font columns between two glyphs


def glyph_rows(char):
    """Returns the glyph of CHAR as FONT_ROWS strings of equal width.

    Raises KeyError for a character the font does not have."""
    rows = GLYPHS[char].split("/")
    width = len(rows[0])
    if any(len(row) != width for row in rows) or len(rows) > FONT_ROWS:
        raise ValueError("malformed glyph %r" % char)
    return rows + ["." * width] * (FONT_ROWS - len(rows))


def text_width(text, scale_x):
    """Returns the width in pixels of TEXT drawn with horizontal scale SCALE_X."""
    columns = sum(len(glyph_rows(c)[0]) for c in text) + LETTER_GAP * (len(text) - 1)
    return columns * scale_x


def text_pixels(text, left, top, scale_x, scale_y):
    """Yields every inked pixel (x, y) of TEXT whose glyph cells start at
    (LEFT, TOP), each font dot SCALE_X by SCALE_Y pixels."""
    pen = left
    for char in text:
        rows = glyph_rows(char)
        for row_index, row in enumerate(rows):
            for column, dot in enumerate(row):
                if dot != "#":
                    continue
                for dy in range(scale_y):
                    for dx in range(scale_x):
                        yield (pen + column * scale_x + dx, top + row_index * scale_y + dy)
        pen += (len(rows[0]) + LETTER_GAP) * scale_x


# ---------------------------------------------------------------------------
# Drawing on a true-colour canvas: a flat list of (r, g, b) floats, row by
# row from the top.


def new_canvas(width, height, colour):
    """Returns a canvas of WIDTH x HEIGHT filled with COLOUR."""
    return [tuple(float(c) for c in colour)] * (width * height)


def mix(under, over, alpha):
    """Returns OVER laid on UNDER with opacity ALPHA (0..1)."""
    return tuple(u + (o - u) * alpha for u, o in zip(under, over))


def blend_pixel(canvas, width, height, x, y, colour, alpha):
    """Lays COLOUR over pixel (X, Y) with opacity ALPHA; points outside the
    canvas are ignored."""
    if 0 <= x < width and 0 <= y < height and alpha > 0.0:
        index = y * width + x
        canvas[index] = mix(canvas[index], colour, min(alpha, 1.0))


def clamp01(value):
    """Returns VALUE limited to 0..1."""
    return max(0.0, min(1.0, value))


def gradient_colour(stops, position):
    """Returns the colour at POSITION on a piecewise-linear gradient given as
    (position, colour) STOPS in rising order."""
    if position <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if position <= p1:
            return mix(c0, c1, (position - p0) / (p1 - p0))
    return stops[-1][1]


def next_random(state):
    """Returns the successor of STATE in a fixed 31-bit congruential
    sequence, so that the scenery is the same on every run."""
    return (state * 1103515245 + 12345) & 0x7FFFFFFF


# ---------------------------------------------------------------------------
# The splash scenery: a night sky over a ridge of mountains, a castle on the
# left hill, the title and a dark panel behind the captions.

SKY_STOPS = [
    (0, (6, 8, 30)),
    (90, (22, 22, 72)),
    (150, (60, 38, 108)),
    (195, (150, 70, 110)),
    (225, (235, 140, 90)),
]
FAR_RIDGE_COLOUR = (78, 50, 112)
MID_RIDGE_COLOUR = (36, 24, 62)
NEAR_RIDGE_COLOUR = (12, 9, 26)
MOON_CENTRE = (352.0, 38.0)
MOON_RADIUS = 17.0
TITLE_TEXT = "RARIVUR IVAD ORAZ"
TITLE_SCALE = (4, 5)
TITLE_TOP = 80
SUBTITLE_TEXT = "DEMO"
SUBTITLE_SCALE = (2, 2)
SUBTITLE_TOP = 123
PUBLISHER_TEXT = "A BREVALD GAME"
PANEL_BOUNDS = (164, 150, 304, 270)
PANEL_RADIUS = 7


def far_ridge(x):
    """Returns the height (a y coordinate) of the far mountains at column X."""
    return 184.0 - 16.0 * math.sin(x * 0.021 + 0.6) - 9.0 * math.sin(x * 0.057 + 2.0) \
        - 4.0 * math.sin(x * 0.13 + 1.0)


def mid_ridge(x):
    """Returns the height of the middle hills at column X."""
    return 214.0 - 8.0 * math.sin(x * 0.017 + 3.4) - 4.0 * math.sin(x * 0.045 + 0.3) \
        - 1.5 * math.sin(x * 0.19)


def near_ridge(x):
    """Returns the height of the near ground at column X: a hill on the left
    for the castle, low ground elsewhere."""
    hill = 26.0 * math.exp(-((x - 70.0) / 60.0) ** 2)
    return 240.0 - hill - 3.0 * math.sin(x * 0.031 + 1.7)


def paint_sky(canvas):
    """Fills the canvas with the night-sky gradient and a faint glow around
    the moon."""
    mx, my = MOON_CENTRE
    for y in range(SPLASH_HEIGHT):
        base = gradient_colour(SKY_STOPS, y)
        for x in range(SPLASH_WIDTH):
            distance = math.hypot(x - mx, y - my)
            glow = 0.22 * math.exp(-max(0.0, distance - MOON_RADIUS) / 26.0)
            canvas[y * SPLASH_WIDTH + x] = mix(base, (190, 190, 230), glow)


def paint_stars(canvas):
    """Scatters stars over the sky above the far mountains; the brighter
    ones get a small cross of light."""
    state = 20240601
    for _ in range(150):
        state = next_random(state)
        x = state % SPLASH_WIDTH
        state = next_random(state)
        y = state % 190
        state = next_random(state)
        brightness = 0.35 + (state % 1000) / 1540.0
        state = next_random(state)
        warm = state % 5 == 0
        if y > far_ridge(x) - 4:
            continue
        if math.hypot(x - MOON_CENTRE[0], y - MOON_CENTRE[1]) < MOON_RADIUS + 4:
            continue
        colour = (255, 236, 200) if warm else (220, 230, 255)
        fade = clamp01((190 - y) / 70.0)  # stars fade into the dusk glow
        blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, y, colour, brightness * fade)
        if brightness > 0.85:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x + dx, y + dy, colour,
                            0.4 * brightness * fade)


def paint_moon(canvas):
    """Draws a crescent moon with soft edges in the upper right."""
    mx, my = MOON_CENTRE
    bite_x, bite_y = mx + 8.0, my - 5.0
    for y in range(int(my - MOON_RADIUS) - 1, int(my + MOON_RADIUS) + 2):
        for x in range(int(mx - MOON_RADIUS) - 1, int(mx + MOON_RADIUS) + 2):
            inside = clamp01(MOON_RADIUS + 0.5 - math.hypot(x + 0.5 - mx, y + 0.5 - my))
            bitten = clamp01(MOON_RADIUS - 1.0 + 0.5 - math.hypot(x + 0.5 - bite_x,
                                                                 y + 0.5 - bite_y))
            coverage = inside * (1.0 - bitten)
            shade = mix((255, 248, 215), (225, 205, 160), clamp01((x - mx + MOON_RADIUS) / 30.0))
            blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, y, shade, coverage)


def paint_ridge(canvas, ridge, colour, haze_colour, haze_depth):
    """Fills everything below the curve RIDGE(x) with COLOUR, which fades
    towards HAZE_COLOUR over HAZE_DEPTH pixels below the crest; the crest is
    anti-aliased."""
    for x in range(SPLASH_WIDTH):
        crest = ridge(x + 0.5)
        for y in range(max(0, int(crest)), SPLASH_HEIGHT):
            coverage = clamp01(y + 1.0 - crest)
            haze = clamp01(1.0 - (y - crest) / haze_depth) * 0.35
            blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, y,
                        mix(colour, haze_colour, haze), coverage)


def fill_rect(canvas, left, top, right, bottom, colour, alpha=1.0):
    """Lays COLOUR with opacity ALPHA over the rectangle LEFT..RIGHT-1,
    TOP..BOTTOM-1."""
    for y in range(top, bottom):
        for x in range(left, right):
            blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, y, colour, alpha)


def paint_castle(canvas):
    """Draws a castle silhouette with lit windows on the left hill."""
    ground = NEAR_RIDGE_COLOUR
    fill_rect(canvas, 40, 168, 56, 232, ground)          # round tower
    for x in range(38, 58, 4):                           # its battlements
        fill_rect(canvas, x, 164, x + 2, 168, ground)
    fill_rect(canvas, 56, 186, 104, 232, ground)         # curtain wall and hall
    for x in range(56, 104, 5):
        fill_rect(canvas, x, 182, x + 3, 186, ground)
    fill_rect(canvas, 84, 174, 96, 186, ground)          # small keep
    for row in range(10):                                # its pointed roof
        fill_rect(canvas, 90 - row // 2 - 1, 164 + row, 90 + row // 2 + 1, 165 + row, ground)
    fill_rect(canvas, 47, 156, 49, 164, ground)          # flag pole
    fill_rect(canvas, 49, 156, 54, 159, (150, 30, 40))   # pennant
    window_light = (255, 196, 96)
    for left, top in ((46, 176), (46, 190), (62, 196), (74, 196), (88, 178), (96, 196)):
        fill_rect(canvas, left, top, left + 2, top + 4, window_light)
        fill_rect(canvas, left - 1, top - 1, left + 3, top + 5, window_light, 0.18)


def draw_text_layers(canvas, text, left, top, scale, fill_top, fill_bottom, outline, shadow):
    """Draws TEXT with its cells starting at (LEFT, TOP): a soft drop shadow,
    a one-pixel OUTLINE around the ink, and the ink itself in a vertical
    gradient from FILL_TOP to FILL_BOTTOM. SHADOW is None for no shadow."""
    scale_x, scale_y = scale
    ink = set(text_pixels(text, left, top, scale_x, scale_y))
    height = 7 * scale_y
    if shadow is not None:
        for x, y in sorted(ink):
            blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x + 3, y + 3, shadow, 0.55)
    rim = set()
    for x, y in ink:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if (x + dx, y + dy) not in ink:
                    rim.add((x + dx, y + dy))
    for x, y in sorted(rim):
        blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, y, outline, 1.0)
    for x, y in sorted(ink):
        colour = mix(fill_top, fill_bottom, clamp01((y - top) / float(height - 1)))
        # a lighter first row on every font dot gives the letters a bevel
        if (y - top) % scale_y == 0 and (x, y - 1) not in ink:
            colour = mix(colour, (255, 255, 255), 0.45)
        blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, y, colour, 1.0)


def paint_title(canvas):
    """Draws the game's title, the word DEMO and the publisher's line."""
    width = text_width(TITLE_TEXT, TITLE_SCALE[0])
    left = (SPLASH_WIDTH - width) // 2
    if TITLE_TOP - 1 <= PROGRESS_AREA_BOTTOM or left < 4:
        raise ValueError("title does not fit below the progress area")
    draw_text_layers(canvas, TITLE_TEXT, left, TITLE_TOP, TITLE_SCALE,
                     (255, 236, 150), (226, 120, 30), (40, 16, 8), (0, 0, 10))

    spaced = " ".join(SUBTITLE_TEXT)
    sub_width = text_width(spaced, SUBTITLE_SCALE[0])
    sub_left = (SPLASH_WIDTH - sub_width) // 2
    draw_text_layers(canvas, spaced, sub_left, SUBTITLE_TOP, SUBTITLE_SCALE,
                     (230, 238, 255), (150, 170, 230), (10, 10, 40), None)
    # a thin rule on either side of the word, fading outwards
    rule_y = SUBTITLE_TOP + 6
    rule_length = 60
    for step in range(rule_length):
        fade = clamp01(1.0 - step / float(rule_length))
        for x in (sub_left - 10 - step, sub_left + sub_width + 9 + step):
            blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, rule_y, (200, 210, 255),
                        0.8 * fade)

    for x, y in text_pixels(PUBLISHER_TEXT, 10, SPLASH_HEIGHT - 14, 1, 1):
        blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, y, (150, 140, 190), 1.0)


def panel_core_distance(x, y):
    """Returns the distance from the centre of pixel (X, Y) to the caption
    panel's core, the rectangle that the corner radius rounds off: the
    panel is everything within PANEL_RADIUS of it."""
    left, top, right, bottom = PANEL_BOUNDS
    core_x = min(max(x + 0.5, left + PANEL_RADIUS), right - PANEL_RADIUS)
    core_y = min(max(y + 0.5, top + PANEL_RADIUS), bottom - PANEL_RADIUS)
    return math.hypot(x + 0.5 - core_x, y + 0.5 - core_y)


def paint_panel(canvas):
    """Lays the dark, slightly see-through panel behind the caption column,
    with a thin light rim; both edges are anti-aliased."""
    left, top, right, bottom = PANEL_BOUNDS
    for y in range(top - 1, bottom + 1):
        for x in range(left - 1, right + 1):
            distance = panel_core_distance(x, y)
            coverage = clamp01(PANEL_RADIUS + 0.5 - distance)
            if coverage <= 0.0:
                continue
            rim = clamp01(1.5 - abs(PANEL_RADIUS - 0.5 - distance))
            blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, y, (10, 6, 24), 0.8 * coverage)
            blend_pixel(canvas, SPLASH_WIDTH, SPLASH_HEIGHT, x, y, (170, 140, 220),
                        0.75 * rim * coverage)


def paint_scenery():
    """Returns the true-colour splash without its captions."""
    canvas = new_canvas(SPLASH_WIDTH, SPLASH_HEIGHT, (0, 0, 0))
    paint_sky(canvas)
    paint_stars(canvas)
    paint_moon(canvas)
    paint_ridge(canvas, far_ridge, FAR_RIDGE_COLOUR, (200, 110, 120), 40.0)
    paint_ridge(canvas, mid_ridge, MID_RIDGE_COLOUR, (120, 60, 100), 30.0)
    paint_ridge(canvas, near_ridge, NEAR_RIDGE_COLOUR, NEAR_RIDGE_COLOUR, 1.0)
    paint_castle(canvas)
    paint_title(canvas)
    paint_panel(canvas)
    return canvas


# ---------------------------------------------------------------------------
# Reducing the scenery to the free palette entries (median cut).


def box_split_key(colours):
    """Returns (score, channel) for a box of (colour, weight) pairs: the
    widest channel and how much splitting the box is worth."""
    best_range, best_channel = -1, 0
    for channel in range(3):
        values = [colour[channel] for colour, _ in colours]
        spread = max(values) - min(values)
        if spread > best_range:
            best_range, best_channel = spread, channel
    weight = sum(w for _, w in colours)
    return best_range * math.sqrt(weight), best_channel


def median_cut(histogram, count):
    """Reduces HISTOGRAM ({(r, g, b): pixel count}) to at most COUNT colours.

    Returns (colours, lookup): the colours (weighted means of their boxes,
    sorted) and a mapping from every colour of the histogram to its
    position in that list."""
    boxes = [sorted(histogram.items())]
    keys = [box_split_key(boxes[0])]
    while len(boxes) < count:
        candidates = [i for i, box in enumerate(boxes) if len(box) > 1]
        if not candidates:
            break
        target = max(candidates, key=lambda i: (keys[i][0], -i))
        channel = keys[target][1]
        box = sorted(boxes[target], key=lambda item: (item[0][channel], item[0]))
        half = sum(w for _, w in box) / 2.0
        running, cut = 0, 1
        for position, (_, weight) in enumerate(box[:-1]):
            running += weight
            cut = position + 1
            if running >= half:
                break
        boxes[target:target + 1] = [box[:cut], box[cut:]]
        keys[target:target + 1] = [box_split_key(box[:cut]), box_split_key(box[cut:])]

    means = []
    for box in boxes:
        weight = sum(w for _, w in box)
        mean = tuple(int(round(sum(c[k] * w for c, w in box) / weight)) for k in range(3))
        means.append((mean, box))
    means.sort(key=lambda item: (sum(item[0]), item[0]))
    colours, lookup = [], {}
    for position, (mean, box) in enumerate(means):
        colours.append(mean)
        for colour, _ in box:
            lookup[colour] = position
    return colours, lookup


def quantize(canvas):
    """Returns (palette, indexes): the 256-colour table as (r, g, b) and the
    canvas as palette indexes. The picture uses only the free entries, so
    the caption red and yellow never occur in it."""
    rounded = [tuple(int(round(c)) for c in pixel) for pixel in canvas]
    histogram = {}
    for colour in rounded:
        histogram[colour] = histogram.get(colour, 0) + 1
    colours, lookup = median_cut(histogram, PICTURE_COLOUR_COUNT)
    colours += [colours[-1]] * (PICTURE_COLOUR_COUNT - len(colours))
    palette = STATIC_LOW_COLOURS + colours + STATIC_HIGH_COLOURS
    indexes = [FIRST_PICTURE_INDEX + lookup[colour] for colour in rounded]
    return palette, indexes


# ---------------------------------------------------------------------------
# Indexed pictures: (width, height, list of indexes, rows from the top).


def crop(width, indexes, left, top, right, bottom):
    """Returns the rectangle LEFT..RIGHT-1 x TOP..BOTTOM-1 of an indexed
    picture WIDTH pixels wide, as a flat list."""
    return [indexes[y * width + x] for y in range(top, bottom) for x in range(left, right)]


def caption_origin(text):
    """Returns the (x, y) where TEXT's glyph cells start inside a caption
    rectangle: centred across, on a common baseline. Raises ValueError when
    the caption and its shadow would not stay strictly inside."""
    width = text_width(text, 2)
    left = (CAPTION_WIDTH - width) // 2
    top = 6
    if left < 2 or left + width + 1 > CAPTION_WIDTH - 2 or top + FONT_ROWS * 2 + 1 > CAPTION_HEIGHT - 1:
        raise ValueError("caption %r does not fit its rectangle" % text)
    return left, top


def draw_caption(pixels, text, colour_index):
    """Draws TEXT into a CAPTION_WIDTH x CAPTION_HEIGHT indexed picture:
    a black shadow one pixel down and right, then the glyphs in
    COLOUR_INDEX. Returns the new list."""
    result = list(pixels)
    left, top = caption_origin(text)
    ink = list(text_pixels(text, left, top, 2, 2))
    for x, y in ink:
        result[(y + 1) * CAPTION_WIDTH + x + 1] = SHADOW_INDEX
    for x, y in ink:
        result[y * CAPTION_WIDTH + x] = colour_index
    return result


def make_pictures(scenery_indexes):
    """Returns {name: (width, height, indexes)} for FRONT, BACK, REMOVE and
    REMOVEHL, built from the caption-free indexed scenery."""
    front = list(scenery_indexes)
    back = []
    for (left, top, right, bottom), text in zip(HOT_SPOTS, CAPTIONS):
        ground = crop(SPLASH_WIDTH, scenery_indexes, left, top, right, bottom)
        normal = draw_caption(ground, text, CAPTION_RED_INDEX)
        back += draw_caption(ground, text, HIGHLIGHT_YELLOW_INDEX)
        for row in range(CAPTION_HEIGHT):
            start = (top + row) * SPLASH_WIDTH + left
            front[start:start + CAPTION_WIDTH] = normal[row * CAPTION_WIDTH:(row + 1) * CAPTION_WIDTH]
    left, top, right, bottom = HOT_SPOTS[SPOT_INSTALL]
    install_ground = crop(SPLASH_WIDTH, scenery_indexes, left, top, right, bottom)
    return {
        "front": (SPLASH_WIDTH, SPLASH_HEIGHT, front),
        "back": (CAPTION_WIDTH, CAPTION_HEIGHT * len(HOT_SPOTS), back),
        "remove": (CAPTION_WIDTH, CAPTION_HEIGHT,
                   draw_caption(install_ground, UNINSTALL_CAPTION, CAPTION_RED_INDEX)),
        "removehl": (CAPTION_WIDTH, CAPTION_HEIGHT,
                     draw_caption(install_ground, UNINSTALL_CAPTION, HIGHLIGHT_YELLOW_INDEX)),
    }


# ---------------------------------------------------------------------------
# File formats.

BITMAP_FILE_HEADER_SIZE = 14
BITMAP_INFO_HEADER_SIZE = 40
BI_RGB = 0
PIXELS_PER_METRE_72DPI = 2835


def colour_table_bytes(palette):
    """Returns PALETTE as a DIB colour table: blue, green, red, 0 per entry."""
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def bitmap_bytes(width, height, indexes, palette):
    """Returns an uncompressed 8-bit bottom-up BMP file of the indexed
    picture, rows padded to four bytes."""
    stride = (width + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytes(indexes[y * width:(y + 1) * width])
        rows.append(row + b"\0" * (stride - width))
    image = b"".join(rows)
    table = colour_table_bytes(palette)
    offset = BITMAP_FILE_HEADER_SIZE + BITMAP_INFO_HEADER_SIZE + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", BITMAP_INFO_HEADER_SIZE, width, height, 1, 8,
                              BI_RGB, len(image), PIXELS_PER_METRE_72DPI,
                              PIXELS_PER_METRE_72DPI, len(palette), 0)
    return file_header + info_header + table + image


def wave_bytes(samples):
    """Returns a RIFF WAVE file holding SAMPLES (unsigned 8-bit values) as
    mono PCM at SAMPLE_RATE."""
    data = bytes(samples)
    fmt = struct.pack("<HHIIHH", 1, 1, SAMPLE_RATE, SAMPLE_RATE, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt \
        + b"data" + struct.pack("<I", len(data)) + data
    if len(data) % 2:
        body += b"\0"
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ---------------------------------------------------------------------------
# The welcome tune: a short rising phrase over a bass line, ending on the
# tonic chord. Sixteen steps fill the tune's exact length.

TUNE_STEPS = 16
STEP_SAMPLES = TUNE_DATA_BYTES // TUNE_STEPS
# (first step, steps held, MIDI note)
MELODY = [(0, 1, 72), (1, 1, 76), (2, 1, 79), (3, 2, 84), (5, 1, 83), (6, 1, 81),
          (7, 1, 79), (8, 1, 77), (9, 1, 81), (10, 1, 79), (11, 1, 76), (12, 1, 74),
          (13, 3, 72)]
BASS = [(0, 4, 48), (4, 4, 45), (8, 3, 41), (11, 2, 43), (13, 3, 48)]
FINAL_CHORD = [(13, 3, 64), (13, 3, 67)]
FADE_OUT_SAMPLES = 2400


def note_frequency(midi_note):
    """Returns the frequency in hertz of MIDI_NOTE (69 is A at 440 Hz)."""
    return 440.0 * 2.0 ** ((midi_note - 69) / 12.0)


def add_voice(mix_buffer, notes, level, harmonics, decay_seconds, attack_samples):
    """Adds NOTES to MIX_BUFFER: each a sum of HARMONICS ((multiple, level)
    pairs) with a linear attack, an exponential decay and a short release to
    silence before the note's end, so no note boundary clicks."""
    release_samples = 90
    for first_step, steps, midi_note in notes:
        start = first_step * STEP_SAMPLES
        length = steps * STEP_SAMPLES
        frequency = note_frequency(midi_note)
        for n in range(length):
            t = n / float(SAMPLE_RATE)
            envelope = min(1.0, n / float(attack_samples)) * math.exp(-t / decay_seconds)
            envelope *= min(1.0, (length - n) / float(release_samples))
            wave = sum(h_level * math.sin(2.0 * math.pi * frequency * multiple * t)
                       for multiple, h_level in harmonics)
            mix_buffer[start + n] += level * envelope * wave


def make_tune():
    """Returns the tune as TUNE_DATA_BYTES unsigned 8-bit samples."""
    buffer = [0.0] * TUNE_DATA_BYTES
    bell = [(1, 1.0), (2, 0.35), (3, 0.12), (4, 0.06)]
    add_voice(buffer, MELODY, 0.42, bell, 0.32, 30)
    add_voice(buffer, FINAL_CHORD, 0.14, bell, 0.6, 60)
    add_voice(buffer, BASS, 0.30, [(1, 1.0), (3, 0.1)], 0.9, 120)
    samples = []
    for n, value in enumerate(buffer):
        remaining = TUNE_DATA_BYTES - n
        if remaining < FADE_OUT_SAMPLES:
            value *= 0.5 - 0.5 * math.cos(math.pi * remaining / FADE_OUT_SAMPLES)
        level = int(round(PCM_SILENCE + 127.0 * value))
        samples.append(max(0, min(255, level)))
    return samples


# ---------------------------------------------------------------------------
# The icon: a round night-sky badge with a crescent moon, stars and a
# mountain, in the sixteen standard colours.

ICON_SIZE = 32
ICON_COLOURS = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
ICON_BLACK, ICON_DARK_BLUE, ICON_DARK_MAGENTA, ICON_GREY = 0, 4, 5, 7
ICON_DARK_GREY, ICON_YELLOW, ICON_WHITE = 8, 11, 15


def icon_pixel(x, y):
    """Returns the colour index of icon pixel (X, Y), counted from the top,
    or None where the icon is transparent."""
    cx = cy = (ICON_SIZE - 1) / 2.0
    radius = math.hypot(x - cx, y - cy)
    if radius > 15.6:
        return None
    if radius > 14.3:
        return ICON_GREY
    if y >= 27 or y >= 14 + 0.9 * abs(x - 10):  # the near peak and the ground
        return ICON_GREY if y < 17 else ICON_BLACK
    if y >= 18 + 0.8 * abs(x - 23):  # the far peak
        return ICON_DARK_MAGENTA
    moon = math.hypot(x - 19.5, y - 10.5) <= 6.2 and math.hypot(x - 22.5, y - 8.0) > 5.4
    if moon:
        return ICON_YELLOW
    if (x, y) in ((7, 7), (12, 4), (5, 14), (26, 17), (14, 12), (9, 19)):
        return ICON_WHITE
    if (x, y) in ((12, 3), (12, 5), (11, 4), (13, 4)):
        return ICON_DARK_GREY
    return ICON_DARK_BLUE


def icon_bytes():
    """Returns a .ico file holding one 32 x 32, 4-bit image with its AND
    mask (1 bits are transparent)."""
    colour_rows, mask_rows = [], []
    for y in range(ICON_SIZE - 1, -1, -1):  # bottom-up, like every DIB
        nibbles = []
        mask_bits = 0
        for x in range(ICON_SIZE):
            index = icon_pixel(x, y)
            nibbles.append(0 if index is None else index)
            if index is None:
                mask_bits |= 1 << (ICON_SIZE - 1 - x)
        colour_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1]
                                 for i in range(0, ICON_SIZE, 2)))
        mask_rows.append(struct.pack(">I", mask_bits))
    image = b"".join(colour_rows) + b"".join(mask_rows)
    table = colour_table_bytes(ICON_COLOURS)
    info = struct.pack("<IiiHHIIiiII", BITMAP_INFO_HEADER_SIZE, ICON_SIZE, ICON_SIZE * 2, 1, 4,
                       BI_RGB, len(image), 0, 0, 0, 0)
    entry_data = info + table + image
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", ICON_SIZE, ICON_SIZE, 16, 0, 1, 4, len(entry_data),
                        6 + 16)
    return directory + entry + entry_data


# ---------------------------------------------------------------------------


def write_file(folder, name, data):
    """Writes DATA to FOLDER/NAME."""
    with open(os.path.join(folder, name), "wb") as output:
        output.write(data)


def main(argv):
    """Writes every resource file into the chosen folder; returns the exit
    code."""
    default_folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    parser = argparse.ArgumentParser(description="Make the installer's resource files.")
    parser.add_argument("--out", default=default_folder, help="folder to write into")
    arguments = parser.parse_args(argv)
    os.makedirs(arguments.out, exist_ok=True)

    palette, scenery = quantize(paint_scenery())
    for name, (width, height, indexes) in make_pictures(scenery).items():
        write_file(arguments.out, name + ".bmp", bitmap_bytes(width, height, indexes, palette))
    write_file(arguments.out, "palette.bin", colour_table_bytes(palette))
    write_file(arguments.out, "music.wav", wave_bytes(make_tune()))
    write_file(arguments.out, "kestsetup.ico", icon_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
