#!/usr/bin/python3
"""Draws Tonvale's panel artwork and hand cursor.

    /usr/bin/python3 tools/artwork/make_artwork.py [--preview DIR]

Writes resources/panel.bmp (the bitmap "MAINBMP": 800 x 250, 24 bits per
pixel, uncompressed, bottom-up), the same panel drawn at twice the size for
high display scales (resources/panel-2x.bmp, "MAINBMP2X": 1600 x 500) and
resources/hand.cur (the cursor "HAND": 32 x 32, monochrome with its mask,
hot spot 6, 0). With --preview it also writes PNGs of the panel as painting
composes it, for looking at.

Needs the Debian packages python3-pil and fonts-dejavu-core. The preview's
display text uses Wine's Tahoma (package fonts-wine) when it is there.

Coordinates are client pixels of the panel at 96 DPI. Where the controls,
keys and sprites lie is read from the program's display/panel_layout.cpp
and .h (tools/panel_geometry.py); the unit tests check the written files
against them. The canvas turns coordinates into pixels of the scale it draws
at, so shapes and lettering are drawn afresh at 2x rather than enlarged.
"""

import argparse
import math
import os
import struct
import sys

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:
    sys.exit("make_artwork.py needs Pillow: apt-get install python3-pil")

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

sys.path.insert(0, os.path.join(ROOT, "tools"))
sys.dont_write_bytecode = True
import panel_geometry as geometry  # noqa: E402

WIDTH, HEIGHT = geometry.PANEL_WIDTH, geometry.PANEL_HEIGHT
SCALES = {1: "panel.bmp", 2: "panel-2x.bmp"}

# ---------------------------------------------------------------- geometry
# Rectangles are (left, top, right, bottom), right and bottom outside.
LCD = geometry.DISPLAYS
KEY_BED = geometry.KEY_BEDS
TOP_BUTTONS = list(zip(("RESET", "SETUP", "OFF"), geometry.TOP_BUTTONS))
PARAM_LABELS = ["PATCH", "CHAN.", "OCTAVE", "VOLUME", "TRANS.", "CHORD"]
PARAM_BUTTONS = [buttons[:len(PARAM_LABELS)] for buttons in geometry.SECTION_BUTTONS]
PLUS_MINUS = [buttons[len(PARAM_LABELS):] for buttons in geometry.SECTION_BUTTONS]
KNOB_RECT = geometry.KNOB
WHEEL_RECT = geometry.WHEEL

KEY_OFFSETS = geometry.KEY_OFFSETS
BLACK_KEYS = set(geometry.BLACK_KEYS)
WHITE_W, BLACK_W, BLACK_H = geometry.WHITE_KEY_WIDTH, geometry.BLACK_KEY_WIDTH, geometry.BLACK_KEY_HEIGHT
KEY_TOP = KEY_BED[0][1]

# Sprite source corners.
WHITE_RELEASED, WHITE_PRESSED = geometry.WHITE_KEY_RELEASED[:2], geometry.WHITE_KEY_PRESSED[:2]
BLACK_RELEASED, BLACK_PRESSED = geometry.BLACK_KEY_RELEASED[:2], geometry.BLACK_KEY_PRESSED[:2]
LAMP_LIT, LAMP_UNLIT, LAMP_SIZE = geometry.LAMP_LIT[:2], geometry.LAMP_UNLIT[:2], geometry.LAMP_LIT.width
KNOB_DOT, KNOB_FACE, KNOB_SPRITE = geometry.KNOB_DOT[:2], geometry.KNOB_FACE[:2], geometry.KNOB_DOT[2:]
PIVOT = (401, 54)
WHEEL_MARKER = (397, 186)

# ------------------------------------------------------------------ colours
PANEL_TOP, PANEL_BOTTOM = (80, 79, 78), (66, 65, 65)
LCD_FACE = (160, 180, 166)        # dark display text RGB(52, 57, 55) reads at about 5.4:1
BED = (24, 24, 25)
FELT = (112, 30, 30)
BUTTON = (156, 137, 112)          # light brown parameter bars
TOP_BUTTON = (104, 130, 121)      # grey-green RESET, SETUP, OFF
LABEL = (214, 208, 194)
LABEL_SHADOW = (38, 37, 37)
KNOB_FACE_COLOUR = (54, 54, 57)
WHEEL_MARKER_COLOUR = (214, 34, 28)


