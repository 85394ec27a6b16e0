"""Playing from the computer keyboard, end to end: real X key events reach
the program as the system's key messages (scan codes, auto-repeat, the
extended keypad slash) and come out as MIDI; the arrows, Esc and Space work
the panel and the pedal, and a menu that takes the keys ends a held note."""

import re
import time

import panel
from harness import E2ETest, wait_until

CENTRE = 8192
BEND = re.compile(r"bend 0x(E[0-9A-F]) (\d+) (\d+)$")
# A keyboard gesture lasts a few ticks of the bend timer (10 ms apart under
# Wine, by the program's own timestamps); an endless one passes this at once.
GESTURE_SECONDS = 0.1
QUIET_SECONDS = 0.5  # no bend for this long, by the log's clock: the stream has ended


def note_on(channel, note):
    return f"note-on 0x{0x90 + channel:02X} {note} 127"


def note_off(channel, note):
    return f"note-off 0x{0x80 + channel:02X} {note} 127"


def display(shot, section):
    """The pixels of a section's display in a screenshot of the panel."""
    left, top, right, bottom = panel.DISPLAYS[section]
    return shot.crop(left, top, right - left, bottom - top).rgb


def pitch_bends(messages):
    """(status, value) of each pitch-bend message; anything else fails."""
    bends = []
    for message in messages:
        match = BEND.match(message)
        if not match:
            raise AssertionError(f"not a pitch bend: {message!r} in {messages}")
        bends.append((int(match.group(1), 16), int(match.group(2)) + 128 * int(match.group(3))))
    return bends


