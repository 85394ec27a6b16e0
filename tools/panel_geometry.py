"""The panel's geometry as the program itself defines it, read from
display/panel_layout.cpp and display/panel_layout.h, so that the artwork
generator and the end-to-end tests hold no copy of it that could drift.

In panel (client) pixels. Rectangles are (left, top, right, bottom) with the
right and bottom edges outside; sprite areas are (left, top, width, height).
A source this cannot read raises GeometryError naming what is missing.
"""

import ast
import collections
import operator
import os
import re

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
LAYOUT_CPP = os.path.join(ROOT, "display", "panel_layout.cpp")
LAYOUT_H = os.path.join(ROOT, "display", "panel_layout.h")

SpriteArea = collections.namedtuple("SpriteArea", "left top width height")


class GeometryError(Exception):
    pass


def _read(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError as error:
        raise GeometryError(f"cannot read the panel geometry: {error}") from None


def _without_comments(source):
    return re.sub(r"//[^\n]*|/\*.*?\*/", "", source, flags=re.S)


_OPERATORS = {ast.Add: operator.add, ast.Sub: operator.sub, ast.Mult: operator.mul}


def _evaluate(expression, names, where):
    """An integer expression of literals and names already read: + - * and ( )."""
    def value(node):
        if isinstance(node, ast.Constant) and isinstance(node.value, int):
            return node.value
        if isinstance(node, ast.Name) and node.id in names:
            return names[node.id]
        if isinstance(node, ast.UnaryOp) and isinstance(node.op, ast.USub):
            return -value(node.operand)
        if isinstance(node, ast.BinOp) and type(node.op) in _OPERATORS:
            return _OPERATORS[type(node.op)](value(node.left), value(node.right))
        raise GeometryError(f"{where}: cannot work out {expression.strip()!r}")
    try:
        return value(ast.parse(expression.strip(), mode="eval").body)
    except SyntaxError:
        raise GeometryError(f"{where}: cannot work out {expression.strip()!r}") from None


def _initializer(source, type_name, name, path):
    """The text between the braces of the one array definition "type_name name[...] = {...};"."""
    found = re.findall(rf"\b{type_name}\s+{name}\s*\[[^\]]*\]\s*=\s*\{{(.*?)\}}\s*;", source, re.S)
    if len(found) != 1:
        raise GeometryError(f"{path}: expected one definition of the array {type_name} {name}[], found {len(found)}")
    return found[0]


def read_header(path=LAYOUT_H):
    """The constexpr ints and the SpriteArea constants, by name."""
    source = _without_comments(_read(path))
    ints, sprites = {}, {}
    for name, expression in re.findall(r"constexpr\s+int\s+(\w+)\s*=\s*([^;]+);", source):
        ints[name] = _evaluate(expression, ints, f"{path}: {name}")
    for name, fields in re.findall(r"constexpr\s+SpriteArea\s+(\w+)\s*=\s*\{([^}]*)\}\s*;", source):
        values = [_evaluate(field, ints, f"{path}: {name}") for field in fields.split(",")]
        if len(values) != 4:
            raise GeometryError(f"{path}: {name} has {len(values)} fields, not left, top, width, height")
        sprites[name] = SpriteArea(*values)
    return ints, sprites


def read_layout(path=LAYOUT_CPP):
    """PanelLayout's rectangles in order, each with its comment, and the
    keys' offsets and colours."""
    source = _read(path)
    rects = []
    for line in _initializer(source, "RECT", "PanelLayout", path).splitlines():
        code, _, comment = line.partition("//")
        if not code.strip():
            continue
        match = re.fullmatch(r"\s*\{\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*\}\s*,?\s*", code)
        if not match:
            raise GeometryError(f"{path}: cannot read the PanelLayout line {line.strip()!r}")
        rects.append((tuple(int(v) for v in match.groups()), comment.strip()))
    plain = _without_comments(source)
    offsets = [int(v) for v in re.findall(r"-?\d+", _initializer(plain, "int", "KEY_OFFSETS", path))]
    black = re.findall(r"\w+", _initializer(plain, "bool", "IS_BLACK_KEY", path))
    if set(black) - {"true", "false"} or len(black) != len(offsets):
        raise GeometryError(f"{path}: IS_BLACK_KEY does not say true or false for each of the "
                            f"{len(offsets)} KEY_OFFSETS")
    return rects, tuple(offsets), tuple(word == "true" for word in black)


# What each of PanelLayout's rectangles is, in its order (the index enum in the
# header), by a word its comment must hold: a reordered table fails here
# instead of moving a control.
LAYOUT_ORDER = ("display", "display", "key bed", "key bed", "RESET", "SETUP", "OFF") + \
    ("PATCH", "CHAN.", "OCTAVE", "VOLUME", "TRANS.", "CHORD", "+", "-") * 2 + ("knob", "wheel")


def _checked(rects, path=LAYOUT_CPP):
    if len(rects) != len(LAYOUT_ORDER):
        raise GeometryError(f"{path}: PanelLayout has {len(rects)} rectangles, not {len(LAYOUT_ORDER)}")
    for index, ((_, comment), word) in enumerate(zip(rects, LAYOUT_ORDER)):
        if word.lower() not in comment.lower():
            raise GeometryError(f"{path}: PanelLayout[{index}] should be the {word}, but its comment says {comment!r}")
    return tuple(rect for rect, _ in rects)


def _named(table, *names, path=LAYOUT_H):
    missing = [name for name in names if name not in table]
    if missing:
        raise GeometryError(f"{path}: no constexpr {', '.join(missing)}")
    return (table[name] for name in names)


_ints, _sprites = read_header()
_rects, KEY_OFFSETS, IS_BLACK_KEY = read_layout()

PANEL_WIDTH, PANEL_HEIGHT, WHITE_KEY_WIDTH, BLACK_KEY_WIDTH, BLACK_KEY_HEIGHT = _named(
    _ints, "PANEL_WIDTH", "PANEL_HEIGHT", "WHITE_KEY_WIDTH", "BLACK_KEY_WIDTH", "BLACK_KEY_HEIGHT")
WHITE_KEY_RELEASED, WHITE_KEY_PRESSED, BLACK_KEY_RELEASED, BLACK_KEY_PRESSED = _named(
    _sprites, "WHITE_KEY_RELEASED", "WHITE_KEY_PRESSED", "BLACK_KEY_RELEASED", "BLACK_KEY_PRESSED")
LAMP_LIT, LAMP_UNLIT, KNOB_DOT, KNOB_FACE = _named(_sprites, "LAMP_LIT", "LAMP_UNLIT", "KNOB_DOT", "KNOB_FACE")
BLACK_KEYS = tuple(k for k, black in enumerate(IS_BLACK_KEY) if black)

RECTS = _checked(_rects)
DISPLAYS = RECTS[0:2]
KEY_BEDS = RECTS[2:4]
TOP_BUTTONS = RECTS[4:7]  # RESET, SETUP, OFF
SECTION_BUTTONS = (RECTS[7:15], RECTS[15:23])  # PATCH, CHAN., OCTAVE, VOLUME, TRANS., CHORD, +, -
KNOB = RECTS[23]
WHEEL = RECTS[24]