def mix(a, b, t):
    """Colour a moved the fraction t towards colour b."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def scale(c, f):
    return tuple(max(0, min(255, int(round(v * f)))) for v in c)


def panel_colour(y):
    return mix(PANEL_TOP, PANEL_BOTTOM, min(1.0, max(0.0, y / (HEIGHT - 1))))


class Canvas:
    """The panel at `scale` pixels per panel pixel. Drawing takes panel
    coordinates: pixel-art parts (fills, shading, frames) cover a scale x scale
    block per panel pixel; round shapes, strokes and lettering are sampled at
    the canvas's own pixels, so they are as sharp as its size allows."""

    def __init__(self, scale=1):
        self.scale = scale
        self.width, self.height = WIDTH * scale, HEIGHT * scale
        self.img = Image.new("RGB", (self.width, self.height))
        self.px = self.img.load()
        for y in range(self.height):
            c = self.background(y)
            for x in range(self.width):
                self.px[x, y] = c

    def background(self, y):
        """The panel's colour on the canvas's row y."""
        return panel_colour((y + 0.5) / self.scale - 0.5)

    def block(self, x, y):
        """The canvas pixels of panel pixel (x, y)."""
        s = self.scale
        for py in range(y * s, (y + 1) * s):
            for px in range(x * s, (x + 1) * s):
                yield px, py

    def fill(self, rect, colour):
        self.shade(rect, lambda x, y: colour)

    def shade(self, rect, colour_at):
        left, top, right, bottom = rect
        for y in range(top, bottom):
            for x in range(left, right):
                colour = colour_at(x - left, y - top)
                for p in self.block(x, y):
                    self.px[p] = colour

    def modify(self, x, y, change):
        """Panel pixel (x, y) with each of its canvas pixels changed by change(colour)."""
        for p in self.block(x, y):
            self.px[p] = change(self.px[p])

    def blend(self, x, y, colour, alpha):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            for px, py in self.block(x, y):
                self._blend(px, py, colour, alpha)

    def _blend(self, x, y, colour, alpha):
        """One canvas pixel."""
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        self.px[x, y] = colour if alpha >= 1 else mix(self.px[x, y], colour, alpha)

    def put(self, x, y, colour):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            for p in self.block(x, y):
                self.px[p] = colour

    def ring(self, rect, top_left, bottom_right):
        """A one-pixel frame just outside rect: the top and left edges in one
        colour, the bottom and right edges in the other."""
        left, top, right, bottom = rect
        for x in range(left - 1, right + 1):
            self.put(x, top - 1, top_left)
            self.put(x, bottom, bottom_right)
        for y in range(top - 1, bottom + 1):
            self.put(left - 1, y, top_left)
            self.put(right, y, bottom_right)
        self.put(right, top - 1, mix(top_left, bottom_right, 0.5))
        self.put(left - 1, bottom, mix(top_left, bottom_right, 0.5))

    def frame(self, rect, rings):
        """Rings from the inside out, each (top-left colour, bottom-right colour)."""
        left, top, right, bottom = rect
        for i, (tl, br) in enumerate(rings):
            self.ring((left - i, top - i, right + i, bottom + i), tl, br)

    def round_shape(self, cx, cy, radius, colour_at, samples=4):
        """Anti-aliased disc about the continuous point (cx, cy); colour_at(dx,
        dy, r) colours each covered pixel from its offset to the centre, in
        panel pixels."""
        s = self.scale
        margin = 0.75 / s  # a little over half a canvas pixel's diagonal
        for y in range(int((cy - radius) * s) - 1, int((cy + radius) * s) + 2):
            for x in range(int((cx - radius) * s) - 1, int((cx + radius) * s) + 2):
                dx, dy = (x + 0.5) / s - cx, (y + 0.5) / s - cy
                r = math.hypot(dx, dy)
                if r > radius + margin:
                    continue
                if r < radius - margin:
                    cover = 1.0
                else:
                    inside = 0
                    for sy in range(samples):
                        for sx in range(samples):
                            ox = (x + (sx + 0.5) / samples) / s - cx
                            oy = (y + (sy + 0.5) / samples) / s - cy
                            inside += ox * ox + oy * oy <= radius * radius
                    cover = inside / (samples * samples)
                self._blend(x, y, colour_at(dx, dy, r), cover)

    def stroke(self, x0, y0, x1, y1, width, colour, samples=4):
        """An anti-aliased straight stroke between two continuous points."""
        s = self.scale
        length2 = (x1 - x0) ** 2 + (y1 - y0) ** 2
        for y in range(int((min(y0, y1) - width) * s) - 1, int((max(y0, y1) + width) * s) + 2):
            for x in range(int((min(x0, x1) - width) * s) - 1, int((max(x0, x1) + width) * s) + 2):
                inside = 0
                for sy in range(samples):
                    for sx in range(samples):
                        px, py = (x + (sx + 0.5) / samples) / s, (y + (sy + 0.5) / samples) / s
                        t = max(0.0, min(1.0, ((px - x0) * (x1 - x0) + (py - y0) * (y1 - y0)) / length2))
                        inside += math.hypot(px - x0 - t * (x1 - x0), py - y0 - t * (y1 - y0)) <= width / 2
                self._blend(x, y, colour, inside / (samples * samples))


# -------------------------------------------------------------------- text
def font(name, size):
    """A face and its size in panel pixels; lettering loads it at the canvas's scale."""
    path = os.path.join(FONT_DIR, name)
    if not os.path.exists(path):
        sys.exit("make_artwork.py needs %s: apt-get install fonts-dejavu-core" % path)
    return path, size


def text_width(f, s, spacing, scale):
    return sum(f.getlength(ch) / scale for ch in s) + spacing * (len(s) - 1)


def lettering(canvas, x, baseline, s, face, colour, spacing=0.0, shadow=LABEL_SHADOW, anchor="left"):
    """Draws s with its baseline at baseline, starting at x (or centred on x), one
    character at a time so the letter spacing can be opened; a dark copy one
    pixel lower makes it read as engraved."""
    scale = canvas.scale
    f = ImageFont.truetype(face[0], face[1] * scale)
    if anchor == "centre":
        x -= text_width(f, s, spacing, scale) / 2
    draw = ImageDraw.Draw(canvas.img)
    for dy, c in ((1, shadow), (0, colour)):
        pen = x
        for ch in s:
            draw.text((round(pen * scale), (baseline + dy) * scale), ch, font=f, fill=c, anchor="ls")
            pen += f.getlength(ch) / scale + spacing


