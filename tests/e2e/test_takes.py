"""Takes: the file F9 saves holds what the driver logged, for mido and FluidSynth; a kill leaves it."""

import glob
import json
import os
import subprocess
import time

import panel
from harness import E2ETest, describe_short_message, takes_folder, time_limit, wait_until

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

    def saved_take(self):
        """The take's path and tracks, (name, [(seconds, ticks, message)]), read by mido, once it sounds nothing."""
        path = wait_until(lambda: glob.glob(os.path.join(takes_folder(self.session.prefix), "*.mid")), what="a take")[0]
        read = subprocess.run(["/usr/bin/python3", "-c", READER, path], stdout=subprocess.PIPE, check=True, timeout=60)
        kind, division, tempo, tracks = json.loads(read.stdout)
        self.assertEqual((kind, division, tempo), (1, 480, 500000))
        for name, events in tracks[1:]:  # every note ended
            self.assertEqual(sum(1 if d[0] >> 4 == 9 else -1 for _, _, d in events if d[0] >> 5 == 4), 0, name)
        return path, [(name, [(s, t, describe_short_message(int.from_bytes(d, "little"))) for s, t, d in events])
                      for name, events in tracks]

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
        path, (_, (name, events)) = self.saved_take()
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
