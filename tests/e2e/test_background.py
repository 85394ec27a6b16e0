"""Playing behind another program's window, end to end: Wine's Notepad in
front, Scroll Lock arms and disarms, the keys played never reach Notepad."""

from harness import E2ETest, wait_until


class BackgroundTest(E2ETest):

    def behind_notepad(self, settings):
        """Tonvale started with these settings, Notepad in front of it."""
        self.write_settings(settings)
        tonvale = self.start_tonvale()
        tonvale.midi.wait_for_messages(1)  # the start's program
        tonvale.midi.wait_until_quiet()
        notepad = self.session.start_notepad()
        tonvale.focus(notepad)
        return tonvale, notepad, tonvale.midi.mark()

    def typed(self, notepad, text):
        wait_until(lambda: self.session.notepad_text(notepad) == text, what=f"{text!r} typed in Notepad")

    def test_behind_notepad_q_and_z_play_only_once_armed_and_never_reach_it(self):
        tonvale, notepad, start = self.behind_notepad("[Right]\nChannel=2\n")
        tonvale.press("q", focus=False)
        self.typed(notepad, "q")
        tonvale.hold("Scroll_Lock", 0.05, focus=False)  # as a hand taps it
        tonvale.press("q", "z", focus=False)
        # Disarmed with W held: W's note ends at once, and W and E are Notepad's again.
        tonvale.key_down("w", focus=False)
        tonvale.midi.wait_for_message("note-on 0x90 62 127", since=start)
        tonvale.hold("Scroll_Lock", 0.05, focus=False)
        tonvale.midi.wait_for_message("note-off 0x80 62 127", since=start)
        tonvale.key_up("w", focus=False)
        tonvale.press("e", focus=False)
        self.typed(notepad, "qe")
        self.assertMessages(tonvale, ["note-on 0x90 60 127", "note-off 0x80 60 127", "note-on 0x91 60 127",
                                      "note-off 0x81 60 127", "note-on 0x90 62 127", "note-off 0x80 62 127"],
                            since=start)

    def test_background_on_in_the_settings_plays_e_behind_notepad_from_the_start(self):
        tonvale, notepad, start = self.behind_notepad("[General]\nBackground=On\n")
        tonvale.press("e", "Tab", focus=False)
        self.typed(notepad, "\t")
        tonvale.midi.wait_for_message("note-off 0x80 64 127", since=start)
        self.assertMessages(tonvale, ["note-on 0x90 64 127", "note-off 0x80 64 127"], since=start)