# -------------------------------------------------------------- the panel
def draw_panel_edges(c):
    def lit(colour):
        return mix(colour, (255, 255, 255), 0.18)

    def dark(colour):
        return scale(colour, 0.55)
    for x in range(WIDTH):
        c.modify(x, 0, lit)
        c.modify(x, HEIGHT - 1, dark)
    for y in range(HEIGHT):
        c.modify(0, y, lit)
        c.modify(WIDTH - 1, y, dark)


def draw_screw(c, cx, cy):
    c.round_shape(cx + 0.6, cy + 0.8, 4.2, lambda dx, dy, r: (30, 30, 30))
    c.round_shape(cx, cy, 4.0, lambda dx, dy, r: mix((150, 148, 144), (70, 69, 68), (dx + dy + 6) / 12))
    for t in range(-3, 4):
        c.blend(int(cx + t * 0.7), int(cy - t * 0.7), (40, 40, 40), 0.8)


def draw_title(c):
    lettering(c, 31, 24, "TONVALE", font("DejaVuSans-Bold.ttf", 19), (226, 219, 200), spacing=3.0)
    lettering(c, 160, 24, "TWIN SECTION MIDI KEYBOARD", font("DejaVuSans.ttf", 8), (166, 176, 160),
              spacing=1.2)
    for x in range(160, 301):
        c.modify(x, 14, lambda colour: mix(colour, (166, 176, 160), 0.55))
        c.modify(x, 15, lambda colour: mix(colour, (30, 30, 30), 0.5))


BED_RINGS = [((22, 22, 22), (22, 22, 22)), ((40, 40, 40), (120, 119, 116)), ((112, 111, 108), (44, 44, 44))]
DISPLAY_RINGS = [((34, 38, 37), (92, 102, 97)), ((42, 42, 42), (124, 123, 120)), ((108, 107, 104), (46, 45, 45))]


def draw_displays(c):
    for rect in LCD:
        c.fill(rect, LCD_FACE)
        c.frame(rect, DISPLAY_RINGS)


def draw_bar(c, rect, colour):
    """A raised bar: lit from the top left."""
    left, top, right, bottom = rect
    light, dark = mix(colour, (255, 255, 255), 0.35), scale(colour, 0.55)

    last_x, last_y = right - left - 1, bottom - top - 1

    def at(x, y):
        if x == last_x or y == last_y:
            return dark
        if x == 0 or y == 0:
            return light
        return mix(colour, scale(colour, 0.9), y / (bottom - top))
    c.shade(rect, at)


def draw_parameter_buttons(c):
    f = font("DejaVuSans-Bold.ttf", 8)
    for section in (0, 1):
        for label, (left, top, right, bottom) in zip(PARAM_LABELS, PARAM_BUTTONS[section]):
            draw_bar(c, (left, top - 1, right, bottom + 1), BUTTON)
            lettering(c, (left + right) / 2, 98, label, f, LABEL, spacing=0.2, anchor="centre")
        plus, minus = PLUS_MINUS[section]
        for rect in (plus, minus):
            draw_bar(c, rect, BUTTON)
        ink = (58, 48, 38)
        cx, cy = (plus[0] + plus[2]) // 2, (plus[1] + plus[3]) // 2
        c.fill((cx - 5, cy - 1, cx + 5, cy + 1), ink)
        c.fill((cx - 1, cy - 5, cx + 1, cy + 5), ink)
        cx, cy = (minus[0] + minus[2]) // 2, (minus[1] + minus[3]) // 2
        c.fill((cx - 5, cy - 1, cx + 5, cy + 1), ink)


def draw_top_buttons(c):
    f = font("DejaVuSans-Bold.ttf", 8)
    for label, (left, top, right, bottom) in TOP_BUTTONS:
        draw_bar(c, (left, top - 1, right, bottom + 1), TOP_BUTTON)
        lettering(c, (left + right) / 2, 17, label, f, LABEL, spacing=0.6, anchor="centre")


def draw_lamp(c, corner, lit):
    cx, cy = corner[0] + LAMP_SIZE / 2, corner[1] + LAMP_SIZE / 2
    # Socket: a dark ring sunk into the panel, lighter on its lower right.
    c.round_shape(cx, cy, 7.3, lambda dx, dy, r: mix((28, 28, 28), (120, 118, 114), max(0, (dx + dy) / 14)))
    c.round_shape(cx, cy, 6.1, lambda dx, dy, r: (22, 22, 22))
    if lit:
        centre, middle, edge = (255, 186, 150), (218, 58, 40), (132, 28, 20)
    else:
        centre, middle, edge = (168, 166, 162), (104, 103, 101), (58, 58, 58)

    def lens(dx, dy, r):
        # Brightest a little up and left of the centre, as a lit dome would be.
        d = math.hypot(dx + 1.4, dy + 1.6) / 6.8
        return mix(centre, middle, d / 0.45) if d < 0.45 else mix(middle, edge, min(1.0, (d - 0.45) / 0.75))
    c.round_shape(cx, cy, 5.4, lens)


