"""Takes: the file F9 saves holds what the driver logged, for mido and FluidSynth, from where the instrument
stood; a kill leaves it, playing on or not; any user's folders hold it; a failed save never stops the music."""

import glob
import json
import os
import shutil
import subprocess
import time

import panel
from harness import (E2ETest, Session, describe_short_message, prefix_with_user_folders, takes_folder, time_limit,
                     wait_until)

READER = """import json, sys, mido
midi, tempo, tracks = mido.MidiFile(sys.argv[1]), None, []
for track in midi.tracks:
    ticks, name, events = 0, None, []
    for m in track:
        ticks, name, tempo = ticks + m.time, getattr(m, "name", name), getattr(m, "tempo", tempo)
        if not m.is_meta: events.append([mido.tick2second(ticks, midi.ticks_per_beat, tempo), ticks, m.bytes()])
    tracks.append([name, events])
print(json.dumps([midi.type, midi.ticks_per_beat, tempo, tracks]))"""


class TakesTest(E2ETest):

    def saved_take(self, holds="", folder=None):
        """The take's path and tracks, (name, [(seconds, ticks, message)]), read by mido, once it sounds nothing
        and holds the message holds: the writer may still be saving it."""
        def read():
            paths = glob.glob(os.path.join(folder or takes_folder(self.session.prefix), "*.mid"))
            run = paths and subprocess.run(["/usr/bin/python3", "-c", READER, paths[0]], stdout=subprocess.PIPE,
                                           check=True, timeout=60)
            kind, division, tempo, tracks = json.loads(run.stdout) if run else (0, 0, 0, [])
            tracks = [(name, [(s, t, describe_short_message(int.from_bytes(d, "little"))) for s, t, d in events])
                      for name, events in tracks]
            return run and holds in repr(tracks) and (paths[0], (kind, division, tempo), tracks)
        path, header, tracks = wait_until(read, what=f"a take holding {holds}")
        self.assertEqual(header, (1, 480, 500000))
        for name, events in tracks[1:]:  # every note ended
            self.assertEqual(sum(1 if m.startswith("note-on") else -1 for _, _, m in events if "note-" in m), 0, name)
        return path, tracks

    @time_limit(120)
    def test_a_take_holds_what_the_driver_logged_at_its_times_after_the_programs_and_fluidsynth_plays_it(self):
        tonvale = self.start_tonvale()  # both sections on channel 1: one track
        start = tonvale.midi.mark()
        tonvale.press("F9", "q", "w", "z")
        tonvale.key_down("space")
        tonvale.press("e")
        tonvale.key_up("space")
        tonvale.click(*panel.button(0, panel.CHORD))
        tonvale.press("r")
        tonvale.click(*panel.button(0, panel.CHORD))
        tonvale.press("Prior", "Up")  # a bend, and the next program
        tonvale.midi.wait_for_message("program 0xC0 1", since=start)
        tonvale.midi.wait_until_quiet()
        tonvale.press("F9")
        path, (_, (name, events)) = self.saved_take(holds="program 0xC0 1")
        self.assertEqual((name, events[0][1:]), ("Left and Right - Acoustic Grand Piano", (0, "program 0xC0 0")))
        logged = tonvale.midi.timed_messages(since=start)
        self.assertEqual([message for _, _, message in events[1:]], [message for _, message in logged])
        first_note = next(t for t, message in logged if message.startswith("note-on"))
        for (seconds, _, message), (t, _) in zip(events[1:], logged):
            self.assertAlmostEqual(seconds, max(0.0, t - first_note), delta=0.020, msg=message)
        wav = os.path.join(self.folder("render"), "take.wav")
        subprocess.run(["fluidsynth", "-ni", "-F", wav, "/usr/share/sounds/sf2/FluidR3_GM.sf2", path], check=True,
                       stdout=subprocess.DEVNULL, timeout=60)
        self.assertGreater(os.path.getsize(wav), 44 + 44100, "a WAV header and more than a second of sound")

    def test_a_take_killed_5_s_after_its_last_note_is_on_the_disk_with_every_note(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.press("F9", "q", "e", "t", "y")
        tonvale.midi.wait_for_message("note-off 0x80 69 127", since=start)
        time.sleep(max(0.0, tonvale.midi.timed_messages(since=start)[-1][0] + 5 - tonvale.midi.now()))
        tonvale.kill()
        _, (_, (_, events)) = self.saved_take()
        self.assertEqual([message for _, _, message in events[1:]], tonvale.midi.messages(since=start))

    def test_a_take_begun_with_the_pedal_down_has_it_down_before_its_first_note(self):
        tonvale = self.start_tonvale()
        tonvale.key_down("space")
        tonvale.midi.wait_for_message("control 0xB0 64 127")
        tonvale.press("F9", "q", "w")
        tonvale.key_up("space")
        tonvale.press("F9")
        _, (_, (_, events)) = self.saved_take(holds="control 0xB0 64 0")
        self.assertEqual([(t, m) for _, t, m in events[:3]],
                         [(0, "program 0xC0 0"), (0, "control 0xB0 64 127"), (0, "note-on 0x90 60 127")])

    @time_limit(90)
    def test_a_take_killed_after_12_s_of_playing_without_a_pause_keeps_all_but_its_last_5_s(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.press("F9")
        began = tonvale.midi.now()
        while tonvale.midi.now() - began < 12:
            tonvale.press("q", "e", delay_ms=200)
        killed = tonvale.midi.now()
        tonvale.kill()
        kept = [m for t, m in tonvale.midi.timed_messages(since=start) if t <= killed - 5]
        _, (_, (_, events)) = self.saved_take()
        self.assertEqual([m for _, _, m in events[1:len(kept) + 1]], kept)

    @time_limit(120)
    def test_a_user_whose_folders_have_cyrillic_and_cjk_names_keeps_settings_and_takes_there(self):
        folders = {"AppData": "Дарья/AppData/Roaming", "Local AppData": "Дарья/AppData/Local",
                   "Personal": "王芳/Documents"}
        prefix = prefix_with_user_folders(folders)
        self.session = Session(self.id(), prefix=prefix)
        home = os.path.dirname(prefix)
        utf8 = {"LC_ALL": "C.UTF-8"}  # Wine's Unix file names in UTF-8, as on a desktop
        tonvale = self.start_tonvale(environment=utf8)
        start = tonvale.midi.mark()
        tonvale.click(*panel.button(0, panel.CHANNEL))
        tonvale.choose_in_menu(1)  # channel 2
        tonvale.midi.wait_for_message("program 0xC1 0", since=start)
        tonvale.press("F9", "q", "F9")
        self.saved_take(holds="note-off 0x81 60 127", folder=os.path.join(home, folders["Personal"], "Tonvale"))
        tonvale.click(*panel.centre(panel.OFF))
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertTrue(os.path.isfile(os.path.join(home, folders["AppData"], "Tonvale", "tonvale.ini")))
        self.start_tonvale(environment=utf8).midi.wait_for_message("program 0xC1 0")  # channel 2 kept

    @time_limit(120)
    def test_a_save_failing_while_a_chord_is_held_on_the_pedal_leaves_it_sounding_and_says_why_after_f9(self):
        tonvale = self.start_tonvale()
        locked = takes_folder(self.session.prefix)
        fallback = os.path.join(os.path.dirname(os.path.dirname(locked)), "AppData", "Local", "Tonvale")
        shutil.rmtree(fallback, ignore_errors=True)
        self.addCleanup(shutil.rmtree, fallback, True)
        self.lock(locked)
        tonvale.press("F9")
        for key in ("space", "q", "e", "t"):
            tonvale.key_down(key)
        tonvale.midi.wait_for_message("note-on 0x90 67 127")
        time.sleep(6.5)  # a save 4 s after the start, which fails
        self.assertFalse([w for w in tonvale.windows() if w.cls == "#32770"], "no message box")
        self.assertEqual([m for m in tonvale.midi.messages() if "note-off" in m or " 64 0" in m], [])
        for key in ("t", "e", "q", "space"):
            tonvale.key_up(key)
        tonvale.press("F9")
        box = tonvale.wait_for_message_box()
        self.assertRegex(box.message, r'saved in "C:\\users\\\w+\\Documents\\Tonvale":\nAccess (is )?denied\.')
        tonvale.dismiss(box)  # Yes: the fallback folder
        self.saved_take(holds="note-on 0x90 60 127", folder=os.path.join(fallback, "Takes"))

    def lock(self, folder):
        """A folder nothing can be written in: read-only, and immutable too for root, whom modes do not stop."""
        os.makedirs(folder, exist_ok=True)
        os.chmod(folder, 0o555)
        self.addCleanup(os.chmod, folder, 0o755)
        if os.geteuid() == 0:
            subprocess.run(["chattr", "+i", folder], check=True)
            self.addCleanup(subprocess.run, ["chattr", "-i", folder])
        self.assertRaises(OSError, open, os.path.join(folder, "probe"), "w")