class KeysTest(E2ETest):

    def play(self, tonvale, *keys):
        """Taps the keys and gives every message they sent, once all their note-offs are out."""
        start = tonvale.midi.mark()
        tonvale.press(*keys)
        tonvale.midi.wait_for_message(re.compile("note-off"), since=start)
        tonvale.midi.wait_until_quiet()
        return tonvale.midi.messages(since=start)

    def put_section_1_on_channel_2(self, tonvale):
        """The CHAN. menu of section 1; afterwards its notes are told apart from section 0's."""
        start = tonvale.midi.mark()
        tonvale.click(*panel.button(1, panel.CHANNEL))
        tonvale.choose_in_menu(1)  # "Channel 2"
        tonvale.midi.wait_for_message("program 0xC1 0", since=start)

    def assertGestures(self, bends, status, step):
        """bends is one or more gestures, each a ramp away from the centre in
        steps of step, ended by one centre message, all with that status.
        Returns how many gestures there were."""
        self.assertTrue(bends, "no pitch bend was sent")
        self.assertEqual({s for s, _ in bends}, {status}, bends)
        self.assertEqual(bends[-1][1], CENTRE, f"the last bend is not the centre: {bends}")
        ramp, gestures = 0, 0
        for _, value in bends:
            if value == CENTRE:
                # A target 1500 away takes two steps before the spring-back.
                self.assertGreaterEqual(ramp, 2, f"a ramp too short: {bends}")
                ramp, gestures = 0, gestures + 1
                continue
            ramp += 1
            self.assertEqual(value, CENTRE + ramp * step, f"not a ramp in steps of {step}: {bends}")
        return gestures

    def test_q_sends_note_on_and_note_off_of_middle_c(self):
        tonvale = self.start_tonvale()
        self.assertEqual(self.play(tonvale, "q"), ["note-on 0x90 60 127", "note-off 0x80 60 127"])

    def test_holding_q_sends_one_note_on_and_one_note_off_whatever_the_auto_repeat(self):
        # test_holding_page_up_... shows that holding a key repeats it here.
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.key_down("q")
        tonvale.midi.wait_for_message("note-on 0x90 60 127", since=start)
        time.sleep(1.0)  # held: the system repeats the key meanwhile
        tonvale.key_up("q")
        tonvale.midi.wait_for_message("note-off 0x80 60 127", since=start)
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, ["note-on 0x90 60 127", "note-off 0x80 60 127"], since=start)

    def test_the_lower_rows_play_section_1_on_its_own_channel(self):
        tonvale = self.start_tonvale()
        self.put_section_1_on_channel_2(tonvale)
        self.assertEqual(self.play(tonvale, "z"), [note_on(1, 60), note_off(1, 60)])
        self.assertEqual(self.play(tonvale, "s", "comma"), [note_on(1, 61), note_off(1, 61),
                                                            note_on(1, 72), note_off(1, 72)])
        self.assertEqual(self.play(tonvale, "q", "p"), [note_on(0, 60), note_off(0, 60),
                                                        note_on(0, 76), note_off(0, 76)])

    def test_the_keypad_slash_and_the_slash_key_both_play_section_1_key_16(self):
        tonvale = self.start_tonvale()
        self.put_section_1_on_channel_2(tonvale)
        self.assertEqual(self.play(tonvale, "KP_Divide"), [note_on(1, 76), note_off(1, 76)])
        self.assertEqual(self.play(tonvale, "slash"), [note_on(1, 76), note_off(1, 76)])

    def test_page_up_and_page_down_together_end_the_bend_at_the_centre_at_once(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        # One burst: all four key messages (Page Up down and up, Page Down
        # down and up) come before the timer's first tick, which then finds
        # the target back at the centre.
        tonvale.press("Prior", "Next", delay_ms=0)

        def ended_or_too_long():
            timed = tonvale.midi.timed_messages(since=start)
            if not timed:
                return None
            span = timed[-1][0] - timed[0][0]
            quiet = tonvale.midi.now() - timed[-1][0]
            return (span, timed) if span >= GESTURE_SECONDS or quiet >= QUIET_SECONDS else None

        span, timed = wait_until(ended_or_too_long, what="the pitch bend to end")
        messages = [message for _, message in timed]
        bends = pitch_bends(messages)
        self.assertLess(span, GESTURE_SECONDS, f"the bend went on for {span * 1000:.0f} ms, {len(bends)} messages "
                                               f"so far, the last ones {messages[-3:]}")
        self.assertEqual(bends[-1], (0xE0, CENTRE), f"the last bend is not the centre: {messages}")

    def test_holding_page_up_starts_a_new_ramp_with_each_auto_repeat(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.hold("Prior", 1.0)
        tonvale.midi.wait_until_quiet()
        bends = pitch_bends(tonvale.midi.messages(since=start))
        self.assertGreater(self.assertGestures(bends, 0xE0, +500), 3, "the key was not repeated")

    def test_page_up_bends_the_active_section_on_its_channel_and_tab_switches_it(self):
        tonvale = self.start_tonvale()
        self.put_section_1_on_channel_2(tonvale)  # its CHAN. button also made section 1 active
        for key, status in (("Prior", 0xE1), ("Tab", None), ("Prior", 0xE0), ("Tab", None), ("Next", 0xE1)):
            start = tonvale.midi.mark()
            tonvale.press(key)
            if status is None:
                continue
            tonvale.midi.wait_for_message(f"bend 0x{status:02X} 0 64", since=start)
            tonvale.midi.wait_until_quiet()
            bends = pitch_bends(tonvale.midi.messages(since=start))
            self.assertGestures(bends, status, +500 if key == "Prior" else -500)

    def test_tab_in_the_middle_of_a_bend_leaves_no_channel_bent(self):
        tonvale = self.start_tonvale()
        self.put_section_1_on_channel_2(tonvale)
        # Each tap restarts the ramp's timer: the ramp to the top begins after
        # the sixth and lasts about 170 ms, and Tab comes 40 ms into it.
        for _ in range(5):  # a machine slow enough may still miss it
            start = tonvale.midi.mark()
            tonvale.press(*["Prior"] * 6, "Tab", delay_ms=40)
            tonvale.midi.wait_for_message(re.compile(r"bend 0xE[01] 0 64"), since=start)
            tonvale.midi.wait_until_quiet()
            left_at = dict(pitch_bends(tonvale.midi.messages(since=start)))  # each channel's last bend
            self.assertEqual(set(left_at.values()), {CENTRE}, tonvale.midi.messages(since=start))
            if len(left_at) == 2:
                return
        self.fail("Tab never came in the middle of the ramp")

    def hold_q_while(self, tonvale, action):
        """Holds Q down while action() runs; gives every message from its press
        on, once its note has ended."""
        start = tonvale.midi.mark()
        tonvale.key_down("q")
        tonvale.midi.wait_for_message(note_on(0, 60), since=start)
        action()
        tonvale.key_up("q")
        tonvale.midi.wait_for_message(re.compile("note-off"), since=start)
        tonvale.midi.wait_until_quiet()
        return tonvale.midi.messages(since=start)

    def test_a_note_held_while_transpose_goes_up_ends_with_the_note_it_started(self):
        tonvale = self.start_tonvale()

        def transpose_up():
            # TRANS. selects Transpose (it has no menu) and + raises it; the
            # input queue keeps its order, so both come before the release.
            tonvale.click(*panel.button(0, panel.TRANSPOSE))
            tonvale.click(*panel.button(0, panel.PLUS))
        self.assertEqual(self.hold_q_while(tonvale, transpose_up), [note_on(0, 60), note_off(0, 60)])
        self.assertEqual(self.play(tonvale, "q"), [note_on(0, 61), note_off(0, 61)], "Transpose did not go up")

    def test_tab_typed_with_no_pause_before_page_up_and_q_switches_before_them(self):
        # The keys typed right behind Tab find the switch done: Page Up bends
        # the other section, Q still plays the left.
        tonvale = self.start_tonvale()
        self.put_section_1_on_channel_2(tonvale)  # its CHAN. button also made section 1 active
        start = tonvale.midi.mark()
        tonvale.press("Tab", "Prior", "q", delay_ms=0)
        tonvale.midi.wait_for_message(note_off(0, 60), since=start)
        tonvale.midi.wait_for_message("bend 0xE0 0 64", since=start)
        tonvale.midi.wait_until_quiet()
        messages = tonvale.midi.messages(since=start)
        self.assertEqual([m for m in messages if m.startswith("note")], [note_on(0, 60), note_off(0, 60)])
        self.assertGestures(pitch_bends([m for m in messages if m.startswith("bend")]), 0xE0, +500)

    def test_in_chord_mode_ctrl_plays_the_minor_chord_and_ctrl_i_switches_no_section(self):
        tonvale = self.start_tonvale()
        self.put_section_1_on_channel_2(tonvale)
        tonvale.press("Tab")  # the left section active again
        tonvale.click(*panel.button(0, panel.CHORD))
        for key, root in (("ctrl+q", 60), ("ctrl+i", 72)):  # Ctrl+I types a tab
            self.assertEqual(self.play(tonvale, key), [
                note_on(0, root), note_on(0, root + 3), note_on(0, root + 7),
                note_off(0, root), note_off(0, root + 3), note_off(0, root + 7),
            ])
        start = tonvale.midi.mark()
        tonvale.press("Prior")
        tonvale.midi.wait_for_message("bend 0xE0 0 64", since=start)
        tonvale.midi.wait_until_quiet()
        self.assertGestures(pitch_bends(tonvale.midi.messages(since=start)), 0xE0, +500)

    def test_a_note_held_while_a_patch_is_chosen_from_the_menu_ends_when_the_menu_opens(self):
        # The menu's loop reads the keys meanwhile: Q's release would never come.
        tonvale = self.start_tonvale()

        def choose_patch_3():
            tonvale.click(*panel.button(0, panel.PATCH))
            tonvale.choose_in_menu(2)
            tonvale.midi.wait_for_message("program 0xC0 2")
        self.assertEqual(self.hold_q_while(tonvale, choose_patch_3),
                         [note_on(0, 60), note_off(0, 60), "program 0xC0 2"])

    def test_right_right_up_raise_the_octave_as_its_menu_does_and_q_plays_72(self):
        tonvale = self.start_tonvale()
        before = display(tonvale.screenshot(), 0)
        tonvale.press("Right", "Right", "Up")
        by_keys = display(tonvale.wait_for_screenshot(lambda shot: display(shot, 0) != before), 0)
        self.assertEqual(self.play(tonvale, "q"), [note_on(0, 72), note_off(0, 72)])
        tonvale.press("KP_Down")  # the keypad's, Num Lock off: back to 5
        self.assertEqual(self.play(tonvale, "q"), [note_on(0, 60), note_off(0, 60)])
        tonvale.click(*panel.button(0, panel.OCTAVE))
        tonvale.choose_in_menu(6)  # "Octave 6"
        by_mouse = display(tonvale.wait_for_screenshot(lambda shot: display(shot, 0) == by_keys), 0)
        self.assertEqual(by_mouse, by_keys, "the keys showed another display than the menu")

    def test_holding_up_steps_the_patch_with_each_auto_repeat(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.hold("Up", 1.0)
        tonvale.midi.wait_until_quiet()
        messages = tonvale.midi.messages(since=start)
        self.assertGreater(len(messages), 3, "the key was not repeated")
        self.assertEqual(messages, [f"program 0xC0 {n}" for n in range(1, len(messages) + 1)])

    def test_space_sustains_on_channel_1_around_a_note_and_shows_it_and_escape_resets(self):
        tonvale = self.start_tonvale()
        before = display(tonvale.screenshot(), 0)
        start = tonvale.midi.mark()
        tonvale.key_down("space")
        tonvale.press("q")
        shown = display(tonvale.wait_for_screenshot(lambda shot: display(shot, 0) != before), 0)
        self.assertNotEqual(shown, before, "the display does not show the pedal down")
        tonvale.key_up("space")
        tonvale.press("Escape")
        tonvale.midi.wait_for_call("midiOutReset h1 = 0", since=start)
        self.assertEqual(tonvale.midi.calls(since=start), [
            f"midiOutShortMsg h1 {message} = 0"
            for message in ("control 0xB0 64 127", note_on(0, 60), note_off(0, 60), "control 0xB0 64 0")
        ] + ["midiOutReset h1 = 0"])
