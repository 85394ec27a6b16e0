"""Where things are on the panel, in panel (client) pixels: the rectangles
the program hit-tests, the key positions it draws, and the places in the
artwork that painting copies from. Rectangles are (left, top, right, bottom)
with the right and bottom edges outside. The geometry is the program's own,
read from its sources (tools/panel_geometry.py)."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import panel_geometry as geometry  # noqa: E402

PATCH, CHANNEL, OCTAVE, VOLUME, TRANSPOSE, CHORD, PLUS, MINUS = range(8)

# Each section's eight buttons, in the order above.
BUTTONS = geometry.SECTION_BUTTONS
RESET, SETUP, OFF = geometry.TOP_BUTTONS
LCD = geometry.DISPLAYS  # the two displays
KNOB = geometry.KNOB
DISPLAYS = geometry.DISPLAYS
WHEEL = geometry.WHEEL
KEY_BED_LEFT = tuple(bed[0] for bed in geometry.KEY_BEDS)
KEY_TOP = geometry.KEY_BEDS[0][1]
# A point that is on no control: between the displays' button row and the key beds, left of both.
BARE_PANEL = (20, 110)

# Key index k of a section: its colour and its x offset from the key bed's left edge.
BLACK_KEYS = geometry.BLACK_KEYS
KEY_OFFSETS = geometry.KEY_OFFSETS

# Artwork sprites (top-left corners).
WHITE_KEY_RELEASED, WHITE_KEY_PRESSED, BLACK_KEY_RELEASED, BLACK_KEY_PRESSED = (
    sprite[:2] for sprite in (geometry.WHITE_KEY_RELEASED, geometry.WHITE_KEY_PRESSED, geometry.BLACK_KEY_RELEASED,
                              geometry.BLACK_KEY_PRESSED))
LIT_LAMP, UNLIT_LAMP = geometry.LAMP_LIT[:2], geometry.LAMP_UNLIT[:2]  # as stored, section 0 is lit
LAMP_SIZE = geometry.LAMP_LIT.width
KNOB_DOT = geometry.KNOB_DOT[:2]  # also where the artwork has it drawn in
KNOB_FACE = geometry.KNOB_FACE[:2]  # plain knob face
KNOB_SPRITE_SIZE = geometry.KNOB_DOT[2:]
KNOB_START = (377, 66)  # where the dot is drawn at start-up

WHEEL_PEN = (120, 110, 90)


def button(section, which):
    """The middle of one of a section's buttons."""
    return centre(BUTTONS[section][which])


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def key_left(section, key):
    return KEY_BED_LEFT[section] + KEY_OFFSETS[key]