def knob_landing_boxes():
    """Every top-left corner the indicator can be drawn at (the placement
    of display/knob_indicator.cpp for all counts its callers pass)."""
    dx, dy = 385 - 401, 54 - 75
    a = math.degrees(math.atan2(dx, dy))
    sweep, start = 2 * abs(a), (a if a >= 0 else 360 - abs(a))
    r = math.trunc(math.sqrt(dx * dx + dy * dy))
    boxes = set()
    for count in (128, 16, 11, 12, 127, 15, 10):
        for value in range(count + 1):
            theta = start + sweep / count * value
            if theta >= 360:
                theta -= 360
            x = 392 + math.trunc(r * math.sin(math.radians(theta)))
            y = 54 - math.trunc(r * math.cos(math.radians(theta))) - 8
            boxes.add((x, y))
    return boxes


def draw_knob(c):
    cx, cy = PIVOT[0] + 0.5, PIVOT[1] + 0.5
    # Scale marks around the knob: the indicator's eleven stations from the
    # lower left, over the top, to the lower right.
    start, sweep = 217.304, 285.392
    for i in range(11):
        bearing = math.radians(start + sweep * i / 10)
        inner = 47.5 if i in (0, 5, 10) else 49.0
        sin, cos = math.sin(bearing), math.cos(bearing)
        c.stroke(cx + inner * sin, cy - inner * cos, cx + 52.0 * sin, cy - 52.0 * cos, 1.1, (196, 192, 180))
    # Drop shadow on the panel, down and to the right.
    c.round_shape(cx + 1.5, cy + 2.0, 45.0, lambda dx, dy, r: scale(panel_colour(int(cy + dy)), 0.55))
    light = math.radians(315)

    def rim(dx, dy, r):
        angle = math.atan2(dx, -dy)
        lit = 0.5 + 0.5 * math.cos(angle - light)
        ridge = 0.9 + 0.1 * math.cos(angle * 48)
        base = mix((30, 30, 32), (196, 196, 198), lit ** 1.4)
        if r > 43.3:
            base = scale(base, 0.75)
        return scale(base, ridge)
    outer = 44.3
    assert KNOB_RECT[0] <= cx - outer and cx + outer <= KNOB_RECT[2], "the knob fits its rectangle"
    assert KNOB_RECT[1] <= cy - outer and cy + outer <= KNOB_RECT[3], "the knob fits its rectangle"
    c.round_shape(cx, cy, outer, rim)
    # A dark groove between the rim and the face.
    c.round_shape(cx, cy, 41.0, lambda dx, dy, r: (26, 26, 27))
    # The face: one flat colour wherever the indicator can be copied.
    c.round_shape(cx, cy, 40.0, lambda dx, dy, r: KNOB_FACE_COLOUR)


def draw_knob_dot(c):
    cx, cy = KNOB_DOT[0] + 9.5, KNOB_DOT[1] + 8.5

    def sphere(dx, dy, r):
        d = math.hypot(dx + 1.3, dy + 1.5) / 6.0
        return mix((252, 248, 236), (196, 188, 168), d / 0.5) if d < 0.5 else \
            mix((196, 188, 168), (96, 90, 80), min(1.0, (d - 0.5) / 0.7))
    c.round_shape(cx + 0.5, cy + 0.7, 5.2, lambda dx, dy, r: (24, 24, 25))
    c.round_shape(cx, cy, 4.8, sphere)


def draw_wheel(c):
    left, top, right, bottom = WHEEL_RECT
    c.frame(WHEEL_RECT, [((14, 14, 14), (40, 40, 40)), ((36, 36, 36), (118, 117, 114)),
                         ((112, 111, 108), (44, 44, 44))])
    middle = (top + bottom - 1) / 2
    half = (bottom - top) / 2 + 4

    def at(x, y):
        # A ribbed roller seen from the front: light where it faces the
        # viewer, dark towards the top, the bottom and the sides.
        yy = top + y
        facing = math.cos(math.asin(max(-1.0, min(1.0, (yy - middle) / half))))
        sides = 1.0 - 0.55 * (abs(x - (right - left - 1) / 2) / ((right - left) / 2)) ** 3
        level = (12 + 44 * facing) * sides
        rib = (yy - top) % 4
        if rib == 0:
            level *= 0.5
        elif rib == 1:
            level *= 1.2
        return (int(level), int(level), int(level * 1.04))
    c.shade(WHEEL_RECT, at)
    c.put(*WHEEL_MARKER, WHEEL_MARKER_COLOUR)


# A key's repaint covers the key bed rectangle, which ends three rows above
# the panel's bottom edge and, in the left bed, one column short of the last
# key's right edge. Those rows and the separation column therefore look the
# same on a pressed and a released white key.
SHARED_ROWS_FROM = KEY_BED[0][3] - KEY_BED[0][1]
SEPARATION = (98, 98, 97)


