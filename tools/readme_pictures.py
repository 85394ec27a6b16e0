#!/usr/bin/python3
"""Makes the README's pictures.

    /usr/bin/python3 tools/readme_pictures.py [--windows-build build/windows] [--keyboard-only | --setup-only]

docs/panel.png     the panel as it really looks: the built tonvale.exe under
                   Wine on a virtual screen, a chord held, cropped to the window
docs/panel-2x.png  the same at a display scale of 200 %
docs/keys-single.png, docs/keys-custom.png
                   the panel with the keys laid out as Single, and as a
                   player's own layout with a key marked to learn
docs/chords.png    the panel with the left section's chord type selected,
                   a major seventh held by its latch, the right on Sus4
docs/setup.png     the SETUP dialog, a loopback port chosen
docs/keyboard.png  the computer keyboard: which key plays which note of which
                   section (from the program's own key table) and the keys
                   that switch, bend, shape chords, play soft and modulate

Needs the Windows build (tools/run.sh or tools/test.sh makes it) and the
Debian packages python3-pil, fonts-dejavu-core, wine, xvfb, xdotool and
imagemagick.
"""

import argparse
import os
import re
import shutil
import sys
import tempfile
import time

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:
    sys.exit("readme_pictures.py needs Pillow: apt-get install python3-pil")

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.dont_write_bytecode = True
import harness  # noqa: E402
import panel  # noqa: E402

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
NOTE_NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]


# ---------------------------------------------------------------- the panel

# The player's own layout of the README's picture: the home row as a piano
# for the right section, the Z row's white keys for the left.
CUSTOM_KEYS = ("A=Right 0\nW=Right 1\nS=Right 2\nE=Right 3\nD=Right 4\nF=Right 5\nT=Right 6\nG=Right 7\n"
               "Y=Right 8\nH=Right 9\nU=Right 10\nJ=Right 11\nK=Right 12\nO=Right 13\nL=Right 14\nP=Right 15\n"
               "Semicolon=Right 16\nZ=Left 0\nX=Left 2\nC=Left 4\nV=Left 5\nB=Left 7\nN=Left 9\nM=Left 11\n"
               "Comma=Left 12\n")
# (path, display scale, settings file or None, keys held, a key bed's key to mark or None)
PICTURES = [
    ("panel.png", 96, None, ("q", "e", "t"), None),
    ("panel-2x.png", 192, None, ("q", "e", "t"), None),
    ("keys-single.png", 96, "[General]\nKeys=Single\n", ("z", "c", "period"), None),
    ("keys-custom.png", 96, "[General]\nKeys=Custom\n[Keys]\n" + CUSTOM_KEYS, ("a", "d", "g"), (0, 16)),
    ("chords.png", 96, "[Left]\nChord=Maj7\nLatch=On\nSelected=Chord\n[Right]\nChord=Sus4\n", ("q",), None),
]
# The devices of the SETUP picture: a system's synthesizer, a loopback port (chosen) and an interface.
SETUP_DEVICES = ["Microsoft GS Wavetable Synth", "Loopback A", "USB MIDI Interface"]


def panel_picture(windows_build, docs, setup_only=False):
    """The panels of PICTURES, each on a virtual screen and a Wine prefix of
    its own, and the SETUP dialog, into docs."""
    harness.Config.windows_build = os.path.abspath(windows_build)
    scratch = tempfile.mkdtemp(prefix="tonvale-pictures-")
    harness.Config.prefix = os.path.join(scratch, "prefix")
    session = None
    try:
        print("making a Wine prefix ...", flush=True)
        harness.create_prefix(harness.Config.prefix)
        for name, dpi, settings, keys, marked in [] if setup_only else PICTURES:
            prefix = harness.prefix_with_dpi(dpi) if dpi != 96 else None
            session = harness.Session("readme", size=(2560, 1600), prefix=prefix)
            if settings:
                os.makedirs(os.path.dirname(harness.settings_file(session.prefix)), exist_ok=True)
                with open(harness.settings_file(session.prefix), "w") as f:
                    f.write(settings.replace("\n", "\r\n"))
            picture_of_keys(session, os.path.join(docs, name), keys, marked)
            session.close()
            session = None
        session = harness.Session("readme", size=(1280, 1024))
        picture_of_setup(session, os.path.join(docs, "setup.png"))
    finally:
        if session:
            session.close()
        harness.remove_prefix(harness.Config.prefix)
        shutil.rmtree(scratch, ignore_errors=True)


