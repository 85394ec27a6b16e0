"""The application shell, end to end: the window, start-up with its MIDI
device, the failures of start-up, and the end of the program."""

import os

from harness import (E2ETest, MAIN_WINDOW_CLASS, MMSYSERR_ALLOCATED, MMSYSERR_NOMEM, PANEL_HEIGHT, PANEL_WIDTH,
                     WS_BORDER, WS_CAPTION, WS_POPUP, WS_THICKFRAME, Config, artwork, screen_size)
from pe_resources import read_dialog

# Named so that alphabetical order differs from index order.
DEVICES = ["Zeta Synth", "Alpha Port"]

NAME_OF_DEVICE_0 = 'midiOutGetDevCapsA 0 "Zeta Synth" = 0'  # kept, to find the device again by it

START_UP = [
    "midiOutGetNumDevs = 2",
    NAME_OF_DEVICE_0,
    "midiOutOpen 0 null = 0 h1",
    "midiOutReset h1 = 0",
    "midiOutShortMsg h1 program 0xC0 0 = 0",  # both sections play on channel 1
]

END = [
    "midiOutReset h1 = 0",
    "midiOutClose h1 = 0",
]



class ShellTest(E2ETest):

    def assertNeverShown(self, tonvale):
        self.assertFalse(tonvale.main_window_shown, "the panel window was shown")
        self.assertFalse(any(w.cls == MAIN_WINDOW_CLASS and w.visible for w in tonvale.windows()))

    def assertMessageBox(self, box, text):
        self.assertEqual(box.message, text)
        self.assertEqual(box.title, "Error", "a null caption")
        self.assertEqual(box.buttons, ["OK"])

    def test_window_is_placed_at_415_746_with_no_caption(self):
        tonvale = self.start_tonvale()
        window = tonvale.main_window()
        self.assertEqual((window.cls, window.title), (MAIN_WINDOW_CLASS, "Tonvale 1.0 (beta)"))
        self.assertEqual(window.rect, (415, 746, 415 + PANEL_WIDTH, 746 + PANEL_HEIGHT))
        self.assertEqual(window.client, window.rect, "no caption or border: the client is the whole window")
        self.assertTrue(window.style & WS_POPUP)
        self.assertFalse(window.style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), f"style 0x{window.style:08x}")
        geometry = tonvale.session.xdotool("getwindowgeometry", window.x11).stdout
        self.assertIn("Position: 415,746", geometry)
        self.assertIn("Geometry: 800x250", geometry)

    def assertPanelShownAt(self, tonvale, left, top):
        """The corners of the panel carry the artwork at (left, top) on the
        screen; just outside them is the bare screen, where the screen goes on."""
        panel = artwork()
        corners = [(0, 0), (PANEL_WIDTH - 1, 0), (0, PANEL_HEIGHT - 1), (PANEL_WIDTH - 1, PANEL_HEIGHT - 1)]
        tonvale.wait_for_screenshot(lambda shot: all(shot.pixel(x, y) == panel.pixel(x, y) for x, y in corners))
        screen = tonvale.session.screenshot()

        def on_panel(x, y):
            return left <= x < left + PANEL_WIDTH and top <= y < top + PANEL_HEIGHT

        # The panel never covers every corner of the screen.
        background = next(screen.pixel(x, y) for x in (0, screen.width - 1) for y in (0, screen.height - 1)
                          if not on_panel(x, y))
        for x, y in corners:
            self.assertEqual(screen.pixel(left + x, top + y), panel.pixel(x, y), f"panel pixel ({x}, {y})")
            outside_x = left - 1 if x == 0 else left + PANEL_WIDTH
            outside_y = top - 1 if y == 0 else top + PANEL_HEIGHT
            if 0 <= outside_x < screen.width and 0 <= outside_y < screen.height:
                self.assertEqual(screen.pixel(outside_x, outside_y), background, f"screen ({outside_x}, {outside_y})")

    def test_the_panel_shows_its_artwork_exactly_where_the_window_is(self):
        self.assertPanelShownAt(self.start_tonvale(), 415, 746)

    @screen_size(1366, 768)
    def test_on_a_1366_by_768_screen_the_whole_panel_is_on_the_screen(self):
        tonvale = self.start_tonvale()
        screen = tonvale.session.screenshot()
        self.assertEqual((screen.width, screen.height), (1366, 768))
        window = tonvale.main_window()
        left, top, right, bottom = window.rect
        self.assertEqual((right - left, bottom - top), (PANEL_WIDTH, PANEL_HEIGHT))
        self.assertTrue(left >= 0 and top >= 0 and right <= 1366 and bottom <= 768,
                        f"the window {window.rect} is not wholly on the 1366 x 768 screen")
        self.assertPanelShownAt(tonvale, left, top)

    def test_start_up_opens_device_0_resets_it_and_sends_its_program(self):
        tonvale = self.start_tonvale(devices=DEVICES)
        tonvale.midi.wait_until_quiet()
        self.assertCalls(tonvale, START_UP)

    def test_wm_close_ends_the_program_resetting_and_closing_the_device_once(self):
        tonvale = self.start_tonvale(devices=DEVICES)
        tonvale.midi.wait_for_messages(1)
        running = tonvale.midi.mark()
        tonvale.close()
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertCalls(tonvale, END, since=running)

    def test_no_device_shows_a_message_and_exits_0_without_a_window(self):
        tonvale = self.start_tonvale(devices=[], wait_for_window=False)
        box = tonvale.wait_for_message_box()
        self.assertMessageBox(box, "There are no MIDI output devices installed")
        self.assertEqual(tonvale.window(box.owner).cls, MAIN_WINDOW_CLASS, "owned by the main window")
        self.assertNeverShown(tonvale)
        tonvale.dismiss(box)
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertNeverShown(tonvale)
        calls = tonvale.midi.calls()
        self.assertEqual(calls[0], "midiOutGetNumDevs = 0")
        self.assertEqual(calls[1:], [], "nothing is called without an open device")

    def test_missing_patch_names_stop_the_program_after_the_programs_are_sent(self):
        tonvale = self.start_tonvale(devices=DEVICES, patch_names=False, wait_for_window=False)
        box = tonvale.wait_for_message_box()
        self.assertMessageBox(box, "Cannot load patch names.")
        self.assertCalls(tonvale, START_UP)
        self.assertNeverShown(tonvale)
        tonvale.dismiss(box)
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertCalls(tonvale, START_UP + END)

    def test_a_failing_open_shows_a_message_and_sends_nothing(self):
        tonvale = self.start_tonvale(devices=DEVICES, fail=f"midiOutOpen={MMSYSERR_ALLOCATED}", wait_for_window=False)
        box = tonvale.wait_for_message_box()
        self.assertMessageBox(box, "Can't open MIDI output device")
        tonvale.dismiss(box)
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertNeverShown(tonvale)
        calls = tonvale.midi.calls()
        self.assertEqual(calls, ["midiOutGetNumDevs = 2", NAME_OF_DEVICE_0, f"midiOutOpen 0 null = {MMSYSERR_ALLOCATED}"])

    def test_a_failing_first_reset_shows_the_drivers_text_and_closes_the_device(self):
        tonvale = self.start_tonvale(devices=DEVICES, fail=f"midiOutReset#1={MMSYSERR_NOMEM}", wait_for_window=False)
        box = tonvale.wait_for_message_box()
        error_text = tonvale.midi.entries()[-1]
        self.assertEqual(error_text.function, "midiOutGetErrorTextA")
        self.assertTrue(error_text.raw.startswith(f"midiOutGetErrorTextA {MMSYSERR_NOMEM} \"There is not enough memory"))
        self.assertMessageBox(box, error_text.raw.split('"')[1])
        tonvale.dismiss(box)
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertNeverShown(tonvale)
        self.assertCalls(tonvale, [
            "midiOutGetNumDevs = 2",
            NAME_OF_DEVICE_0,
            "midiOutOpen 0 null = 0 h1",
            f"midiOutReset h1 = {MMSYSERR_NOMEM}",
            error_text.text,
        ] + END)

    def test_the_setup_dialog_template_is_exact(self):
        dialog = read_dialog(os.path.join(Config.windows_build, "tonvale.exe"), "SETUPDLG")
        self.assertFalse(dialog.extended)
        self.assertEqual(f"0x{dialog.style:08X}", "0x90C808C4")
        self.assertEqual(dialog.exstyle, 0)
        self.assertEqual(dialog.box[2:], (240, 144))
        self.assertEqual(dialog.title, "Setup MIDI output")
        self.assertEqual(dialog.font, (8, "MS Sans Serif"))
        self.assertEqual((dialog.menu, dialog.window_class), (None, None))
        self.assertEqual([control.fields() for control in dialog.controls], [
            ("button", 1, "OK", (186, 6, 50, 14), "0x50010300", "0x00000000"),
            ("button", 2, "Cancel", (186, 26, 50, 14), "0x50010300", "0x00000000"),
            ("listbox", 101, "ListBox1", (4, 6, 176, 62), "0x50A10001", "0x00000000"),
            ("static", 65535, "Keys:", (4, 73, 22, 10), "0x50000000", "0x00000000"),
            ("button", 102, "Split", (28, 72, 40, 12), "0x50030009", "0x00000000"),
            ("button", 103, "Single", (72, 72, 44, 12), "0x50000009", "0x00000000"),
            ("button", 104, "Custom", (120, 72, 48, 12), "0x50000009", "0x00000000"),
            ("static", 65535, "MIDI input:", (4, 89, 60, 10), "0x50000000", "0x00000000"),
            ("listbox", 105, "ListBox2", (4, 100, 176, 40), "0x50A10001", "0x00000000"),
        ])
