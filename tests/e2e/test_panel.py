"""The panel, end to end: its buttons, menus, knob and wheel under a real
mouse, the device buttons with the setup dialog, window moves, and what the
panel shows for them on the screen."""

import os
import re
import shutil
import subprocess

import panel
from harness import MMSYSERR_ALLOCATED, Config, E2ETest, artwork, wait_until

DEVICES = ["Zeta Synth", "Alpha Port", "Gamma Box"]  # alphabetical order differs from index order
SETUP_TITLE = "Setup MIDI output"
IDOK, IDC_DEVICE_LIST = 1, 101
CALL_ON_NULL = re.compile(r"^midiOut\w+ null ")
# The devices there now, counted again as the dialog opens.
DEVICE_CAPS = ["midiOutGetNumDevs = 3"] + [f'midiOutGetDevCapsA {i} "{name}" = 0' for i, name in enumerate(DEVICES)]
PLAYS_Q = ["note-on 0x90 60 127", "note-off 0x80 60 127"]
# Pixels of a key, from its top-left, where the pressed and the released sprite differ.
WHITE_KEY_POINTS = ((12, 60), (12, 110), (30, 115))  # the last one below the black key beside it
BLACK_KEY_POINTS = ((10, 30), (10, 80))


def drag_the_knob(test, tonvale, scale=1):
    """Drags the knob right, up and left, in moves of 5 panel units (scale
    window pixels each): one step per horizontal move, at any display scale."""
    x, y = panel.KNOB[0] + 16, panel.KNOB[3] - 12  # in the knob's rectangle, low on the left

    def at(dx, dy):
        return int((x + dx) * scale), int((y + dy) * scale)
    start = tonvale.midi.mark()
    tonvale.mouse_down(*at(0, 0))
    for step in (1, 2, 3):
        tonvale.move_to(*at(5 * step, 0))
        # One move at a time: the system would merge moves still waiting.
        tonvale.midi.wait_for_message(f"program 0xC0 {step}", since=start)
    tonvale.move_to(*at(15, -10))  # up and up: nothing
    tonvale.move_to(*at(15, -20))
    tonvale.move_to(*at(10, -20))  # left: one step down
    tonvale.midi.wait_for_message("program 0xC0 2", since=start + 3)
    tonvale.mouse_up(*at(10, -20))
    tonvale.midi.wait_until_quiet()
    test.assertMessages(tonvale, ["program 0xC0 1", "program 0xC0 2", "program 0xC0 3", "program 0xC0 2"],
                        since=start)