def picture_of_keys(session, path, keys, marked):
    """Starts the program on the session's screen, holds the keys, marks a
    key to learn (a right click on it) and saves the window's client area to
    path."""
    folder = os.path.join(session.folder, "run")
    os.makedirs(folder)
    for name in ("tonvale.exe", "gm_ins.nms", os.path.join("test_driver", "winmm.dll")):
        shutil.copy(os.path.join(harness.Config.windows_build, name), folder)
    tonvale = harness.launch(session, folder, "tonvale.exe", {})
    tonvale.wait_for_window()
    for key in keys:
        tonvale.key_down(key)
    tonvale.midi.wait_for_messages(1 + len(keys))  # the program of the start, then the notes
    if marked:  # after the keys, which would otherwise be the one to play it
        bed, key = marked
        tonvale.click(panel.key_left(bed, key) + 8, panel.KEY_TOP + (40 if key in panel.BLACK_KEYS else 110), button=3)
    shot, previous = tonvale.screenshot(), None
    while previous is None or shot.rgb != previous.rgb:  # painted to the end
        time.sleep(0.3)
        shot, previous = tonvale.screenshot(), shot
    shot.save_png(path)


def picture_of_setup(session, path):
    """Starts the program with SETUP_DEVICES, opens SETUP, chooses the
    second device and saves the dialog to path."""
    folder = os.path.join(session.folder, "setup")
    os.makedirs(folder)
    for name in ("tonvale.exe", "gm_ins.nms", os.path.join("test_driver", "winmm.dll")):
        shutil.copy(os.path.join(harness.Config.windows_build, name), folder)
    tonvale = harness.launch(session, folder, "tonvale.exe", {"TONVALE_MIDI_DEVICES": "|".join(SETUP_DEVICES)})
    tonvale.wait_for_window()
    tonvale.click(*panel.centre(panel.SETUP))
    dialog = tonvale.wait_for_dialog("Setup MIDI output")
    devices = dialog.control(101).rect
    tonvale.click_screen(devices[0] + 20, devices[1] + 5)
    tonvale.press("Down", window=dialog)
    harness.wait_until(lambda: tonvale.wait_for_dialog("Setup MIDI output").control(101).selected == 1)
    time.sleep(1)
    left, top, right, bottom = dialog.rect
    session.screenshot().crop(left, top, right - left, bottom - top).save_png(path)


# ---------------------------------------------------------------- the keyboard

def program_key_table():
    """The two sections' keys as set-1 scan codes, and the note the first key
    plays at start-up, read from the program's sources."""
    with open(os.path.join(ROOT, "model", "key_table.cpp")) as f:
        keys = f.read()
    with open(os.path.join(ROOT, "model", "performance.h")) as f:
        octave = re.search(r"\{(\d+), \w+\},\s*// Octave", f.read())
    rows = re.findall(r"\b(upper|lower)\((0x[0-9A-Fa-f]{2}), \"[^\"]*\", (\d+)\)", keys)
    if len(rows) != 34 or not octave:
        sys.exit("model/ no longer has the key table or start octave this script reads")
    sections = [[0] * 17, [0] * 17]
    for row, code, k in rows:
        sections[row == "lower"][int(k)] = int(code, 16)
    return sections, 12 * int(octave.group(1))