def white_key(pressed):
    last = SHARED_ROWS_FROM - 1

    def at(x, y):
        if x == WHITE_W - 1:
            return SEPARATION
        if y >= SHARED_ROWS_FROM:
            # The key's lower edge.
            colour = mix((128, 128, 126), (96, 96, 95), (y - SHARED_ROWS_FROM) / 2)
        elif pressed:
            colour = mix((231, 231, 231), (135, 133, 134), (y / last) ** 1.2)
            if y < 5:
                colour = mix((120, 120, 120), colour, y / 5)
        else:
            colour = mix((242, 242, 240), (230, 230, 228), y / last)
            if y < 8:
                colour = mix((150, 150, 150), colour, (y / 8) ** 0.7)
            elif y >= last - 6:
                # The front lip of the key.
                colour = (250, 250, 248) if y == last - 6 else mix((214, 214, 212), (178, 178, 176), (y - last + 5) / 5)
        if x == WHITE_W - 2:
            return scale(colour, 0.86)
        if x == 0:
            return mix(colour, (255, 255, 255), 0.6)
        return colour
    return at


def black_key(pressed):
    def at(x, y):
        if pressed:
            face = mix((65, 65, 64), (8, 8, 8), (y / 89) ** 1.3)
            front_from = 84
        else:
            face = mix((88, 88, 87), (104, 104, 103), y / 89)
            front_from = 76
        if y >= front_from:
            # The sloped front end, lit from above.
            t = (y - front_from) / (89 - front_from)
            face = mix((130, 130, 128), (44, 44, 44), t) if not pressed else mix((48, 48, 48), (10, 10, 10), t)
        if y >= 88:
            face = (14, 14, 14)
        if x in (0, BLACK_W - 1):
            return (16, 16, 16)
        if x in (1, BLACK_W - 2):
            return scale(face, 0.55)
        if y < 3:
            return scale(face, 0.6 + 0.13 * y)
        return face
    return at


def draw_key_beds(c):
    for bed in KEY_BED:
        left, top, right, _ = bed
        # The left bed's last key reaches one column past its rectangle.
        inner = (left, top - 3, right + 1 if bed is KEY_BED[0] else right, HEIGHT + 4)
        c.fill((inner[0], top, inner[2], HEIGHT), BED)
        # A felt strip where the keys meet the panel.
        for i, y in enumerate(range(top - 3, top)):
            c.fill((inner[0], y, inner[2], y + 1), scale(FELT, (1.2, 0.95, 0.62)[i]))
        c.frame(inner, BED_RINGS)
    # The sprites: four keys at the left end of the left bed.
    c.shade((WHITE_RELEASED[0], KEY_TOP, WHITE_RELEASED[0] + WHITE_W, HEIGHT), white_key(False))
    c.shade((WHITE_PRESSED[0], KEY_TOP, WHITE_PRESSED[0] + WHITE_W, HEIGHT), white_key(True))
    for x in (BLACK_RELEASED[0], BLACK_PRESSED[0]):
        c.shade((x, KEY_TOP, x + WHITE_W, HEIGHT), white_key(False))
    c.shade((BLACK_RELEASED[0], KEY_TOP, BLACK_RELEASED[0] + BLACK_W, KEY_TOP + BLACK_H), black_key(False))
    c.shade((BLACK_PRESSED[0], KEY_TOP, BLACK_PRESSED[0] + BLACK_W, KEY_TOP + BLACK_H), black_key(True))


def draw_wheel_label(c):
    lettering(c, 400.5, 116, "BEND", font("DejaVuSans-Bold.ttf", 8), LABEL, spacing=0.8, anchor="centre")


def draw_panel(scale=1):
    c = Canvas(scale)
    draw_panel_edges(c)
    for x, y in ((9, 9), (790, 9), (9, 239), (790, 239)):
        draw_screw(c, x, y)
    draw_title(c)
    draw_displays(c)
    draw_parameter_buttons(c)
    draw_top_buttons(c)
    draw_key_beds(c)
    draw_knob(c)
    draw_knob_dot(c)
    draw_lamp(c, LAMP_LIT, True)
    draw_lamp(c, LAMP_UNLIT, False)
    draw_wheel(c)
    draw_wheel_label(c)
    check_panel(c)
    return c.img


def check_panel(c):
    """What painting relies on, checked before anything is written; in the
    canvas's own pixels, as painting copies them at that scale."""
    px, s = c.px, c.scale
    face = KNOB_FACE_COLOUR
    dot = tuple(v * s for v in (KNOB_DOT[0], KNOB_DOT[1], KNOB_DOT[0] + KNOB_SPRITE[0], KNOB_DOT[1] + KNOB_SPRITE[1]))
    for bx, by in knob_landing_boxes() | {KNOB_FACE}:
        for y in range(by * s, (by + KNOB_SPRITE[1]) * s):
            for x in range(bx * s, (bx + KNOB_SPRITE[0]) * s):
                inside_dot = dot[0] <= x < dot[2] and dot[1] <= y < dot[3]
                assert inside_dot or px[x, y] == face, "knob face not flat at %d, %d" % (x, y)
    for x, y in ((dot[0], dot[1]), (dot[2] - 1, dot[1]), (dot[0], dot[3] - 1), (dot[2] - 1, dot[3] - 1)):
        assert px[x, y] == face, "indicator sprite corner %d, %d is not knob face" % (x, y)
    # The lamp cells are exchanged whole: everything but the lens must match.
    size = LAMP_SIZE * s
    for dy in range(size):
        for dx in range(size):
            ox, oy = (dx + 0.5) / s - 0.5 - 7, (dy + 0.5) / s - 0.5 - 7
            if ox * ox + oy * oy > 6.5 ** 2:
                lit = px[LAMP_LIT[0] * s + dx, LAMP_LIT[1] * s + dy]
                unlit = px[LAMP_UNLIT[0] * s + dx, LAMP_UNLIT[1] * s + dy]
                assert lit == unlit, "lamp cells differ at %d, %d" % (dx, dy)
    for lamp in (LAMP_LIT, LAMP_UNLIT):
        for dx, dy in ((0, 0), (size - 1, 0), (0, size - 1), (size - 1, size - 1)):
            assert px[lamp[0] * s + dx, lamp[1] * s + dy] == c.background(lamp[1] * s + dy), "lamp cell corner"
    for rect in LCD:
        for y in range(rect[1] * s, rect[3] * s):
            for x in range(rect[0] * s, rect[2] * s):
                assert px[x, y] == LCD_FACE, "display face not flat at %d, %d" % (x, y)


