"""A MIDI input end to end: the test driver's input hands its messages to the
window callback, and they play through the split, octaves, channels and transposition."""

from harness import E2ETest


def note(status, n, velocity):
    return status | n << 8 | velocity << 16


class MidiInputTest(E2ETest):

    def test_notes_play_through_the_split_and_end_as_they_started_though_the_arrows_change_the_octave(self):
        self.write_settings("[Left]\nOctave=4\n[Right]\nChannel=2\nTranspose=2\n[General]\nInput=Test Keyboard\n")
        tonvale = self.start_tonvale(inputs=["Test Keyboard"])
        start = tonvale.midi.mark()
        # 72's note-off as a note-on at velocity 0, as many keyboards send it.
        tonvale.play_input((0, note(0x90, 48, 90)), (10, note(0x90, 72, 80)), (200, note(0x80, 48, 64)),
                           (210, note(0x90, 72, 0)), (300, note(0x90, 72, 100)))
        tonvale.midi.wait_for_messages(5, since=start)
        tonvale.press("Tab", "Right", "Right", "Up")  # the right section's octave up under the held note
        tonvale.play_input((0, note(0x80, 72, 0)), (10, note(0x90, 72, 100)), (20, note(0x80, 72, 0)))
        tonvale.midi.wait_for_messages(8, since=start)
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, [
            "note-on 0x90 36 90", "note-on 0x91 74 80", "note-off 0x80 36 90", "note-off 0x81 74 80",
            "note-on 0x91 74 100", "note-off 0x81 74 100", "note-on 0x91 86 100", "note-off 0x81 86 100",
        ], since=start)
        tonvale.close()
        tonvale.midi.wait_for_call("midiInClose i1 = 0")