# A US keyboard: rows of (scan code or None, legend, width in keys); a legend
# of None is a gap.
F_KEYS = [(None, f"F{n}", 1) for n in range(1, 13)]
MAIN_ROWS = [
    [("escape", "Esc", 1), (None, None, 1)] + F_KEYS[0:4] + [(None, None, 0.5)] + F_KEYS[4:8]
    + [(None, None, 0.5)] + F_KEYS[8:12],
    [(0x29, "`", 1)] + [(0x02 + i, str((i + 1) % 10), 1) for i in range(10)]
    + [(0x0C, "-", 1), (0x0D, "=", 1), (0x0E, "Backspace", 2)],
    [(0x0F, "Tab", 1.5)] + [(0x10 + i, c, 1) for i, c in enumerate("QWERTYUIOP[]")] + [(0x2B, "\\", 1.5)],
    [(0x3A, "Caps Lock", 1.75)] + [(0x1E + i, c, 1) for i, c in enumerate("ASDFGHJKL;'")] + [(0x1C, "Enter", 2.25)],
    [(0x2A, "Shift", 2.25)] + [(code, c, 1) for code, c in zip((0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34,
                                                               0x35), "ZXCVBNM,./")] + [(0x36, "Shift", 2.75)],
    [(0x1D, "Ctrl", 1.25), (None, "Win", 1.25), (None, "Alt", 1.25), ("space", "", 6.25), (None, "Alt", 1.25),
     (None, "Win", 1.25), (None, "Menu", 1.25), ("right ctrl", "Ctrl", 1.25)],
]
# Page Up, Page Down, Home, the arrows, Esc and Space are found by their
# virtual keys, not scan codes. The rows beside the main block, from the digit row down.
NAV_ROWS = [[(None, "Insert", 1), ("home", "Home", 1), ("page up", "Page\nUp", 1)],
            [(None, "Delete", 1), (None, "End", 1), ("page down", "Page\nDown", 1)],
            [],
            [(None, None, 1), ("up", "\u2191", 1)],
            [("left", "\u2190", 1), ("down", "\u2193", 1), ("right", "\u2192", 1)]]
SPECIAL = {0x0F: "switch", 0x3A: "caps", 0x1D: "ctrl", "right ctrl": "ctrl", "page up": "bend", "page down": "bend",
           "left": "panel", "right": "panel", "up": "panel", "down": "panel", "space": "sustain", "escape": "reset",
           0x2A: "soft", 0x36: "soft", "home": "modulation"}
SPECIAL_WORD = {0x0F: "switch", 0x3A: "one octave", 0x1D: "minor", "right ctrl": "minor", "page up": "bend \u2191",
                "page down": "bend \u2193", "left": "setting", "right": "setting", "up": "step", "down": "step",
                "space": "sustain", "escape": "reset", 0x2A: "soft", 0x36: "soft", "home": "mod."}

UNIT, GAP, MARGIN, TOP = 60, 5, 24, 64
PAPER, CAP, CAP_EDGE, LEGEND = (250, 250, 248), (232, 232, 230), (178, 178, 176), (130, 130, 128)
INK = (40, 40, 40)
# Each section's colours: a white-key note, a black-key note, its edge.
SECTION_COLOURS = [((253, 222, 208), (168, 52, 36), (200, 62, 42)), ((208, 232, 224), (42, 106, 92), (52, 128, 110))]
SPECIAL_COLOUR, SPECIAL_EDGE = (250, 236, 180), (196, 160, 60)
SPECIAL_TEXT = {
    "switch": "Tab switches the active section (the red lamp)",
    "bend": "Page Up / Page Down bend the active section up / down for a moment",
    "modulation": "Home held: the active section's modulation rises; let go, it falls back",
    "ctrl": "Ctrl held while a chord key plays: its major third lowered to a minor one",
    "caps": "Caps Lock on: a chord's notes stay in the section's lowest octave",
    "soft": "Shift held at a key's press: the section's soft volume, not its VOLUME",
    "panel": "\u2190 \u2192 select the active section's setting, \u2191 \u2193 step it",
    "sustain": "Space held: the sustain pedal, on the active section's channel",
    "reset": "Esc: RESET, silences every note",
}


def font(name, size):
    path = os.path.join(FONT_DIR, name)
    if not os.path.exists(path):
        sys.exit("readme_pictures.py needs %s: apt-get install fonts-dejavu-core" % path)
    return ImageFont.truetype(path, size)


