"""The panel at display scales above 100 %: a larger window drawn at its
scale, clicked and dragged where the controls are drawn. Each test runs in
a prefix of its own whose display scale is set (harness.display_dpi)."""

import os
import re

import panel
from harness import Config, E2ETest, display_dpi, read_bmp, screen_size
from test_panel import drag_the_knob

TEXT_COLOUR = (52, 57, 55)
TITLE = (30, 2, 300, 30)  # the lettering "TONVALE" and the line beside it: painting leaves it alone


def at(point, dpi):
    """The middle of the pixels that panel point (x, y) is drawn at."""
    return tuple(int((2 * v + 1) * dpi / 192) for v in point)


def ink_rows(shot, rect, dpi):
    """The pixel rows of a display, given in panel units, that hold display text."""
    left, top, right, bottom = (v * dpi // 96 for v in rect)
    return [y for y in range(top, bottom)
            if any(shot.pixel(x, y) == TEXT_COLOUR for x in range(left, right))]


class DpiTest(E2ETest):

    def assertWindowSize(self, tonvale, size):
        left, top, right, bottom = tonvale.main_window().client
        self.assertEqual((right - left, bottom - top), size)

    @display_dpi(144)
    @screen_size(1920, 1200)
    def test_at_150_percent_the_window_is_1200_by_375_and_chan_opens_its_menu_where_it_is_drawn(self):
        tonvale = self.start_tonvale()
        self.assertWindowSize(tonvale, (1200, 375))
        start = tonvale.midi.mark()
        tonvale.click(*at(panel.button(0, panel.CHANNEL), 144))
        menu = tonvale.wait_for_menu()
        self.assertEqual(menu.rect[0], tonvale.main_window().client[0] + panel.BUTTONS[0][panel.CHANNEL][0] * 3 // 2,
                         f"{menu} is not at the CHAN. button")
        tonvale.choose_in_menu(2)  # "Channel 3"
        tonvale.midi.wait_for_message("program 0xC2 0", since=start)
        tonvale.press("q")
        tonvale.midi.wait_for_message(re.compile("note-off"), since=start)
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, ["program 0xC2 0", "note-on 0x92 60 127", "note-off 0x82 60 127"], since=start)

    @display_dpi(192)
    @screen_size(2560, 1600)
    def test_at_200_percent_the_window_is_1600_by_500_drawn_at_that_size_and_the_knob_steps_as_at_100(self):
        tonvale = self.start_tonvale()
        self.assertWindowSize(tonvale, (1600, 500))
        shot = tonvale.wait_for_screenshot(lambda shot: ink_rows(shot, panel.LCD[0], 192))
        if Config.keep:
            shot.save_png(os.path.join(tonvale.folder, "panel-at-200-percent.png"))
        art = read_bmp(os.path.join(Config.source_dir, "resources", "panel-2x.bmp"))
        left, top, right, bottom = (2 * v for v in TITLE)
        self.assertEqual(shot.crop(left, top, right - left, bottom - top).rgb,
                         art.crop(left, top, right - left, bottom - top).rgb, "the artwork drawn for 200 %")
        # The patch line's letters, in a font of twice the height, not the 100 % one.
        patch_line = [y for y in ink_rows(shot, panel.LCD[0], 192) if y < 2 * 50]
        self.assertGreaterEqual(max(patch_line) - min(patch_line) + 1, 14, f"text rows {patch_line}")

        drag_the_knob(self, tonvale, scale=2)
