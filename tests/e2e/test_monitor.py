"""The MIDI monitor driver that the run command puts beside the program where
no synthesizer can play: it shows each message as a musician reads it."""

from harness import E2ETest


class MonitorTest(E2ETest):

    def test_the_monitor_prints_each_message_decoded(self):
        tonvale = self.start_tonvale(driver="monitor")
        tonvale.midi.wait_for_messages(2)
        tonvale.close()
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertEqual(tonvale.output().splitlines(), [
            "MIDI monitor: 1 device(s); the messages the program sends are shown here.",
            'open      device 0  "MIDI monitor"',
            "reset     all notes off",
            "program   ch 1   0",
            "program   ch 1   0",
            "reset     all notes off",
            "close",
        ])