def keyboard_picture(path):
    sections, first_note = program_key_table()
    playing = {code: (s, k) for s, codes in enumerate(sections) for k, code in enumerate(codes)}
    rows = len(MAIN_ROWS)
    width = MARGIN * 2 + int(UNIT * 18.5)
    height = TOP + UNIT * rows + 18 + 26 * len(SPECIAL_TEXT) + 6
    img = Image.new("RGB", (width, height), PAPER)
    draw = ImageDraw.Draw(img)
    legend_font, note_font, word_font = font("DejaVuSans.ttf", 13), font("DejaVuSans-Bold.ttf", 17), \
        font("DejaVuSans.ttf", 12)
    title_font, word_bold = font("DejaVuSans-Bold.ttf", 20), font("DejaVuSans-Bold.ttf", 12)
    draw.text((MARGIN, 18), "Which key plays which note", font=title_font, fill=INK)

    def cap(x, y, w, code, legend):
        if legend is None:
            return
        box = (x, y, x + w * UNIT - GAP, y + UNIT - GAP)
        if code in playing:
            s, k = playing[code]
            note = first_note + k
            black = "#" in NOTE_NAMES[note % 12]
            fill = SECTION_COLOURS[s][1 if black else 0]
            draw.rounded_rectangle(box, 7, fill=fill, outline=SECTION_COLOURS[s][2], width=3)
            text = (255, 255, 255) if black else INK
            draw.text((box[0] + 7, box[1] + 5), legend, font=legend_font, fill=text)
            name = NOTE_NAMES[note % 12] + str(note // 12 - 1)
            draw.text(((box[0] + box[2]) / 2, box[3] - 9), name, font=note_font, fill=text, anchor="ms")
            return
        if code in SPECIAL:
            draw.rounded_rectangle(box, 7, fill=SPECIAL_COLOUR, outline=SPECIAL_EDGE, width=3)
            draw.text(((box[0] + box[2]) / 2, box[3] - 8), SPECIAL_WORD[code], font=word_bold, fill=INK, anchor="ms")
            colour = INK
        else:
            draw.rounded_rectangle(box, 7, fill=CAP, outline=CAP_EDGE, width=1)
            colour = LEGEND
        draw.multiline_text((box[0] + 7, box[1] + 4), legend, font=word_font if len(legend) > 1 else legend_font,
                            fill=colour, spacing=1)

    for row, keys in enumerate(MAIN_ROWS):
        x = MARGIN
        for code, legend, w in keys:
            cap(x, TOP + row * UNIT, w, code, legend)
            x += int(w * UNIT)
    for row, keys in enumerate(NAV_ROWS, start=1):
        x = MARGIN + int(15.5 * UNIT)
        for code, legend, w in keys:
            cap(x, TOP + row * UNIT, w, code, legend)
            x += UNIT

    # What the colours mean, and what the marked keys do.
    y = TOP + rows * UNIT + 18
    for s, words in enumerate(("left section: Q row, black keys on the digits above",
                               "right section: Z row, black keys on the home row above")):
        draw.rounded_rectangle((MARGIN, y, MARGIN + 22, y + 18), 4, fill=SECTION_COLOURS[s][0],
                               outline=SECTION_COLOURS[s][2], width=2)
        draw.text((MARGIN + 32, y + 1), words, font=legend_font, fill=INK)
        y += 26
    draw.text((MARGIN, y + 4), "Notes as at start-up; OCTAVE and TRANS. shift them.", font=legend_font, fill=LEGEND)
    y = TOP + rows * UNIT + 18
    x = MARGIN + int(UNIT * 8.5)
    for kind in SPECIAL_TEXT:
        draw.rounded_rectangle((x, y, x + 22, y + 18), 4, fill=SPECIAL_COLOUR, outline=SPECIAL_EDGE, width=2)
        draw.text((x + 32, y + 1), SPECIAL_TEXT[kind], font=legend_font, fill=INK)
        y += 26
    img.save(path, optimize=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--windows-build", default=os.path.join(ROOT, "build", "windows"))
    parser.add_argument("--keyboard-only", action="store_true", help="draw docs/keyboard.png alone")
    parser.add_argument("--setup-only", action="store_true", help="make docs/setup.png alone")
    args = parser.parse_args()
    docs = os.path.join(ROOT, "docs")
    if not args.setup_only:
        keyboard_picture(os.path.join(docs, "keyboard.png"))
    if not args.keyboard_only:
        if not os.path.isfile(os.path.join(args.windows_build, "tonvale.exe")):
            sys.exit(f"no tonvale.exe in {args.windows_build}: build it first (tools/run.sh or tools/test.sh)")
        panel_picture(args.windows_build, docs, args.setup_only)


if __name__ == "__main__":
    main()
