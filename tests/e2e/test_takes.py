"""Takes, end to end: F9 records what goes to the device; the file read back
by an independent reader (mido) holds what the driver logged, at its times,
and FluidSynth renders it; a kill after a pause leaves the take on the disk."""

import glob
import json
import os
import subprocess
import time

import panel
from harness import E2ETest, describe_short_message, time_limit, wait_until

SOUND_FONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"
# Run by the system's Python, which has Debian's python3-mido: per track its
# name and its channel messages as [seconds, ticks, bytes].
READER = """
import json, sys, mido
midi, tempo, tracks = mido.MidiFile(sys.argv[1]), None, []
for track in midi.tracks:
    ticks, name, events = 0, None, []
    for message in track:
        ticks += message.time
        if message.type == "track_name": name = message.name
        if message.type == "set_tempo": tempo = message.tempo
        if not message.is_meta: events.append([mido.tick2second(ticks, midi.ticks_per_beat, tempo), ticks, message.bytes()])
    tracks.append({"name": name, "events": events})
print(json.dumps({"type": midi.type, "ticks_per_beat": midi.ticks_per_beat, "tempo": tempo, "tracks": tracks}))
"""


def read_take(path):
    result = subprocess.run(["/usr/bin/python3", "-c", READER, path], stdout=subprocess.PIPE, timeout=60, check=True)
    return json.loads(result.stdout)


def text(data):
    return describe_short_message(int.from_bytes(bytes(data) + bytes(4 - len(data)), "little"))


def channel_of(message):
    return int(message.split()[1], 16) & 0x0F


class TakesTest(E2ETest):

    def saved_take(self):
        found = wait_until(lambda: glob.glob(os.path.join(self.takes_folder(), "Tonvale *.mid")), what="a take file")
        self.assertEqual(len(found), 1, found)
        take = read_take(found[0])
        print(f"--- {found[0]}: {json.dumps(take)}")
        return found[0], take

    def assertNothingSounds(self, take):
        for track in take["tracks"][1:]:
            sounding, pedal = {}, 0
            for _, _, data in track["events"]:
                kind, key = data[0] & 0xF0, tuple(data[:2])
                if kind in (0x80, 0x90):
                    sounding[key[1]] = sounding.get(key[1], 0) + (1 if kind == 0x90 and data[2] else -1)
                if kind == 0xB0 and data[1] == 64:
                    pedal = data[2]
            self.assertEqual({n: c for n, c in sounding.items() if c}, {}, f"left sounding in {track['name']}")
            self.assertLess(pedal, 64, f"the pedal left down in {track['name']}")

    @time_limit(120)
    def test_a_take_holds_what_the_driver_logged_at_its_times_with_the_programs_first_and_fluidsynth_plays_it(self):
        tonvale = self.start_tonvale()
        tonvale.click(*panel.button(1, panel.CHANNEL))
        tonvale.choose_in_menu(1)  # the right section on channel 2
        tonvale.midi.wait_for_message("program 0xC1 0")
        tonvale.press("Tab")  # the left section active again, PATCH selected
        start = tonvale.midi.mark()
        tonvale.press("F9")
        tonvale.press("q", "w", "z")
        tonvale.key_down("space")
        tonvale.press("e")
        tonvale.key_up("space")
        tonvale.click(*panel.button(0, panel.CHORD))
        tonvale.press("r")
        tonvale.click(*panel.button(0, panel.CHORD))
        tonvale.press("Prior")
        tonvale.midi.wait_for_message("bend 0xE0 0 64", since=start)
        tonvale.press("Up")  # PATCH selected: the next program
        tonvale.midi.wait_for_message("program 0xC0 1", since=start)
        tonvale.midi.wait_until_quiet()
        tonvale.press("F9")
        path, take = self.saved_take()
        logged = tonvale.midi.timed_messages(since=start)

        self.assertEqual((take["type"], take["ticks_per_beat"], take["tempo"]), (1, 480, 500000))
        self.assertEqual([t["name"] for t in take["tracks"][1:]],
                         ["Left - Acoustic Grand Piano", "Right - Acoustic Grand Piano"])
        self.assertEqual(take["tracks"][0]["events"], [], "the tempo track holds no channel message")
        first_note = next(t for t, message in logged if message.startswith("note-on"))
        for channel, track in enumerate(take["tracks"][1:]):
            (seconds, ticks, program), *events = track["events"]
            self.assertEqual((ticks, text(program)), (0, f"program 0x{0xC0 + channel:02X} 0"), "the start's program")
            wire = [(t, message) for t, message in logged if channel_of(message) == channel]
            self.assertEqual([text(data) for _, _, data in events], [message for _, message in wire])
            for (seconds, _, data), (t, message) in zip(events, wire):
                self.assertAlmostEqual(seconds, max(0.0, t - first_note), delta=0.020, msg=message)
        self.assertIn("note-on 0x91 60 127", [text(data) for _, _, data in take["tracks"][2]["events"]])
        self.assertNothingSounds(take)

        wav = os.path.join(self.folder("render"), "take.wav")
        rendered = subprocess.run(["fluidsynth", "-ni", "-F", wav, SOUND_FONT, path], stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, text=True, timeout=60)
        self.assertEqual(rendered.returncode, 0, rendered.stdout)
        self.assertGreater(os.path.getsize(wav), 44 + 22050, rendered.stdout)  # the header and a good part of a second

    def test_a_take_killed_5_s_after_its_last_note_is_on_the_disk_with_every_note(self):
        tonvale = self.start_tonvale()
        start = tonvale.midi.mark()
        tonvale.press("F9")
        tonvale.press("q", "e", "t", "y")
        tonvale.midi.wait_for_message("note-off 0x80 69 127", since=start)
        last = tonvale.midi.timed_messages(since=start)[-1][0]
        time.sleep(max(0.0, last + 5 - tonvale.midi.now()))
        tonvale.kill()
        _, take = self.saved_take()
        self.assertEqual([text(data) for _, _, data in take["tracks"][1]["events"][1:]],
                         tonvale.midi.messages(since=start))
        self.assertNothingSounds(take)
