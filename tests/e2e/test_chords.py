"""Chord types, the strum and the latch, end to end: types from the settings
file and from the arrows, Ctrl's minor third, a strum's notes on time by
Wine's multimedia timer, a latch that holds a chord until the next and Esc."""

import panel
from harness import E2ETest, time_limit
from test_keys import note_off, note_on


class ChordsTest(E2ETest):

    def start(self, settings=""):
        """The program started with this settings file, or with an empty one."""
        self.write_settings(settings)
        return self.start_tonvale()

    def play(self, tonvale, key, count):
        """The key held until half the messages are out, then let go; the count of them, and nothing more."""
        start = tonvale.midi.mark()
        tonvale.key_down(key)
        tonvale.midi.wait_for_messages(count // 2, since=start)
        tonvale.key_up(key)
        tonvale.midi.wait_for_messages(count, since=start)
        tonvale.midi.wait_until_quiet()
        return tonvale.midi.timed_messages(since=start)

    def chord(self, notes):
        return [note_on(0, n) for n in notes] + [note_off(0, n) for n in notes]

    @time_limit(120)
    def test_sevenths_from_the_file_minor_by_the_arrows_a_strum_on_time_and_a_latch_till_the_next_chord(self):
        tonvale = self.start("[Left]\nChord=7\n[Right]\nChord=Sus4\nStrum=30\n")
        for key, notes in (("q", [60, 64, 67, 70]), ("ctrl+w", [62, 65, 69, 72]), ("z", [60, 65, 67])):
            timed = self.play(tonvale, key, 2 * len(notes))
            self.assertEqual([message for _, message in timed], self.chord(notes))
        # Each strummed note at its time after the first, never early, late only by what the machine did.
        self.assertTrue(all(-0.001 <= timed[k][0] - timed[0][0] - 0.030 * k < 0.05 for k in (1, 2)), timed)
        tonvale.close()
        tonvale.wait_for_exit()

        tonvale = self.start()  # as a first run: CHORD turns on Major
        tonvale.click(*panel.button(0, panel.CHORD))
        tonvale.press("Right", "Right", "Right", "Right", "Right", "Up")
        self.assertEqual([message for _, message in self.play(tonvale, "q", 6)], self.chord([60, 63, 67]))
        tonvale.close()
        tonvale.wait_for_exit()

        tonvale = self.start("[Left]\nChord=Major\nLatch=On\n")
        start = tonvale.midi.mark()
        self.play(tonvale, "q", 3)  # let go, and still sounding
        self.play(tonvale, "w", 6)
        self.assertMessages(tonvale, self.chord([60, 64, 67]) + [note_on(0, n) for n in (62, 66, 69)], since=start)
        tonvale.press("Escape")
        tonvale.midi.wait_for_call("midiOutReset h1 = 0", since=start)
