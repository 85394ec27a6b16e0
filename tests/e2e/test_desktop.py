"""The program on a desktop with a window manager (openbox), as a user has
it, rather than on the bare virtual screen of the other tests: the panel has
the keyboard once shown and after the setup dialog, plays, moves and quits,
and a note held when another window takes the keys ends then. Keys here go
to whatever window has the keyboard focus."""

import subprocess

import harness
import panel
from harness import E2ETest, wait_until

DEVICES = ["Zeta Synth", "Alpha Port"]
SETUP_TITLE = "Setup MIDI output"
IDOK, IDC_DEVICE_LIST = 1, 101


class DesktopTest(E2ETest):
    window_manager = True

    def wait_for_the_keyboard(self, tonvale):
        """Waits until the window manager has given the panel the keyboard focus."""
        panel_window = str(tonvale.main.x11)
        wait_until(lambda: tonvale.session.xdotool("getwindowfocus").stdout.strip() == panel_window,
                   what="the panel to have the keyboard focus")

    def play_q(self, tonvale):
        """Types q as a user does, without focusing anything; gives the calls it made."""
        start = tonvale.midi.mark()
        tonvale.press("q", focus=False)
        tonvale.midi.wait_for_message("note-off 0x80 60 127", since=start)
        tonvale.midi.wait_until_quiet()
        return tonvale.midi.calls(since=start)

    def test_the_panel_has_the_keyboard_once_shown_and_q_plays(self):
        tonvale = self.start_tonvale(wait_for_window=False)
        tonvale.wait_for_window(focus=False)
        self.wait_for_the_keyboard(tonvale)
        self.assertEqual(self.play_q(tonvale), ["midiOutShortMsg h1 note-on 0x90 60 127 = 0",
                                                "midiOutShortMsg h1 note-off 0x80 60 127 = 0"])

    def test_setup_ok_on_another_device_gives_the_keyboard_back_to_the_panel_which_plays_there(self):
        tonvale = self.start_tonvale(devices=DEVICES, wait_for_window=False)
        tonvale.wait_for_window(focus=False)
        tonvale.click(*panel.centre(panel.SETUP))
        dialog = tonvale.wait_for_dialog(SETUP_TITLE)
        device_list = dialog.control(IDC_DEVICE_LIST)
        tonvale.click_screen(device_list.rect[0] + 20, device_list.rect[1] + 5)
        tonvale.press("Down", focus=False)
        self.assertEqual(tonvale.wait_for_dialog(SETUP_TITLE).control(IDC_DEVICE_LIST).selected, 1)
        start = tonvale.midi.mark()
        tonvale.click_control(dialog.control(IDOK))
        tonvale.wait_until_gone(dialog)
        tonvale.midi.wait_for_call("midiOutOpen 1 null = 0 h2", since=start)
        self.wait_for_the_keyboard(tonvale)
        self.assertEqual(self.play_q(tonvale), ["midiOutShortMsg h2 note-on 0x90 60 127 = 0",
                                                "midiOutShortMsg h2 note-off 0x80 60 127 = 0"])

    def another_window(self, tonvale):
        """An X client's window; the panel has the keys back afterwards. Gives its X id."""
        session = tonvale.session
        session.processes.append(subprocess.Popen(["xmessage", "another window"], env=session.x_environment(),
                                                  stdout=subprocess.DEVNULL, preexec_fn=harness.die_with_parent))
        found = session.xdotool("search", "--sync", "--onlyvisible", "--class", "Xmessage", timeout=20)
        self.activate(tonvale, tonvale.main.x11)  # the new window took the keys
        self.wait_for_the_keyboard(tonvale)
        return found.stdout.split()[0]

    def activate(self, tonvale, window):
        """Gives a window the keys through the window manager, as a task bar does."""
        tonvale.session.xdotool("windowactivate", "--sync", window)

    def test_a_note_held_when_another_window_takes_the_keys_ends_then_and_nothing_hangs(self):
        tonvale = self.start_tonvale(wait_for_window=False)
        tonvale.wait_for_window(focus=False)
        other = self.another_window(tonvale)
        start = tonvale.midi.mark()
        tonvale.session.xdotool("keydown", "q")
        tonvale.midi.wait_for_message("note-on 0x90 60 127", since=start)
        self.activate(tonvale, other)
        tonvale.midi.wait_for_message("note-off 0x80 60 127", since=start)
        tonvale.session.xdotool("keyup", "q")  # to the other window
        tonvale.midi.wait_until_quiet()
        self.assertEqual(tonvale.midi.messages(since=start), ["note-on 0x90 60 127", "note-off 0x80 60 127"])
        # Back on the panel nothing is replayed, and Q plays as ever.
        self.activate(tonvale, tonvale.main.x11)
        self.wait_for_the_keyboard(tonvale)
        self.assertEqual(self.play_q(tonvale), ["midiOutShortMsg h1 note-on 0x90 60 127 = 0",
                                                "midiOutShortMsg h1 note-off 0x80 60 127 = 0"])

    def test_dragging_the_bare_panel_moves_the_window(self):
        tonvale = self.start_tonvale()
        before = tonvale.main_window().rect
        (x0, y0), (dx, dy) = panel.BARE_PANEL, (-200, -300)
        tonvale.drag((x0, y0), (x0 + dx, y0 + dy))
        expected = (before[0] + dx, before[1] + dy, before[2] + dx, before[3] + dy)
        wait_until(lambda: tonvale.main_window().rect == expected, what=f"the window to move to {expected}")

    def test_off_quits(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.click(*panel.centre(panel.OFF))
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertEqual(tonvale.midi.calls(since=start), ["midiOutReset h1 = 0", "midiOutClose h1 = 0"])
