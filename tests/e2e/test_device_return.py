"""A device that goes while the program runs, end to end: the test driver
makes it disappear and come back under another number; the program lets it
go and opens it again by its name, with its programs, without a restart."""

from harness import E2ETest

DEVICES = ["Zeta Synth", "Alpha Port"]


class DeviceReturnTest(E2ETest):

    def test_a_device_unplugged_and_back_is_opened_again_by_name_with_its_programs(self):
        self.write_settings("[Right]\nChannel=2\n[General]\nDevice=Alpha Port\n")
        tonvale = self.start_tonvale(devices=DEVICES, device_control=True)
        tonvale.midi.wait_for_messages(2)
        tonvale.set_devices(["Zeta Synth"])
        start = tonvale.midi.mark()
        tonvale.press("q")
        tonvale.midi.wait_for_call("midiOutClose h1 = 0", since=start)
        tonvale.set_devices(["Alpha Port", "Zeta Synth"])
        back = tonvale.midi.now()
        calls = tonvale.midi.wait_for_call("midiOutShortMsg h2 program 0xC1 0 = 0", since=start)
        opened = [e.seconds for e in tonvale.midi.entries(start) if e.raw.startswith("midiOutOpen")]
        self.assertLess(opened[0] - back, 2.0, "opened again within 2 s of its return")
        self.assertEqual(calls[:3], ["control devices=1", "midiOutShortMsg h1 note-on 0x90 60 127 = 6",
                                     "midiOutClose h1 = 0"])  # Q's note-off goes nowhere
        self.assertEqual(calls[calls.index("midiOutOpen 0 null = 0 h2"):],
                         ["midiOutOpen 0 null = 0 h2", "midiOutReset h2 = 0",
                          "midiOutShortMsg h2 program 0xC0 0 = 0", "midiOutShortMsg h2 program 0xC1 0 = 0"])
        start = tonvale.midi.mark()
        tonvale.press("z")
        tonvale.midi.wait_for_call("midiOutShortMsg h2 note-off 0x81 60 127 = 0", since=start)
