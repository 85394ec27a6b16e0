"""Settings kept between runs, end to end: what one run changes comes back
in the next, after OFF and after the program is killed; a broken file
starts with what can be read of it and device 0."""

import os
import shutil
import time

import panel
from harness import MMSYSERR_ALLOCATED, Config, E2ETest, time_limit

DEVICES = ["Zeta Synth", "Alpha Port"]
SETUP_TITLE = "Setup MIDI output"
IDOK, IDC_DEVICE_LIST = 1, 101


class SettingsTest(E2ETest):

    def choose(self, tonvale, button, position, message=None):
        """Opens a left-section menu and chooses in it; waits for the program change it sends, if any."""
        start = tonvale.midi.mark()
        tonvale.click(*panel.button(0, button))
        tonvale.choose_in_menu(position)
        if message:
            tonvale.midi.wait_for_message(message, since=start)

    def start_calls(self, tonvale, count, programs=2):
        """The MIDI calls of a start-up, once its programs have been sent."""
        tonvale.midi.wait_for_messages(programs)
        tonvale.midi.wait_until_quiet()
        return tonvale.midi.calls()[:count]

    def play_q(self, tonvale):
        start = tonvale.midi.mark()
        tonvale.press("q")
        return tonvale.midi.wait_for_messages(2, since=start)

    @time_limit(120)
    def test_a_split_set_up_comes_back_after_off(self):
        tonvale = self.start_tonvale(devices=DEVICES)
        self.choose(tonvale, panel.CHANNEL, 1, "program 0xC1 0")  # channel 2
        self.choose(tonvale, panel.PATCH, 4, "program 0xC1 4")  # patch 5
        self.choose(tonvale, panel.OCTAVE, 3)  # octave 3, left selected
        tonvale.press("Tab")  # the right section active
        tonvale.click(*panel.centre(panel.SETUP))
        dialog = tonvale.wait_for_dialog(SETUP_TITLE)
        tonvale.click_screen(dialog.control(IDC_DEVICE_LIST).rect[0] + 20, dialog.control(IDC_DEVICE_LIST).rect[1] + 5)
        tonvale.press("Down", window=dialog)  # the second device
        tonvale.click_control(tonvale.wait_for_dialog(SETUP_TITLE).control(IDOK))
        tonvale.wait_until_gone(dialog)
        tonvale.midi.wait_for_call("midiOutOpen 1 null = 0 h2")
        shown = tonvale.screenshot()
        tonvale.click(*panel.centre(panel.OFF))
        self.assertEqual(tonvale.wait_for_exit(), 0)
        with open(self.settings_file(), newline="") as f:
            written = f.read()
        print(f"--- {self.settings_file()}:\n{written}")
        for line in ("[Left]\r\nChannel=2\r\nOctave=3\r\n", "Selected=Octave\r\n", "Channel2=5\r\n",
                     "ActiveSection=Right\r\n", "Device=Alpha Port\r\n"):
            self.assertIn(line, written)

        tonvale = self.start_tonvale(devices=DEVICES)
        self.assertEqual(self.start_calls(tonvale, 8), [
            "midiOutGetNumDevs = 2",
            'midiOutGetDevCapsA 0 "Zeta Synth" = 0',
            'midiOutGetDevCapsA 1 "Alpha Port" = 0',
            'midiOutGetDevCapsA 1 "Alpha Port" = 0',  # the name of the device opened
            "midiOutOpen 1 null = 0 h1",
            "midiOutReset h1 = 0",
            "midiOutShortMsg h1 program 0xC1 4 = 0",  # though the left section has OCTAVE selected
            "midiOutShortMsg h1 program 0xC0 0 = 0",
        ])
        again = tonvale.wait_for_screenshot(lambda shot: shot.rgb == shown.rgb)
        self.assertTrue(again.rgb == shown.rgb, "the panel does not show what it showed at OFF")
        self.assertEqual(self.play_q(tonvale), ["note-on 0x91 36 127", "note-off 0x81 36 127"])

    def test_a_change_a_second_and_a_half_before_the_program_is_killed_is_kept(self):
        tonvale = self.start_tonvale()
        self.choose(tonvale, panel.OCTAVE, 7)  # octave 7
        self.choose(tonvale, panel.CHANNEL, 2, "program 0xC2 0")  # channel 3, the last change
        changed = [t for t, message in tonvale.midi.timed_messages() if message == "program 0xC2 0"][0]
        time.sleep(max(0.0, changed + 1.5 - tonvale.midi.now()))
        tonvale.kill()
        with open(self.settings_file(), newline="") as f:
            written = f.read()
        print(f"--- killed {tonvale.midi.now() - changed:.2f} s after the change; {self.settings_file()}:\n{written}")
        self.assertIn("[Left]\r\nChannel=3\r\nOctave=7\r\n", written)

        tonvale = self.start_tonvale()
        self.assertEqual(self.start_calls(tonvale, 6)[-2:],
                         ["midiOutShortMsg h1 program 0xC2 0 = 0", "midiOutShortMsg h1 program 0xC0 0 = 0"])
        self.assertEqual(self.play_q(tonvale), ["note-on 0x92 84 127", "note-off 0x82 84 127"])

    def test_a_remembered_port_another_program_holds_gives_way_to_device_0_which_plays(self):
        self.write_settings("[General]\nDevice=Alpha Port\n")
        tonvale = self.start_tonvale(devices=DEVICES, fail=f"midiOutOpen@1={MMSYSERR_ALLOCATED}")
        box = tonvale.wait_for_message_box()
        self.assertTrue(tonvale.main_window().visible, "the panel shows first")
        self.assertRegex(box.message, r'^The MIDI output device "Alpha Port" cannot be opened: .+\n\n'
                                      r'Tonvale plays on "Zeta Synth" instead; SETUP chooses another\.$')
        tonvale.dismiss(box)
        self.assertEqual(self.play_q(tonvale), ["note-on 0x90 60 127", "note-off 0x80 60 127"])
        self.assertIn("midiOutOpen 0 null = 0 h1", tonvale.midi.calls())

    def test_a_broken_file_beside_the_program_starts_with_what_can_be_read_and_device_0(self):
        folder = self.folder("portable")
        for name in ("tonvale.exe", "gm_ins.nms"):
            shutil.copy(os.path.join(Config.windows_build, name), folder)
        with open(os.path.join(folder, "tonvale.ini"), "wb") as f:
            f.write(b"\xff\xfe\x00garbage\x01\x02\n[Left]\nChannel=99\nOctave=abc\nVolume=64\nTranspose=11\n"
                    b"[Right\nChannel=5\n[General]\nDevice=No Such Synth\nActiveSection=Middle\nWindowX=99999\n"
                    b"WindowY=10\n\x00\x00\x00")
        tonvale = self.start_tonvale(devices=DEVICES, folder=folder)
        self.assertEqual(self.start_calls(tonvale, 7, programs=1), [
            "midiOutGetNumDevs = 2",
            'midiOutGetDevCapsA 0 "Zeta Synth" = 0',
            'midiOutGetDevCapsA 1 "Alpha Port" = 0',
            'midiOutGetDevCapsA 0 "Zeta Synth" = 0',  # the name of the device opened
            "midiOutOpen 0 null = 0 h1",
            "midiOutReset h1 = 0",
            "midiOutShortMsg h1 program 0xC0 0 = 0",  # once: both sections play on channel 1
        ])
        self.assertEqual(tonvale.main_window().rect[:2], (415, 746))
        self.assertEqual(self.play_q(tonvale), ["note-on 0x90 71 64", "note-off 0x80 71 64"])
        self.assertFalse(os.path.exists(self.settings_file()), "the file beside the program is the one in use")
