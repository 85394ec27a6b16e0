"""Key layouts, end to end: Single, the player's own from the settings file,
a key learned with a right click and kept, and keys known by where they sit
whatever the X keyboard layout says they are."""

import re
import subprocess

import panel
from harness import E2ETest, time_limit


def plays(channel, note):
    return [f"note-on 0x{0x90 + channel:02X} {note} 127", f"note-off 0x{0x80 + channel:02X} {note} 127"]


class LayoutsTest(E2ETest):

    def start_with(self, settings):
        """The program started with this settings file; the right section on channel 2."""
        self.write_settings("[Right]\nChannel=2\n" + settings)
        return self.start_tonvale()

    def play(self, tonvale, key):
        start = tonvale.midi.mark()
        tonvale.press(key)
        tonvale.midi.wait_for_message(re.compile("note-off"), since=start)
        tonvale.midi.wait_until_quiet()
        return tonvale.midi.messages(since=start)

    def test_single_plays_both_rows_on_the_active_section_q_an_octave_above_z(self):
        tonvale = self.start_with("[General]\nKeys=Single\n")
        self.assertEqual(self.play(tonvale, "z"), plays(0, 60))
        self.assertEqual(self.play(tonvale, "q"), plays(0, 72))
        tonvale.press("Tab")
        self.assertEqual(self.play(tonvale, "z") + self.play(tonvale, "q"), plays(1, 60) + plays(1, 72))

    def test_a_keys_line_plays_its_offset_on_its_section(self):
        tonvale = self.start_with("[General]\nKeys=Custom\n[Keys]\nQ=Right 7\n")
        self.assertEqual(self.play(tonvale, "q"), plays(1, 67))

    @time_limit(90)
    def test_a_key_learned_with_a_right_click_and_f5_plays_it_and_is_kept(self):
        tonvale = self.start_with("")
        tonvale.click(panel.key_left(1, 4) + 10, panel.KEY_TOP + 110, button=3)  # the right bed's E
        self.assertEqual(self.play(tonvale, "F5"), plays(1, 64))
        tonvale.click(*panel.centre(panel.OFF))
        self.assertEqual(tonvale.wait_for_exit(), 0)
        with open(self.settings_file()) as f:
            self.assertIn("\nF5=Right 4\n", f.read())
        tonvale = self.start_tonvale()
        self.assertEqual(self.play(tonvale, "F5") + self.play(tonvale, "q"), plays(1, 64) + plays(0, 60))

    def test_on_a_german_keyboard_the_key_where_us_has_z_plays_what_z_plays(self):
        self.folder("german")
        subprocess.run(["setxkbmap", "de"], env=self.session.x_environment(), check=True, timeout=30)
        tonvale = self.start_with("[General]\nKeys=Single\n")
        self.assertEqual(self.play(tonvale, "y"), plays(0, 60))  # German Y sits where US Z is
        self.assertEqual(self.play(tonvale, "z"), plays(0, 81))  # and Z where US Y is, upper row key 9