# -------------------------------------------------------------- the cursor
# X black, o white, . transparent. The fingertip is the hot spot (6, 0).
HAND = """
.....XXX........................
....XoooX.......................
....XoooX.......................
....XoooX.......................
....XoooX.......................
....XoooX.......................
....XoooXXXX....................
....XoooXoooXXXX................
....XoooXoooXoooX...............
....XoooXoooXoooXXXX............
....XoooXoooXoooXoooX...........
.XXXXoooXoooXoooXoooX...........
XoooXoooooooXoooXoooX...........
XoooXoooooooooooXoooX...........
XooooXooooooooooooooX...........
XoooooooooooooooooooX...........
XoooooooooooooooooooX...........
.XooooooooooooooooooX...........
.XooooooooooooooooooX...........
..XoooooooooooooooooX...........
..XoooooooooooooooooX...........
...XooooooooooooooooX...........
...XoooooooooooooooX............
....XooooooooooooooX............
....XoooooooooooooX.............
.....XoooooooooooX..............
.....XXXXXXXXXXXXX..............
.....XoooooooooooX..............
.....XoooooooooooX..............
.....XoooooooooooX..............
.....XXXXXXXXXXXXX..............
................................
""".split()
HOT_SPOT = (6, 0)


def cursor_bytes():
    assert len(HAND) == 32 and all(len(row) == 32 for row in HAND)
    assert HAND[HOT_SPOT[1]][HOT_SPOT[0]] == "X", "the hot spot is on the fingertip"
    xor_rows, and_rows = [], []
    for row in reversed(HAND):  # bottom-up, like every DIB
        xor_bits = and_bits = 0
        for x, ch in enumerate(row):
            bit = 1 << (31 - x)
            if ch == "o":
                xor_bits |= bit   # white: mask 0, colour 1
            elif ch == ".":
                and_bits |= bit   # transparent: mask 1, colour 0
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    image = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 256, 0, 0, 2, 0)
    image += bytes((0, 0, 0, 0, 255, 255, 255, 0)) + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    return directory + entry + image


# ---------------------------------------------------------------- the icon
# A small keyboard in the panel's colours, with the red lamp and a display
# above it. Each size has its own whole-pixel layout so that the keys stay
# crisp: (border, corner radius, white key width, white keys, black key
# width, key top, black key bottom, lamp centre x, y and radius, display).
ICON_LAYOUTS = {
    16: (1, 2.5, 5, 3, 3, 8, 12, (4.5, 4.5, 2.4), (8, 3, 13, 6)),
    32: (2, 5.0, 7, 4, 5, 16, 24, (9.0, 8.5, 4.3), (16, 5, 27, 12)),
    48: (2, 7.0, 9, 5, 5, 24, 36, (12.5, 12.5, 6.2), (23, 7, 42, 18)),
}
ICON_OUTLINE = (26, 26, 26)


