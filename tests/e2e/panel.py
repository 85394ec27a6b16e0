"""Where things are on the panel, in panel (client) pixels: the rectangles
the program hit-tests, the key positions it draws, and the places in the
artwork that painting copies from. Rectangles are (left, top, right, bottom)
with the right and bottom edges outside."""

PATCH, CHANNEL, OCTAVE, VOLUME, TRANSPOSE, CHORD, PLUS, MINUS = range(8)

# Each section's eight buttons, in the order above.
BUTTONS = (
    ((31, 82, 74, 88), (77, 82, 120, 88), (123, 82, 166, 88), (169, 82, 212, 88), (215, 82, 258, 88),
     (261, 82, 304, 88), (308, 34, 332, 54), (308, 57, 332, 77)),
    ((498, 82, 541, 88), (544, 82, 587, 88), (590, 82, 633, 88), (636, 82, 679, 88), (682, 82, 725, 88),
     (728, 82, 771, 88), (470, 34, 494, 54), (470, 57, 494, 77)),
)
RESET, SETUP, OFF = (636, 22, 679, 28), (682, 22, 725, 28), (728, 22, 771, 28)
KNOB = (354, 6, 446, 102)
WHEEL = (390, 127, 411, 242)
KEY_BED_LEFT = (39, 423)
KEY_TOP = 124
# A point that is on no control: between the displays' button row and the key beds, left of both.
BARE_PANEL = (20, 110)

# Key index k of a section: its colour and its x offset from the key bed's left edge.
BLACK_KEYS = (1, 3, 6, 8, 10, 13, 15)
KEY_OFFSETS = (0, 24, 34, 58, 68, 102, 126, 136, 160, 170, 194, 204, 238, 262, 272, 296, 306)

# Artwork sprites (top-left corners).
WHITE_KEY_RELEASED, WHITE_KEY_PRESSED = (39, 124), (73, 124)
BLACK_KEY_RELEASED, BLACK_KEY_PRESSED = (107, 124), (141, 124)
LIT_LAMP, UNLIT_LAMP = (316, 82), (477, 82)  # 15 x 15 cells; as stored, section 0 is lit
LAMP_SIZE = 15
KNOB_DOT = (376, 67)  # 18 x 17, also where the artwork has it drawn in
KNOB_FACE = (401, 54)  # 18 x 17 of plain knob face
KNOB_SPRITE_SIZE = (18, 17)
KNOB_START = (377, 66)  # where the dot is drawn at start-up

WHEEL_PEN = (120, 110, 90)


def button(section, which):
    """The middle of one of a section's buttons."""
    return centre(BUTTONS[section][which])


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def key_left(section, key):
    return KEY_BED_LEFT[section] + KEY_OFFSETS[key]
