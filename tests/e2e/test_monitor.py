"""The MIDI monitor driver that the run command puts beside the program where
no synthesizer can play: it shows each message as a musician reads it."""

import panel
from harness import E2ETest


class MonitorTest(E2ETest):

    def test_the_monitor_names_notes_programs_and_the_pedal_and_gives_bends_in_semitones(self):
        tonvale = self.start_tonvale(driver="monitor")
        tonvale.midi.wait_for_messages(1)
        tonvale.press("q", "space")
        tonvale.click(*panel.button(0, panel.PLUS))  # the next patch
        tonvale.press("Prior")  # a bend up in steps of 500, back to the centre at its end
        tonvale.midi.wait_for_message("bend 0xE0 0 64")
        tonvale.midi.wait_until_quiet()
        tonvale.close()
        self.assertEqual(tonvale.wait_for_exit(), 0)
        lines = tonvale.output().splitlines()
        self.assertEqual(lines[:10], [
            "MIDI monitor: 1 device(s); the messages the program sends are shown here.",
            'open      device 0  "MIDI monitor"',
            "reset     all notes off",
            "program   ch 1   1 Acoustic Grand Piano",
            "note-on   ch 1   C4 (60)   vel 127",
            "note-off  ch 1   C4 (60)   vel 127",
            "sustain   ch 1   on",
            "sustain   ch 1   off",
            "program   ch 1   2 Bright Acoustic Piano",
            "bend      ch 1   +500 (+0.12 st)",
        ])
        self.assertEqual(lines[-3:], ["bend      ch 1   +0 (+0.00 st)", "reset     all notes off", "close"])
