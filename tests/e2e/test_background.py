"""Playing behind another program's window, end to end: Wine's Notepad in
front, Scroll Lock arms and disarms, the keys played never reach Notepad."""

import re

from harness import E2ETest, wait_until

RIGHT_ON_CHANNEL_2 = "[Right]\nChannel=2\n"


class BackgroundTest(E2ETest):

    def scroll_lock(self, tonvale):
        """A tap of Scroll Lock as a hand taps it, into the window in front."""
        tonvale.hold("Scroll_Lock", 0.05, focus=False)

    def test_behind_notepad_q_and_z_play_only_once_armed_and_never_reach_it(self):
        self.write_settings(RIGHT_ON_CHANNEL_2)
        tonvale = self.start_tonvale()
        tonvale.midi.wait_for_messages(2)  # the start's programs
        notepad = self.session.start_notepad()
        tonvale.focus(notepad)
        start = tonvale.midi.mark()
        tonvale.press("q", focus=False)
        wait_until(lambda: self.session.notepad_text(notepad) == "q", what="q typed in Notepad")
        self.scroll_lock(tonvale)
        tonvale.press("q", "z", focus=False)
        tonvale.midi.wait_for_message("note-off 0x81 60 127", since=start)
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, ["note-on 0x90 60 127", "note-off 0x80 60 127",
                                      "note-on 0x91 60 127", "note-off 0x81 60 127"], since=start)
        self.assertEqual(self.session.notepad_text(notepad), "q")

        # Disarmed with W held: W's note ends at once, and W is Notepad's again.
        start = tonvale.midi.mark()
        tonvale.key_down("w", focus=False)
        tonvale.midi.wait_for_message("note-on 0x90 62 127", since=start)
        self.scroll_lock(tonvale)
        tonvale.midi.wait_for_message("note-off 0x80 62 127", since=start)
        tonvale.key_up("w", focus=False)
        tonvale.press("e", focus=False)
        wait_until(lambda: self.session.notepad_text(notepad) == "qe", what="e typed in Notepad")
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, ["note-on 0x90 62 127", "note-off 0x80 62 127"], since=start)

    def test_background_on_in_the_settings_plays_e_behind_notepad_from_the_start(self):
        self.write_settings("[General]\nBackground=On\n")
        tonvale = self.start_tonvale()
        tonvale.midi.wait_for_messages(1)
        notepad = self.session.start_notepad()
        tonvale.focus(notepad)
        start = tonvale.midi.mark()
        tonvale.press("e", "Tab", focus=False)
        wait_until(lambda: self.session.notepad_text(notepad) == "\t", what="Tab typed in Notepad")
        tonvale.midi.wait_for_message(re.compile("note-off"), since=start)
        self.assertMessages(tonvale, ["note-on 0x90 64 127", "note-off 0x80 64 127"], since=start)
