"""Expression, end to end: Shift plays a section at its soft volume, Home
raises the modulation and lets it fall, a bank goes before each program."""

import re

from harness import E2ETest


class ExpressionTest(E2ETest):

    def start_with(self, settings):
        """The program started on a settings file saying settings, its programs sent."""
        self.write_settings(settings)
        tonvale = self.start_tonvale()
        tonvale.midi.wait_for_message(re.compile("program"))
        return tonvale

    def test_shift_plays_each_section_at_its_soft_volume(self):
        tonvale = self.start_with("[Right]\nSoftVolume=40\n")
        for key, velocity in (("shift+q", 64), ("shift+z", 40), ("q", 127)):
            start = tonvale.midi.mark()
            tonvale.press(key)
            self.assertEqual(tonvale.midi.wait_for_messages(2, since=start),
                             [f"note-on 0x90 60 {velocity}", f"note-off 0x80 60 {velocity}"])

    def test_home_held_raises_the_modulation_on_the_left_channel_and_let_go_it_falls(self):
        tonvale = self.start_with("[Left]\nChannel=4\n")
        start = tonvale.midi.mark()
        tonvale.hold("Home", 0.8)
        tonvale.midi.wait_for_message("control 0xB3 1 0", since=start)
        tonvale.midi.wait_until_quiet()
        sent = tonvale.midi.messages(since=start)
        values = [int(m.split()[-1]) for m in sent if m.startswith("control 0xB3 1 ")]
        self.assertEqual(len(values), len(sent), sent)
        top = values.index(127)
        self.assertGreaterEqual(top, 4, sent)
        self.assertEqual(values, sorted(values[:top]) + sorted(values[top:], reverse=True), sent)
        self.assertEqual(values[-1], 0)

    def test_a_bank_goes_right_before_each_program_change_from_start_up_on(self):
        tonvale = self.start_with("[Banks]\nChannel1=130\n")
        bank = ["control 0xB0 0 1", "control 0xB0 32 2"]
        self.assertEqual(tonvale.midi.messages(), bank + ["program 0xC0 0"])
        start = tonvale.midi.mark()
        tonvale.press("Up")  # the next patch
        self.assertEqual(tonvale.midi.wait_for_messages(3, since=start), bank + ["program 0xC0 1"])
