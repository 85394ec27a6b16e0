#!/usr/bin/env python3
"""Writes the named inputs of window_messages_fuzzer: the seed corpus and the
regressions made by hand. Each input is a list of the values the fuzzer
reads, in the order it reads them; FuzzedDataProvider takes integers from the
end of the input, so the bytes are written reversed.

    python3 tests/fuzz/make_window_inputs.py
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# Rectangles of display/panel_layout.h by position: each section's buttons
# start at 7 and 15 in ParamId order; then the knob and the wheel.
SECTION_BUTTONS = (7, 15)
PATCH, CHANNEL, OCTAVE, VOLUME, TRANSPOSE, CHORD, PLUS, MINUS = range(8)
RESET, SETUP = 4, 5
KNOB, WHEEL = 23, 24
PRESS, REPEAT, RELEASE = range(3)
PATCH_ITEM, CHANNEL_ITEM, OCTAVE_ITEM = range(3)  # menu item bases 1000, 2000, 3000


def key(section, index, transition):
    return [0, section, index, transition]


def page(up, transition):
    return [1, 1 if up else 0, transition]


def char(c):
    return [3, c]


def at(rect, dx=3, dy=2):  # a point dx,dy inside a rectangle of the panel
    return [0, rect, dx, dy]


def down(point):
    return [4] + point


def move(point):
    return [5] + point


def up(point):
    return [6] + point


def click(rect, dx=3, dy=2):
    return down(at(rect, dx, dy)) + up(at(rect, dx, dy))


def button(section, param):
    return click(SECTION_BUTTONS[section] + param)


def tick():
    return [7, 1]


def command(base, offset):  # a menu item's command, no menu open
    return [8, 0, base, offset]


def keys(control, caps_lock):
    return [9, 1 if control else 0, 1 if caps_lock else 0]


def answers(base, offset, dialog_ok=False, device_opens=True):  # the menu's choice, the setup dialog's
    return [10, 0, base, offset, 1 if dialog_ok else 0, 1 if device_opens else 0, 1]


def paint():
    return [11]


LEFT, RIGHT, UP, DOWN, ESCAPE, SPACE, HOME, SHIFT, RIGHT_SHIFT = range(9)  # the panel's keys, the pedal and more


def panel_key(which, transition):
    return [12, which, transition]


KILL_FOCUS, SET_FOCUS, ENTER_MENU_LOOP, EXIT_MENU_LOOP, CAPTURE_CHANGED = range(5)


def focus(change):
    return [13, change] + ([0] if change == CAPTURE_CHANGED else [])  # capture taken by another window


def midi_in(message):  # a word from the MIDI input open, status in the low byte
    return [14] + list(message.to_bytes(4, "big")) + [1]


def note_in(n, velocity, status=0x90):
    return midi_in(status | n << 8 | velocity << 16)


CORPUS = {
    "keys_in_both_rows": key(0, 0, PRESS) + key(1, 0, PRESS) + key(0, 0, REPEAT) + key(0, 0, REPEAT)
    + key(0, 4, PRESS) + key(0, 0, RELEASE) + key(1, 0, RELEASE) + key(0, 4, RELEASE) + paint(),
    "chord_major_and_minor": button(0, CHORD) + key(0, 0, PRESS) + key(0, 0, RELEASE) + keys(True, False)
    + key(0, 7, PRESS) + key(0, 7, RELEASE) + keys(False, False) + button(0, CHORD),
    "menus_then_keys": answers(CHANNEL_ITEM, 5) + button(1, CHANNEL) + answers(OCTAVE_ITEM, 4) + button(1, OCTAVE)
    + answers(PATCH_ITEM, 40) + button(0, PATCH) + key(1, 3, PRESS) + key(1, 3, RELEASE) + char(9)
    + key(0, 2, PRESS) + key(0, 2, RELEASE),
    "knob_and_steps": button(0, VOLUME) + down(at(KNOB, 40, 40)) + move(at(KNOB, 50, 40)) + move(at(KNOB, 20, 40))
    + up(at(KNOB, 20, 40)) + button(0, PLUS) + button(0, MINUS) + key(0, 9, PRESS) + key(0, 9, RELEASE),
    "page_up_and_ticks": page(True, PRESS) + tick() + tick() + page(True, REPEAT) + page(True, RELEASE) + tick() * 12
    + key(0, 1, PRESS) + key(0, 1, RELEASE),
    "wheel_drag": down(at(WHEEL, 10, 60)) + move(at(WHEEL, 10, 20)) + move(at(WHEEL, 10, 100))
    + up(at(WHEEL, 10, 100)),
    "panel_keys_pedal_and_focus": panel_key(RIGHT, REPEAT) + panel_key(UP, PRESS) + panel_key(SPACE, PRESS)
    + key(0, 0, PRESS) + focus(KILL_FOCUS) + keys(True, True) + focus(SET_FOCUS) + key(0, 0, RELEASE)
    + panel_key(SPACE, RELEASE) + panel_key(LEFT, PRESS) + panel_key(DOWN, PRESS) + panel_key(ESCAPE, PRESS),
    # Home's timer is 4, in four bytes.
    "home_and_shift": panel_key(HOME, PRESS) + [7, 0, 0, 0, 0, 4] * 3 + panel_key(SHIFT, PRESS) + key(0, 0, PRESS)
    + panel_key(SHIFT, RELEASE) + key(0, 0, RELEASE) + panel_key(HOME, RELEASE),
    # Notes either side of the split under the input's pedal, bend and
    # modulation, the keys lost meanwhile; a clock and a channel mode message.
    "midi_input": note_in(48, 90) + note_in(72, 80) + midi_in(0x7F40B0) + midi_in(0x7F30E0) + midi_in(0x6401B0)
    + focus(KILL_FOCUS) + focus(SET_FOCUS) + midi_in(0xF8) + midi_in(0x7BB0) + note_in(48, 0) + note_in(72, 0, 0x80)
    + midi_in(0x40B0) + midi_in(0x4000E0) + midi_in(0x01B0),
}

REGRESSIONS = {
    "octave_change_while_a_key_is_held": key(0, 0, PRESS) + answers(OCTAVE_ITEM, 3) + button(0, OCTAVE)
    + key(0, 0, RELEASE),
    "channel_change_while_a_key_is_held": key(0, 0, PRESS) + answers(CHANNEL_ITEM, 4) + button(0, CHANNEL)
    + key(0, 0, RELEASE),
    "transpose_knob_while_a_key_is_held": key(1, 2, PRESS) + button(1, TRANSPOSE) + down(at(KNOB, 40, 40))
    + move(at(KNOB, 60, 40)) + up(at(KNOB, 60, 40)) + key(1, 2, RELEASE),
    # Y's chord reaches past the octave, which Caps Lock folds down.
    "caps_lock_between_chord_press_and_release": button(0, CHORD) + key(0, 9, PRESS) + keys(False, True)
    + key(0, 9, RELEASE),
    "chord_mode_off_while_a_chord_is_held": button(0, CHORD) + key(0, 0, PRESS) + button(0, CHORD)
    + key(0, 0, RELEASE),
    # Section 1 on its own channel; Z's chord there becomes the chord started
    # last for section 0 too, so E's release takes its E for Z's (legato).
    "chords_in_both_sections": answers(CHANNEL_ITEM, 1) + button(1, CHANNEL) + button(0, CHORD) + button(1, CHORD)
    + key(0, 0, PRESS) + key(0, 0, RELEASE) + key(0, 4, PRESS) + key(1, 0, PRESS) + key(0, 4, RELEASE)
    + key(1, 0, RELEASE),
    "second_press_of_a_held_key": key(0, 0, PRESS) + key(0, 0, PRESS) + key(0, 0, RELEASE),
    "page_up_then_page_down_before_a_tick": page(True, PRESS) + page(False, PRESS),
    "patch_command_with_channel_selected": answers(CHANNEL_ITEM, 0) + button(0, CHANNEL) + command(PATCH_ITEM, 100),
    "reset_with_no_device_open": answers(PATCH_ITEM, 0, dialog_ok=True, device_opens=False) + click(SETUP)
    + click(RESET),
    # A chord, the pedal and a bend gesture all under way when a menu's loop
    # takes the keys; the releases come after it.
    "menu_loop_with_a_chord_the_pedal_and_a_bend": button(1, CHORD) + key(1, 4, PRESS) + panel_key(SPACE, PRESS)
    + page(True, PRESS) + tick() + focus(ENTER_MENU_LOOP) + focus(EXIT_MENU_LOOP) + key(1, 4, RELEASE)
    + panel_key(SPACE, RELEASE),
    # The pedal comes up on the channel it went down on.
    "pedal_across_tab_and_a_channel_change": panel_key(SPACE, PRESS) + char(9) + answers(CHANNEL_ITEM, 6)
    + button(1, CHANNEL) + panel_key(SPACE, RELEASE),
    # An input note ends as it started, though its section's octave changed.
    "octave_change_while_an_input_note_is_held": note_in(72, 100) + answers(OCTAVE_ITEM, 3) + button(1, OCTAVE)
    + note_in(72, 0, 0x80),
    "wheel_drag_losing_the_capture": down(at(WHEEL, 10, 60)) + move(at(WHEEL, 10, 20)) + focus(CAPTURE_CHANGED)
    + move(at(WHEEL, 10, 10)) + up(at(WHEEL, 10, 10)),
}


def write(folder, inputs):
    os.makedirs(folder, exist_ok=True)
    for name, values in inputs.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(bytes(reversed(values)))


write(os.path.join(HERE, "corpus", "window_messages"), CORPUS)
write(os.path.join(HERE, "regressions", "window_messages"), REGRESSIONS)