class PanelTest(E2ETest):

    def play_q(self, tonvale):
        start = tonvale.midi.mark()
        tonvale.press("q")
        tonvale.midi.wait_for_message(re.compile("note-off"), since=start)
        tonvale.midi.wait_until_quiet()
        return tonvale.midi.messages(since=start)

    def open_setup(self, tonvale):
        tonvale.click(*panel.centre(panel.SETUP))
        return tonvale.wait_for_dialog(SETUP_TITLE)

    def select_second_device(self, tonvale, dialog):
        device_list = dialog.control(IDC_DEVICE_LIST)
        # A click on the first entry gives the list the keys; Down then selects the next.
        tonvale.click_screen(device_list.rect[0] + 20, device_list.rect[1] + 5)
        tonvale.press("Down", window=dialog)
        self.assertEqual(tonvale.wait_for_dialog(SETUP_TITLE).control(IDC_DEVICE_LIST).selected, 1)

    def assertKeyDrawn(self, tonvale, section, key, pressed):
        """Waits until the key shows the artwork's pressed (or released) sprite,
        at a few pixels where the two differ."""
        art = artwork()
        if key in panel.BLACK_KEYS:
            released_sprite, pressed_sprite = panel.BLACK_KEY_RELEASED, panel.BLACK_KEY_PRESSED
            points = BLACK_KEY_POINTS
        else:
            released_sprite, pressed_sprite = panel.WHITE_KEY_RELEASED, panel.WHITE_KEY_PRESSED
            points = WHITE_KEY_POINTS
        self.assertNotEqual(sample(art, pressed_sprite, points), sample(art, released_sprite, points))
        wanted = sample(art, pressed_sprite if pressed else released_sprite, points)
        corner = (panel.key_left(section, key), panel.KEY_TOP)
        shot = tonvale.wait_for_screenshot(lambda shot: sample(shot, corner, points) == wanted)
        self.assertEqual(sample(shot, corner, points), wanted,
                         f"section {section} key {key} is not drawn {'pressed' if pressed else 'released'}")

    # ---- the section buttons

    def test_chord_then_q_plays_the_chord_sequence(self):
        tonvale = self.start_tonvale()
        tonvale.click(*panel.button(0, panel.CHORD))
        self.assertEqual(self.play_q(tonvale), [
            "note-on 0x90 60 127", "note-on 0x90 64 127", "note-on 0x90 67 127",
            "note-off 0x80 60 127", "note-off 0x80 64 127", "note-off 0x80 67 127",
        ])

    def test_plus_and_minus_step_the_patch(self):
        tonvale = self.start_tonvale()
        for button, message in ((panel.PLUS, "program 0xC0 1"), (panel.PLUS, "program 0xC0 2"),
                                (panel.MINUS, "program 0xC0 1")):
            start = tonvale.midi.mark()
            tonvale.click(*panel.button(0, button))
            tonvale.midi.wait_for_message(message, since=start)
            tonvale.midi.wait_until_quiet()
            self.assertMessages(tonvale, [message], since=start)

    def test_the_patch_menu_opens_on_its_button_and_its_choice_is_sent(self):
        tonvale = self.start_tonvale()
        tonvale.click(*panel.button(0, panel.PATCH))
        menu = tonvale.wait_for_menu()
        window = tonvale.main_window()
        button = panel.BUTTONS[0][panel.PATCH]
        self.assertEqual(menu.rect[0], window.client[0] + button[0], f"{menu} is not at the PATCH button")
        # Below the button when it fits there; here the screen ends first and the menu is pushed up over it.
        self.assertTrue(menu.rect[1] <= window.client[1] + button[1] < menu.rect[3], f"{menu} misses the PATCH button")
        start = tonvale.midi.mark()
        tonvale.choose_in_menu(2)
        tonvale.midi.wait_for_message("program 0xC0 2", since=start)
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, ["program 0xC0 2"], since=start)

    def test_channel_10_from_the_chan_menu_is_the_percussion_channel_and_takes_the_next_note(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.click(*panel.button(0, panel.CHANNEL))
        tonvale.choose_in_menu(9)  # "Channel 10"
        tonvale.midi.wait_for_message("program 0xC9 0", since=start)
        self.assertEqual(self.play_q(tonvale), ["note-on 0x99 60 127", "note-off 0x89 60 127"])
        self.assertMessages(tonvale, ["program 0xC9 0", "note-on 0x99 60 127", "note-off 0x89 60 127"], since=start)

    # ---- knob and wheel

    def test_a_knob_drag_steps_once_per_horizontal_move(self):
        drag_the_knob(self, self.start_tonvale())

    def test_a_wheel_drag_bends_in_steps_of_400_and_springs_back_on_release(self):
        tonvale = self.start_tonvale()
        x, y = panel.centre(panel.WHEEL)
        start = tonvale.midi.mark()
        tonvale.mouse_down(x, y)
        expected = []
        for move_y, value in ((y - 5, 8592), (y - 10, 8992), (y - 12, 9392), (y - 7, 8992)):
            tonvale.move_to(x, move_y)
            expected.append(f"bend 0xE0 {value % 128} {value // 128}")
            tonvale.midi.wait_for_message(expected[-1], since=start + len(expected) - 1)
        tonvale.move_to(x + 4, y - 7)  # sideways only: nothing
        tonvale.mouse_up(x + 4, y - 7)
        tonvale.midi.wait_for_message("bend 0xE0 0 64", since=start)
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, expected + ["bend 0xE0 0 64"], since=start)

    def test_tab_during_a_wheel_drag_springs_the_bend_back_on_the_channel_it_bent(self):
        tonvale = self.start_tonvale()
        tonvale.click(*panel.button(1, panel.CHANNEL))
        tonvale.choose_in_menu(1)  # section 1 on channel 2
        tonvale.press("Tab")  # section 0, on channel 1, active again
        x, y = panel.centre(panel.WHEEL)
        start = tonvale.midi.mark()
        tonvale.mouse_down(x, y)
        for count, move_y in enumerate((y - 5, y - 10, y - 12), 1):
            tonvale.move_to(x, move_y)
            tonvale.midi.wait_for_messages(count, since=start)
        tonvale.press("Tab")
        tonvale.mouse_up(x, y - 12)
        tonvale.midi.wait_for_message("bend 0xE0 0 64", since=start)
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, ["bend 0xE0 16 67", "bend 0xE0 32 70", "bend 0xE0 48 73", "bend 0xE0 0 64"],
                            since=start)

    def test_an_ampersand_in_a_patch_name_shows_in_the_patch_menu(self):
        folder = self.folder("ampersand")
        shutil.copy(os.path.join(Config.windows_build, "tonvale.exe"), folder)
        with open(os.path.join(folder, "gm_ins.nms"), "w") as f:
            f.write("R&B\nRB\n")
        tonvale = self.start_tonvale(folder=folder)
        tonvale.click(*panel.button(0, panel.PATCH))
        left, top, right, bottom = tonvale.wait_for_menu().rect
        inside = tonvale.session.screenshot().crop(left + 3, top + 3, right - left - 6, bottom - top - 6)
        widths = text_widths(inside)
        # Taken for a mnemonic, the & would take no room and underline the B.
        self.assertEqual(len(widths), 2, "a line under a letter")
        self.assertGreater(widths[0], widths[1] + 3, "R&B shows as wide as RB")
        tonvale.press("Escape")

    # ---- RESET, SETUP, OFF

    def test_setup_lists_the_devices_in_index_order_with_device_0_selected(self):
        tonvale = self.start_tonvale(devices=DEVICES)
        dialog = self.open_setup(tonvale)
        device_list = dialog.control(IDC_DEVICE_LIST)
        self.assertEqual(device_list.items, DEVICES)
        self.assertEqual(device_list.selected, 0)
        self.assertEqual(dialog.owner, tonvale.main_window().hwnd)

    def test_setup_ok_on_another_device_reopens_and_resets_it_and_sends_each_sections_program(self):
        tonvale = self.start_tonvale(devices=DEVICES)
        start = tonvale.midi.mark()
        tonvale.click(*panel.button(0, panel.PLUS))  # section 0: patch 2
        tonvale.click(*panel.button(1, panel.CHANNEL))
        tonvale.choose_in_menu(1)  # section 1: channel 2
        tonvale.midi.wait_for_message("program 0xC1 0", since=start)
        tonvale.click(*panel.button(0, panel.VOLUME))
        tonvale.click(*panel.button(1, panel.VOLUME))
        start = tonvale.midi.mark()
        dialog = self.open_setup(tonvale)
        self.select_second_device(tonvale, dialog)
        tonvale.click_control(dialog.control(IDOK))
        tonvale.wait_until_gone(dialog)
        tonvale.midi.wait_for_messages(2, since=start)
        tonvale.midi.wait_until_quiet()
        self.assertCalls(tonvale, DEVICE_CAPS + [
            "midiOutReset h1 = 0",
            "midiOutClose h1 = 0",
            'midiOutGetDevCapsA 1 "Alpha Port" = 0',
            "midiOutOpen 1 null = 0 h2",
            "midiOutReset h2 = 0",
            "midiOutShortMsg h2 program 0xC0 1 = 0",
            "midiOutShortMsg h2 program 0xC1 0 = 0",
        ], since=start)
        start = tonvale.midi.mark()
        self.play_q(tonvale)
        self.assertCalls(tonvale, [f"midiOutShortMsg h2 {message} = 0" for message in PLAYS_Q], since=start)

    def test_setup_escape_changes_nothing(self):
        tonvale = self.start_tonvale(devices=DEVICES)
        start = tonvale.midi.mark()
        dialog = self.open_setup(tonvale)
        self.select_second_device(tonvale, dialog)  # a choice that Escape throws away
        tonvale.dismiss(dialog, key="Escape")
        self.assertEqual(self.play_q(tonvale), PLAYS_Q)
        self.assertCalls(tonvale, DEVICE_CAPS + [f"midiOutShortMsg h1 {message} = 0" for message in PLAYS_Q],
                         since=start)

    def test_reset_resets_the_device_and_releases_the_keys_and_the_program_plays_on(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.key_down("q")
        tonvale.midi.wait_for_message("note-on 0x90 60 127", since=start)
        self.assertKeyDrawn(tonvale, 0, 0, pressed=True)
        tonvale.click(*panel.centre(panel.RESET))
        tonvale.midi.wait_for_call("midiOutReset h1 = 0", since=start)
        self.assertKeyDrawn(tonvale, 0, 0, pressed=False)
        tonvale.key_up("q")  # the reset silenced its note: the release sends nothing
        self.assertEqual(self.play_q(tonvale), PLAYS_Q)
        self.assertCalls(tonvale, [
            "midiOutShortMsg h1 note-on 0x90 60 127 = 0",
            "midiOutReset h1 = 0",
        ] + [f"midiOutShortMsg h1 {message} = 0" for message in PLAYS_Q], since=start)

    def test_reset_after_a_failed_reopen_in_setup_keeps_the_program_and_setup_brings_the_sound_back(self):
        tonvale = self.start_tonvale(fail=f"midiOutOpen#2={MMSYSERR_ALLOCATED}")
        start = tonvale.midi.mark()
        dialog = self.open_setup(tonvale)
        tonvale.click_control(dialog.control(IDOK))
        box = tonvale.wait_for_message_box()
        self.assertEqual(box.message, "Can't open MIDI output device")
        tonvale.dismiss(box)
        self.assertIn(f"midiOutOpen 0 null = {MMSYSERR_ALLOCATED}", tonvale.midi.calls(since=start))

        before_reset = tonvale.midi.mark()
        tonvale.click(*panel.centre(panel.RESET))
        tonvale.midi.wait_until_quiet()
        for window in tonvale.windows():
            if window.cls == "#32770" and window.visible:
                tonvale.dismiss(window)  # a word that no device is open is fair; the end of the program is not
        with self.assertRaises(subprocess.TimeoutExpired, msg="RESET ended the program"):
            tonvale.process.wait(1.0)
        self.assertTrue(tonvale.main_window().visible)
        calls = tonvale.midi.calls(since=before_reset)
        self.assertEqual([call for call in calls if CALL_ON_NULL.match(call)], [], f"RESET called {calls}")

        start = tonvale.midi.mark()
        dialog = self.open_setup(tonvale)
        tonvale.click_control(dialog.control(IDOK))
        tonvale.wait_until_gone(dialog)
        tonvale.midi.wait_for_call("midiOutOpen 0 null = 0 h2", since=start)
        start = tonvale.midi.mark()
        self.assertEqual(self.play_q(tonvale), PLAYS_Q)
        self.assertCalls(tonvale, [f"midiOutShortMsg h2 {message} = 0" for message in PLAYS_Q], since=start)

    def test_off_ends_the_program_with_0_resetting_and_closing_the_device_once(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.click(*panel.centre(panel.OFF))
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertCalls(tonvale, ["midiOutReset h1 = 0", "midiOutClose h1 = 0"], since=start)
        self.assertEqual(tonvale.midi.count("midiOutClose h1 = 0"), 1)

    # ---- the window

    def test_dragging_the_bare_panel_moves_the_window_by_the_drag(self):
        tonvale = self.start_tonvale()
        before = tonvale.main_window().rect
        (x0, y0), (dx, dy) = panel.BARE_PANEL, (100, -50)
        start = tonvale.midi.mark()
        tonvale.drag((x0, y0), (x0 + dx, y0 + dy))
        expected = (before[0] + dx, before[1] + dy, before[2] + dx, before[3] + dy)
        wait_until(lambda: tonvale.main_window().rect == expected, what=f"the window to move to {expected}")
        self.assertMessages(tonvale, [], since=start)

    # ---- the picture

    def test_a_held_key_is_drawn_pressed_and_released_again(self):
        tonvale = self.start_tonvale()
        for name, section, key in (("q", 0, 0), ("2", 0, 1), ("slash", 1, 16)):
            tonvale.key_down(name)
            self.assertKeyDrawn(tonvale, section, key, pressed=True)
            tonvale.key_up(name)
            self.assertKeyDrawn(tonvale, section, key, pressed=False)

    def test_tab_exchanges_the_lamps(self):
        tonvale = self.start_tonvale()
        art = artwork()
        lit, unlit = cell(art, panel.LIT_LAMP), cell(art, panel.UNLIT_LAMP)
        self.assertNotEqual(lit, unlit)
        for key, section_1_active in ((None, False), ("Tab", True), ("Tab", False)):
            if key:
                tonvale.press(key)
            wanted = (unlit, lit) if section_1_active else (lit, unlit)
            shot = tonvale.wait_for_screenshot(lambda shot: lamps(shot) == wanted)
            self.assertTrue(lamps(shot) == wanted, f"the lamp of section {int(section_1_active)} is not lit")

    def test_the_knob_indicator_follows_the_octave_chosen_from_its_menu(self):
        tonvale = self.start_tonvale()
        art = artwork()

        def sprite(picture, corner):
            return picture.crop(*corner, *panel.KNOB_SPRITE_SIZE).rgb

        dot, face = sprite(art, panel.KNOB_DOT), sprite(art, panel.KNOB_FACE)
        self.assertNotEqual(dot, face)

        def dot_at(shot, corner):
            return sprite(shot, corner) == dot

        def knob_as_drawn_at(shot, corner):
            return sprite(shot, corner) == sprite(art, corner)

        def face_over_the_artworks_dot(shot):
            return sprite(shot, panel.KNOB_DOT) == face

        shot = tonvale.wait_for_screenshot(lambda shot: dot_at(shot, panel.KNOB_START))
        self.assertTrue(dot_at(shot, panel.KNOB_START), "the dot at its start")
        tonvale.click(*panel.button(0, panel.OCTAVE))
        tonvale.wait_for_menu()
        # Selecting Octave already shows its value, 5 of 11, near the top; the menu's modal loop paints it.
        shot = tonvale.wait_for_screenshot(lambda shot: dot_at(shot, (387, 21)))
        self.assertTrue(dot_at(shot, (387, 21)), "the dot at octave 5 of 11")
        self.assertTrue(face_over_the_artworks_dot(shot), "plain face where the dot was at the start")
        tonvale.choose_in_menu(10)  # "Octave 10"
        shot = tonvale.wait_for_screenshot(lambda shot: dot_at(shot, (415, 57)))
        self.assertTrue(dot_at(shot, (415, 57)), "the dot at octave 10 of 11")
        self.assertTrue(knob_as_drawn_at(shot, (387, 21)), "the bare knob where the dot was at octave 5")
        self.assertTrue(face_over_the_artworks_dot(shot), "plain face where the dot was at the start")
        self.assertEqual(self.play_q(tonvale), ["note-on 0x90 120 127", "note-off 0x80 120 127"])

    def test_the_wheel_line_shows_the_bend_during_a_drag_and_the_centre_after_it(self):
        tonvale = self.start_tonvale()
        art = artwork()
        centre_row, bent_row = 183, 170  # 241 - ceil(114 * value / 16383) for 8192 and 8192 + 5 * 400
        for y in (centre_row, bent_row):
            self.assertNotIn(panel.WHEEL_PEN, row(art, y), f"the artwork's wheel has the pen colour in row {y}")

        def line_at(shot, y):
            """The pen line in row y, and the artwork as it is in the other row."""
            other = bent_row if y == centre_row else centre_row
            return row(shot, y) == [panel.WHEEL_PEN] * len(row(shot, y)) and row(shot, other) == row(art, other)

        shot = tonvale.wait_for_screenshot(lambda shot: line_at(shot, centre_row))
        self.assertTrue(line_at(shot, centre_row), f"the line at rest: {row(shot, centre_row)}")
        x, y = panel.centre(panel.WHEEL)
        start = tonvale.midi.mark()
        tonvale.mouse_down(x, y)
        for step in range(1, 6):
            tonvale.move_to(x, y - 3 * step)
            tonvale.midi.wait_for_messages(step, since=start)
        self.assertEqual(tonvale.midi.messages(since=start)[-1], f"bend 0xE0 {10192 % 128} {10192 // 128}")
        shot = tonvale.wait_for_screenshot(lambda shot: line_at(shot, bent_row))
        self.assertTrue(line_at(shot, bent_row), f"the line at 10192: {row(shot, bent_row)}")
        tonvale.mouse_up(x, y - 15)
        shot = tonvale.wait_for_screenshot(lambda shot: line_at(shot, centre_row))
        self.assertTrue(line_at(shot, centre_row), f"the line back at the centre: {row(shot, centre_row)}")


def text_widths(shot):
    """The width of the black text of each band of rows that has some, top to bottom."""
    widths, band = [], None
    for y in range(shot.height):
        xs = [x for x in range(shot.width) if shot.pixel(x, y) == (0, 0, 0)]
        if xs:
            band = (min(xs[0], band[0]), max(xs[-1], band[1])) if band else (xs[0], xs[-1])
        elif band:
            widths.append(band[1] - band[0] + 1)
            band = None
    return widths


def sample(picture, corner, points):
    return [picture.pixel(corner[0] + dx, corner[1] + dy) for dx, dy in points]


def cell(picture, corner):
    return picture.crop(*corner, panel.LAMP_SIZE, panel.LAMP_SIZE).rgb


def lamps(picture):
    """The two lamp cells as drawn: section 0's, then section 1's."""
    return cell(picture, panel.LIT_LAMP), cell(picture, panel.UNLIT_LAMP)


def row(picture, y):
    """The pixels of one row across the wheel."""
    return [picture.pixel(x, y) for x in range(panel.WHEEL[0], panel.WHEEL[2])]