class IconCanvas:
    """RGBA pixels, each shape anti-aliased by its coverage of 4 x 4 samples."""

    def __init__(self, size):
        self.size = size
        self.px = [[(0, 0, 0, 0.0)] * size for _ in range(size)]

    def paint(self, inside, colour_at):
        """Covers the pixels where inside(x, y) holds for some samples with
        colour_at(x, y), weighted by how many."""
        for y in range(self.size):
            for x in range(self.size):
                cover = sum(inside(x + (i % 4 + 0.5) / 4, y + (i // 4 + 0.5) / 4) for i in range(16)) / 16
                if cover:
                    r, g, b, a = self.px[y][x]
                    colour = colour_at(x, y)
                    alpha = cover + a * (1 - cover)
                    mixed = mix((r, g, b), colour, cover / alpha) if a else colour
                    self.px[y][x] = mixed + (alpha,)

    def rect(self, rect, colour_at):
        left, top, right, bottom = rect
        self.paint(lambda x, y: left <= x < right and top <= y < bottom, colour_at)


def rounded(rect, radius):
    left, top, right, bottom = rect

    def inside(x, y):
        cx, cy = min(max(x, left + radius), right - radius), min(max(y, top + radius), bottom - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius and left <= x < right and top <= y < bottom
    return inside


def draw_icon(size):
    border, radius, key_w, keys, black_w, key_top, black_bottom, lamp, display = ICON_LAYOUTS[size]
    c = IconCanvas(size)
    inner = (border, border, size - border, size - border)
    c.paint(rounded((0, 0, size, size), radius), lambda x, y: ICON_OUTLINE)
    # The panel, a little lighter than the real one so that it reads on dark task bars.
    c.paint(rounded(inner, radius - border), lambda x, y: mix((112, 110, 107), PANEL_BOTTOM, y / size))
    c.rect((border, border, size - border, border + 1), lambda x, y: mix((112, 110, 107), (255, 255, 255), 0.2))
    # The lamp, lit as on the panel.
    lx, ly, lr = lamp
    c.paint(lambda x, y: math.hypot(x - lx, y - ly) <= lr + size / 32, lambda x, y: (22, 22, 22))

    def lens(x, y):
        d = math.hypot(x + 0.5 - lx + lr * 0.25, y + 0.5 - ly + lr * 0.3) / lr
        return mix((255, 186, 150), (218, 58, 40), d / 0.45) if d < 0.45 else \
            mix((218, 58, 40), (132, 28, 20), min(1.0, (d - 0.45) / 0.75))
    c.paint(lambda x, y: math.hypot(x - lx, y - ly) <= lr, lens)
    # The display, with a line of text on the larger sizes.
    left, top, right, bottom = display
    c.rect((left - 1, top - 1, right + 1, bottom + 1), lambda x, y: DISPLAY_RINGS[0][0])
    c.rect(display, lambda x, y: LCD_FACE)
    for row in range(top + 2, bottom - 1, 4 if size > 16 else size):
        c.rect((left + 2, row, right - 2 - (row - top) % 7, row + size // 32 + 1), lambda x, y: (52, 57, 55))
    # The felt strip and the keys, the last key's separation under the border.
    felt_rows = border
    for i in range(felt_rows):
        c.rect((border, key_top - felt_rows + i, size - border, key_top - felt_rows + i + 1),
               lambda x, y, i=i: scale(FELT, 1.2 - 0.3 * i))
    key_bottom = size - border
    for k in range(keys):
        key_left = border + k * key_w

        def white(x, y, key_left=key_left):
            if x == key_left + key_w - 1:
                return SEPARATION
            return mix((244, 244, 242), (214, 214, 212), (y - key_top) / (key_bottom - key_top))
        c.rect((key_left, key_top, key_left + key_w, key_bottom), white)
    for k in range(keys - 1):
        if k % 7 in (2, 6):  # no black key between E and F, or B and C
            continue
        middle = border + (k + 1) * key_w - 1
        left = middle - black_w // 2

        def black(x, y, left=left):
            if size > 16 and x in (left, left + black_w - 1):
                return (16, 16, 16)
            return mix((96, 96, 95), (40, 40, 40), (y - key_top) / (black_bottom - key_top))
        c.rect((left, key_top, left + black_w, black_bottom), black)
    c.paint(lambda x, y: not rounded(inner, radius - border)(x, y) and rounded((0, 0, size, size), radius)(x, y),
            lambda x, y: ICON_OUTLINE)
    return c


def icon_bytes():
    """An .ico of the sizes in ICON_LAYOUTS: 32-bit images with alpha, and
    the 1-bit mask that older systems draw with."""
    images = []
    for size in sorted(ICON_LAYOUTS):
        px = draw_icon(size).px
        pixels, mask = bytearray(), bytearray()
        mask_stride = (size + 31) // 32 * 4
        for row in reversed(px):  # bottom-up
            bits = 0
            for x, (r, g, b, a) in enumerate(row):
                alpha = int(round(a * 255))
                pixels += bytes((b, g, r, alpha)) if alpha else bytes(4)
                if not alpha:
                    bits |= 1 << (mask_stride * 8 - 1 - x)
            mask += bits.to_bytes(mask_stride, "big")
        header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
        images.append((size, header + bytes(pixels) + bytes(mask)))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = len(data) + 16 * len(images)
    for size, image in images:
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return data + b"".join(image for _, image in images)


# ---------------------------------------------------------------- writing
def bmp_bytes(img):
    width, height = img.size
    stride = (width * 3 + 3) & ~3
    pixels = img.load()
    data = bytearray()
    for y in range(height - 1, -1, -1):
        for x in range(width):
            r, g, b = pixels[x, y]
            data += bytes((b, g, r))
        data += bytes(stride - width * 3)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return file_header + info_header + bytes(data)


# ---------------------------------------------------------------- preview
def preview(img, folder):
    """The panel as painting composes it, in two states, for looking at."""
    os.makedirs(folder, exist_ok=True)
    tahoma = "/usr/share/wine/fonts/tahoma.ttf"
    gui_font = ImageFont.truetype(tahoma, 11) if os.path.exists(tahoma) else font("DejaVuSans.ttf", 10)

    def compose(active, pressed, knob_at, bend):
        out = img.copy()
        draw = ImageDraw.Draw(out)
        ink = (52, 57, 55)
        for section, (left, _, _, _) in enumerate(LCD):
            draw.text((left + 5, 38), "PATCH: ACOUSTIC GRAND PIANO", font=gui_font, fill=ink)
            draw.text((left + 5, 52), "CHAN  : %.2u   OCT: 05   VOL: 127   TRANSP: 00" % (section + 1),
                      font=gui_font, fill=ink)
            draw.text((left + 240, 64), "OFF", font=gui_font, fill=ink)
            draw.text((left + 5 + 46 * section, 64), "---<>---", font=gui_font, fill=ink)
        y = 241 - math.ceil(114 * bend / 16383)
        draw.line([(WHEEL_RECT[0], y), (WHEEL_RECT[2] - 1, y)], fill=(120, 110, 90))
        for section, (bed_left, _, _, _) in enumerate(KEY_BED):
            for k in range(len(KEY_OFFSETS)):
                if k in BLACK_KEYS:
                    continue
                source = WHITE_PRESSED if (section, k) in pressed else WHITE_RELEASED
                out.paste(img.crop((source[0], KEY_TOP, source[0] + WHITE_W, HEIGHT)),
                          (bed_left + KEY_OFFSETS[k], KEY_TOP))
            for k in sorted(BLACK_KEYS):
                source = BLACK_PRESSED if (section, k) in pressed else BLACK_RELEASED
                out.paste(img.crop((source[0], KEY_TOP, source[0] + BLACK_W, KEY_TOP + BLACK_H)),
                          (bed_left + KEY_OFFSETS[k], KEY_TOP))
        if active == 1:
            lit = img.crop((LAMP_LIT[0], LAMP_LIT[1], LAMP_LIT[0] + LAMP_SIZE, LAMP_LIT[1] + LAMP_SIZE))
            unlit = img.crop((LAMP_UNLIT[0], LAMP_UNLIT[1], LAMP_UNLIT[0] + LAMP_SIZE, LAMP_UNLIT[1] + LAMP_SIZE))
            out.paste(unlit, LAMP_LIT)
            out.paste(lit, LAMP_UNLIT)
        w, h = KNOB_SPRITE
        out.paste(img.crop((KNOB_FACE[0], KNOB_FACE[1], KNOB_FACE[0] + w, KNOB_FACE[1] + h)), KNOB_DOT)
        out.paste(img.crop((KNOB_DOT[0], KNOB_DOT[1], KNOB_DOT[0] + w, KNOB_DOT[1] + h)), knob_at)
        return out

    start = compose(0, set(), (377, 66), 8192)
    playing = compose(1, {(0, 0), (0, 4), (0, 7), (0, 1), (1, 6), (1, 9), (1, 13), (1, 16)},
                      (416, 38), 14000)
    for name, picture in (("artwork", img), ("painted-start", start), ("painted-playing", playing)):
        picture.save(os.path.join(folder, name + ".png"))
        picture.resize((WIDTH * 2, HEIGHT * 2), Image.NEAREST).save(os.path.join(folder, name + "-2x.png"))
    crops = {"keys": (30, 100, 200, 250), "knob": (340, 0, 500, 125), "lamps": (296, 30, 520, 104),
             "labels": (0, 0, 330, 125), "right": (460, 0, 800, 125), "wheel": (370, 100, 440, 250)}
    for name, box in crops.items():
        for state, picture in (("artwork", img), ("playing", playing)):
            part = picture.crop(box)
            part.resize((part.width * 4, part.height * 4), Image.NEAREST).save(
                os.path.join(folder, "zoom-%s-%s.png" % (name, state)))
    cursor = Image.new("RGB", (32, 32), (90, 140, 200))
    for y, row in enumerate(HAND):
        for x, ch in enumerate(row):
            if ch != ".":
                cursor.putpixel((x, y), (0, 0, 0) if ch == "X" else (255, 255, 255))
    cursor.resize((256, 256), Image.NEAREST).save(os.path.join(folder, "hand-8x.png"))
    # The icon on a light and on a dark background, at its size and at 8x.
    for size in sorted(ICON_LAYOUTS):
        px = draw_icon(size).px
        sheet = Image.new("RGB", (size * 2 + 12, size + 8))
        for i, background in enumerate(((236, 236, 236), (32, 36, 48))):
            sheet.paste(background, (i * (size + 6), 0, i * (size + 6) + size + 6, size + 8))
            for y, row in enumerate(px):
                for x, (r, g, b, a) in enumerate(row):
                    sheet.putpixel((i * (size + 6) + 3 + x, 4 + y), mix(background, (r, g, b), a))
        sheet.resize((sheet.width * 8, sheet.height * 8), Image.NEAREST).save(
            os.path.join(folder, "icon-%d-8x.png" % size))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--preview", metavar="DIR", help="also write PNG previews into DIR")
    args = parser.parse_args()
    panels = {scale: draw_panel(scale) for scale in SCALES}
    for scale, name in SCALES.items():
        with open(os.path.join(ROOT, "resources", name), "wb") as f:
            f.write(bmp_bytes(panels[scale]))
    with open(os.path.join(ROOT, "resources", "hand.cur"), "wb") as f:
        f.write(cursor_bytes())
    with open(os.path.join(ROOT, "resources", "tonvale.ico"), "wb") as f:
        f.write(icon_bytes())
    if args.preview:
        preview(panels[1], args.preview)
        panels[2].save(os.path.join(args.preview, "artwork-at-2x-scale.png"))


if __name__ == "__main__":
    main()
