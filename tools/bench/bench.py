#!/usr/bin/env python3
"""Key and click latency and warm start of tonvale.exe under Wine, against a floor program.

Run through tools/bench.sh, which builds what it needs. Tonvale and the
floor program (tools/bench/floor.cpp: GetMessage, DispatchMessage,
midiOutShortMsg) run side by side, each on its own Xvfb screen and Wine
prefix, with the test MIDI driver stamping every short message with
QueryPerformanceCounter. xinject presses keys and the mouse button on both
screens in turn through XTest and stamps each press with CLOCK_MONOTONIC_RAW,
the clock that counter runs on; each press is matched with the first
message stamped after it and before the program's next press.

Tonvale also has the test driver's MIDI input, which plays a note every
INTERVAL_MS through the window callback, each stamped as it is posted:
matched with the first message after it, as a key press is.

Then both are started again and again in turns in Tonvale's prefix, warm,
and xshown times each start from CLOCK_MONOTONIC_RAW just before `wine`
starts to the window shown and painted on the X screen.
"""

import argparse
import bisect
import datetime
import glob
import json
import os
import platform
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "e2e"))
sys.dont_write_bytecode = True

import harness  # noqa: E402
import panel  # noqa: E402

INTERVAL_MS, HOLD_MS = 50, 20  # a player's pace: a press every 50 ms, held 20 ms
CHORD_INTERVAL_MS = 3 * INTERVAL_MS // 2  # three targets, each as far from the next as two are
CHORD_NOTES = 3  # a major chord, CHORD's first type, no strum
# The right section plays on a channel of its own, so that its plain key
# pressed between the left section's chords is told apart from them.
LEFT_CHANNEL, RIGHT_CHANNEL = 0, 1
STAMP_FILE = "stamps.txt"
INPUT_NAME = "Bench Keyboard"  # Tonvale's MIDI input, remembered in its settings
INPUT_NOTE = 60
SETTLE_SECONDS = 5  # the services Wine starts with a program's first window get going meanwhile
KINDS = ("tonvale", "floor")
# Where a start counts as shown and painted: two corners (5 pixels in) and
# the middle of the window's client area, each with the colour it has once
# the window stands.
START_POINTS = ((5, 5), (harness.PANEL_WIDTH - 5, harness.PANEL_HEIGHT - 5),
                (harness.PANEL_WIDTH // 2, harness.PANEL_HEIGHT // 2))
# A take of an hour's dense playing (20 messages a second), fed through the
# MIDI input this many a millisecond, faster than any hand plays.
HOUR_MESSAGES = 20 * 3600
FEED_PER_MS = 4
SCRIPT_LINES = 8192  # the most the test driver reads from one input script
SAVE_BETWEEN_MS = 1300  # presses away from the saves: this long after each save's start, and twice that
SAVE_VARIANTS = ("as it runs", "writer apart")
KEEP_SECONDS = 4  # the take's saves while playing goes on
START_WARMUP = 2  # rounds of starts left out before the timed ones: the prefix's files and services warm
START_TIMEOUT_MS = 20000
START_QUIET_SECONDS = 1  # between one program's end and the next start


class Floor(harness.Tonvale):
    window_class = "Tonvale floor"


# What is timed, as the table lists it: (measure, program, gesture and the message that ends it).
MEASURES = (
    ("key", "tonvale", "key press → note-on"),
    ("key", "floor", "key press → note-on"),
    ("input", "tonvale", "MIDI input note-on → note-on"),
    ("plus", "tonvale", "click on + → program change"),
    ("plus", "floor", "click → program change"),
    ("chord first", "tonvale", "chord key press → first note-on"),
    ("chord last", "tonvale", "chord key press → last note-on"),
    ("chord plain", "tonvale", "right section's key press, between the chords → note-on"),
    ("armed", "tonvale", "key press, Scroll Lock armed → note-on"),
    ("behind", "tonvale", "key press behind Notepad, armed → note-on"),
    ("behind", "floor", "key press behind Notepad, through a hook → note-on"),
)


def launch(session, build, kind, started=None):
    """Starts one program with the stamping driver from a fresh folder; returns
    once the driver has loaded. started: CLOCK_MONOTONIC_RAW just before `wine`
    is started goes into it."""
    folder = tempfile.mkdtemp(prefix=kind, dir=session.folder)
    exe = os.path.join(build, "tonvale.exe") if kind == "tonvale" else os.path.join(build, "bench", "floor.exe")
    for path in (exe, os.path.join(build, "test_driver", "winmm.dll"), os.path.join(build, "gm_ins.nms")):
        shutil.copy(path, folder)
    if started is not None:
        started.append(time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW))
    script = {"TONVALE_MIDI_STAMPS": STAMP_FILE}
    if kind == "tonvale":
        script.update(TONVALE_MIDI_INPUTS=INPUT_NAME, TONVALE_MIDI_INPUT_SCRIPT=harness.INPUT_SCRIPT)
    return harness.launch(session, folder, os.path.basename(exe), script,
                          program=harness.Tonvale if kind == "tonvale" else Floor)


def start(session, build, kind):
    """Starts one program and waits for its window (which gets the focus)."""
    program = launch(session, build, kind)
    program.wait_for_window()
    return program


def inject(injector, count, targets, interval=INTERVAL_MS):
    """Presses count times on each (program, gesture) target in turn, each
    every interval ms; returns each target's press times, ns of CLOCK_MONOTONIC_RAW."""
    arguments = [f"{program.session.display},{gesture}" for program, gesture in targets]
    result = subprocess.run([injector, str(count), str(interval), str(HOLD_MS), *arguments],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                            timeout=count * interval / 1000 + 30, preexec_fn=harness.die_with_parent)
    if result.returncode != 0:
        raise harness.E2EError(f"xinject failed: {result.stderr}")
    time.sleep(0.3)  # the last release's messages come through
    presses = [[] for _ in targets]
    for line in result.stdout.splitlines():
        target, ns = line.split()
        presses[int(target)].append(int(ns))
    return presses


def play_input(tonvale, count):
    """The MIDI input plays count notes at the presses' pace; returns the ns of
    CLOCK_MONOTONIC_RAW around them, where their stamps lie."""
    start = time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW)
    tonvale.play_input(*[(i * INTERVAL_MS + held, (0x90 | INPUT_NOTE << 8 | 100 << 16) if held == 0
                          else 0x80 | INPUT_NOTE << 8) for i in range(count) for held in (0, HOLD_MS)])
    time.sleep(count * INTERVAL_MS / 1000 + 1)
    return start, time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW)


def read_stamps(folder):
    """[(ns, message)] from the driver's stamp file, performance counter ticks turned into ns, and
    the same of the input's messages as they were posted."""
    with open(os.path.join(folder, STAMP_FILE)) as f:
        head, *lines = f.read().split("\n")
    fields = dict(field.split("=") for field in head.split())
    frequency, dropped = int(fields["frequency"]), int(fields["dropped"])
    if dropped:
        raise harness.E2EError(f"the driver dropped {dropped} stamps")
    if frequency != 10_000_000:  # converted all the same
        print(f"note: the performance counter runs at {frequency} Hz, not 10 MHz", flush=True)
    stamps, posted = [], []
    for line in filter(None, lines):
        ticks, message, *posted_in = line.split()
        (posted if posted_in else stamps).append((int(ticks) * 1_000_000_000 // frequency, int(message, 16)))
    return stamps, posted


def note_on(channel):
    """Whether a message is a note-on (of some velocity) on that channel (0-15)."""
    return lambda message: message & 0xFF == 0x90 | channel and message >> 16 & 0x7F


def latencies(presses, stamps, warmup, chord=False, keep=None):
    """Microseconds from each press to the first message stamped in
    [press, next press), or for a chord to its first and last note-on;
    keep: only the messages it takes count (a chord's: its note-ons, on the
    left section's channel); warm-up presses left out. Returns (first, last, unmatched)."""
    times = [ns for ns, _ in stamps]
    keep = keep or (note_on(LEFT_CHANNEL) if chord else None)
    first, last, unmatched = [], [], 0
    for i, press in enumerate(presses):
        end = presses[i + 1] if i + 1 < len(presses) else press + INTERVAL_MS * 1_000_000
        window = stamps[bisect.bisect_left(times, press):bisect.bisect_left(times, end)]
        if keep:
            window = [(ns, m) for ns, m in window if keep(m)]
        if not window or (chord and len(window) != CHORD_NOTES):
            unmatched += 1
            continue
        if i >= warmup:
            first.append((window[0][0] - press) / 1000)
            last.append((window[-1][0] - press) / 1000)
    return first, last, unmatched


def measure(tonvale, floor, notepads, args, run):
    """One run on the running programs, their presses taking turns: keys,
    clicks on + (the same point on the floor), then chords on Tonvale's left
    section and plain keys on its right beside keys on the floor, then keys
    with background playing armed, Tonvale in front and behind Notepad, then
    the MIDI input's notes. Returns the press times: {phase: ([Tonvale's], [the floor's])}."""
    count = args.presses + args.warmup
    pairs = [(tonvale, floor), (floor, tonvale)][run % 2]  # each goes first in turn
    plus = "button,{},{}".format(*tonvale.to_screen(*panel.button(0, panel.PLUS)))
    phases = {"key": inject(args.injector, count, [(p, "key,q") for p in pairs]),
              "plus": inject(args.injector, count, [(p, plus) for p in pairs])}
    tonvale.click(*panel.button(0, panel.CHORD))  # chord mode on for the left section
    time.sleep(0.5)
    # A chord's press and a plain one at the same moments, so that whatever
    # else the machine does falls on both alike: three targets, 25 ms apart as
    # two are elsewhere, Tonvale's two keys going first in turn.
    keys = ["q", "z"][::1 if run % 2 else -1]
    chords = inject(args.injector, count, [(tonvale, f"key,{key}") for key in keys] + [(floor, "key,q")],
                    interval=CHORD_INTERVAL_MS)
    tonvale.click(*panel.button(0, panel.CHORD))  # and off again for the next run
    time.sleep(0.5)
    tonvale.hold("Scroll_Lock", 0.05)  # armed: the hook is in
    time.sleep(0.5)
    phases["armed"] = inject(args.injector, count, [(p, "key,q") for p in pairs])
    for program, notepad in zip((tonvale, floor), notepads):
        program.focus(notepad)
    time.sleep(0.5)
    phases["behind"] = inject(args.injector, count, [(p, "key,q") for p in pairs])
    tonvale.hold("Scroll_Lock", 0.05, focus=False)  # disarmed, through the hook
    for program in (tonvale, floor):
        give_keys_back(program)
    time.sleep(0.5)
    phases["input"] = play_input(tonvale, count)
    result = {phase: (both[pairs.index(tonvale)], both[pairs.index(floor)]) if phase != "input" else both
              for phase, both in phases.items()}
    result["chord"] = (chords[keys.index("q")], chords[2])
    result["chord plain"] = (chords[keys.index("z")], [])
    return result


def screen_points(program):
    """START_POINTS on the screen, in the window the program shows."""
    left, top = program.main.client[:2]
    return [(left + x, top + y) for x, y in START_POINTS]


def read_colours(shown, session, points):
    result = subprocess.run([shown, session.display, "read", *(f"{x},{y}" for x, y in points)],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=30)
    if result.returncode != 0:
        raise harness.E2EError(f"xshown read failed: {result.stderr}")
    return result.stdout.split()


def end_program(program, kind):
    program.close()
    if program.wait_for_exit(30) != 0:
        raise harness.E2EError(f"{kind} ended with an error")


def timed_start(session, build, kind, shown, look):
    """Starts the program and returns it with the milliseconds from just before
    `wine` starts to the moment every point of look = (points, colours) shows
    its colour on the X screen."""
    points, colours = look
    if read_colours(shown, session, points) == colours:
        raise harness.E2EError(f"the screen shows {kind}'s window before it starts")
    watcher = subprocess.Popen([shown, session.display, "wait", str(START_TIMEOUT_MS),
                                *(f"{x},{y},{colour}" for (x, y), colour in zip(points, colours))],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                               preexec_fn=harness.die_with_parent)
    try:
        if watcher.stdout.readline().strip() != "ready":
            raise harness.E2EError(f"xshown did not start: {watcher.stderr.read()}")
        started = []
        program = launch(session, build, kind, started)
        shown_at = watcher.stdout.readline().strip()
        if watcher.wait(30) != 0 or not shown_at:
            raise harness.E2EError(f"{kind}'s window was not seen: {watcher.stderr.read()}")
    finally:
        if watcher.poll() is None:
            watcher.kill()
            watcher.wait()
    return program, (int(shown_at) - started[0]) / 1e6


def measure_starts(session, build, shown, count):
    """Warm starts, Tonvale and the floor in turns (each first in every other
    round) in one prefix, START_WARMUP rounds left out: {kind: [ms]}, one per round.
    A resident `cmd /c pause` keeps Wine's server, services and desktop
    running between starts, as they run on a desktop where programs come and go."""
    keeper = subprocess.Popen(["wine", "cmd", "/c", "pause"], env=session.wine_environment(),
                              stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              preexec_fn=harness.die_with_parent)
    session.processes.append(keeper)
    looks, times = {}, {kind: [] for kind in KINDS}
    for round_ in range(START_WARMUP + count):
        for kind in KINDS if round_ % 2 == 0 else KINDS[::-1]:
            time.sleep(START_QUIET_SECONDS)
            if kind in looks:
                program, ms = timed_start(session, build, kind, shown, looks[kind])
                if round_ >= START_WARMUP:
                    times[kind].append(ms)
            else:  # the first start of each shows where to look and what is there once it stands
                program = launch(session, build, kind)
                program.wait_for_window(focus=False)
                time.sleep(1)
                points = screen_points(program)
                looks[kind] = (points, read_colours(shown, session, points))
            end_program(program, kind)
    keeper.stdin.close()
    keeper.wait(30)
    return times


def thread_ids(process):
    return set(os.listdir(f"/proc/{process.pid}/task"))


def start_take(tonvale):
    """F9: Tonvale records a take. Returns the threads it started with it: its take writer."""
    before = thread_ids(tonvale.process)
    tonvale.press("F9")
    harness.wait_until(lambda: thread_ids(tonvale.process) - before, 5, "the take writer's thread")
    return thread_ids(tonvale.process) - before


def feed_hour(tonvale):
    """An hour of dense playing through Tonvale's MIDI input, note-ons and
    note-offs in turn, FEED_PER_MS a millisecond, one script after another as
    the driver takes them; returns once the last has been handed over and handled."""
    script = os.path.join(tonvale.folder, harness.INPUT_SCRIPT)
    messages = [0x90 | INPUT_NOTE << 8 | 100 << 16, 0x80 | INPUT_NOTE << 8]
    for first in range(0, HOUR_MESSAGES, SCRIPT_LINES):
        harness.wait_until(lambda: not os.path.exists(script), 60, "the driver to take the input script")
        tonvale.play_input(*[(i // FEED_PER_MS, messages[(first + i) % 2])
                             for i in range(min(SCRIPT_LINES, HOUR_MESSAGES - first))])
    harness.wait_until(lambda: not os.path.exists(script), 60, "the driver to take the input script")
    time.sleep(SCRIPT_LINES / FEED_PER_MS / 1000 + 2)


def wine_server(prefix):
    """The process id of the prefix's Wine server."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/comm") as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                if f"WINEPREFIX={prefix}".encode() in f.read().split(b"\0"):
                    return int(pid)
        except OSError:
            continue
    raise harness.E2EError(f"no Wine server for {prefix}")


def pin(tonvale, writer, cpus):
    """The take writer's threads on the last core, and Tonvale's other threads,
    its Wine server and its X server on the others; cpus: every core, as before."""
    if len(cpus) < 2:
        raise harness.E2EError("a core of its own for the take writer needs two cores")
    others, last = (cpus - {max(cpus)}, {max(cpus)}) if writer else (cpus, cpus)
    for pid in (tonvale.process.pid, tonvale.session.xvfb.pid, wine_server(tonvale.session.prefix)):
        for thread in os.listdir(f"/proc/{pid}/task"):
            os.sched_setaffinity(int(thread), last if thread in writer else others)
    return others


def measure_saves(args, tonvale, others):
    """xonsave's presses on Tonvale at its saves' starts and away from them:
    ([(start, end)] of each save, [(ns, at a save's start)] of each press).
    others: the cores it runs on (None: any)."""
    def prepare():
        harness.die_with_parent()
        if others:
            os.sched_setaffinity(0, others)
    result = subprocess.run([args.on_save, str(args.saves), str(HOLD_MS), str(SAVE_BETWEEN_MS),
                             tonvale.session.display, "q", harness.takes_folder(tonvale.session.prefix)],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=args.saves * 10 + 60,
                            preexec_fn=prepare)
    if result.returncode != 0:
        raise harness.E2EError(f"xonsave failed: {result.stderr}")
    saves, presses = [], []
    for line in result.stdout.splitlines():
        kind, *fields = line.split()
        if kind == "save":
            saves.append(tuple(map(int, fields)))
        else:
            presses.append((int(fields[0]), fields[1] == "at-save"))
    return saves, presses


def measure_take(args, tonvale, writer):
    """A key press during the save of an hour-long take: the hour fed through
    the MIDI input into the take being recorded (F9 first unless it records
    throughout), then presses at the starts of the saves that follow every
    few seconds and away from them, as the program runs and again with its
    take writer on a core of its own. Returns {"fed": what the take held on
    the disk, variant: (saves, presses)}."""
    if not args.recording:
        writer = start_take(tonvale)
    feed_hour(tonvale)
    time.sleep(1)
    phases = {"as it runs": measure_saves(args, tonvale, None)}
    cpus = os.sched_getaffinity(0)
    try:
        phases["writer apart"] = measure_saves(args, tonvale, pin(tonvale, writer, cpus))
    finally:
        pin(tonvale, set(), cpus)
    takes = glob.glob(os.path.join(harness.takes_folder(tonvale.session.prefix), "*.mid"))
    if len(takes) != 1:
        raise harness.E2EError(f"Tonvale saved {len(takes)} takes, not one")
    import mido
    phases["fed"] = (os.path.getsize(takes[0]),
                     sum(1 for track in mido.MidiFile(takes[0]).tracks for message in track if not message.is_meta))
    if phases["fed"][1] < HOUR_MESSAGES:
        raise harness.E2EError(f"the take holds {phases['fed'][1]} messages, not the hour's {HOUR_MESSAGES}")
    if not args.recording:
        tonvale.press("F9")
    return phases


def match_saves(stamps, saves, presses):
    """Each press's µs to its note-on, sorted out: (during, between, inside) —
    the presses made while a save was under way, those away from every save,
    and how many of the former had their note-on before that save ended."""
    during, between, inside = [], [], 0
    for press, at_save in presses:
        found, _, _ = latencies([press], stamps, 0, keep=note_on(LEFT_CHANNEL))
        if not found:
            continue
        save = next(((start, end) for start, end in saves if start <= press < end), None)
        if at_save and save:
            during.append(found[0])
            inside += press + found[0] * 1000 < save[1]
        elif not at_save and not save:
            between.append(found[0])
    if len(during) < len(saves) // 2:
        raise harness.E2EError(f"only {len(during)} of {len(saves)} presses fell inside their saves")
    return during, between, inside


def give_keys_back(program):
    """Without a window manager a click gives a Wine window the keys back, then the focus."""
    program.click(*panel.BARE_PANEL)
    program.focus()


def read_take(prefix, stamped):
    """What the take recorded throughout holds, read with mido (Debian's
    python3-mido): a sentence for the report."""
    import mido
    takes = glob.glob(os.path.join(harness.takes_folder(prefix), "*.mid"))
    if len(takes) != 1:
        raise harness.E2EError(f"Tonvale saved {len(takes)} takes, not one")
    held = sum(1 for track in mido.MidiFile(takes[0]).tracks for message in track if not message.is_meta)
    return (f"Tonvale records a take throughout (`--recording`: F9 before the first run); saved as it ended, the "
            f"take has {os.path.getsize(takes[0])} bytes and {held} channel messages, the start's program among them, "
            f"of the {stamped} short messages the driver was sent, the one before F9 among them.")


def match_run(stamps, posted, presses, args):
    """{kind: {measure: [µs]}} of one run, from each program's stamps and the run's press times."""
    results = {}
    for index, kind in enumerate(KINDS):
        found = results[kind] = {}
        for name in ("key", "plus"):
            found[name], _, unmatched = latencies(presses[name][index], stamps[kind], args.warmup)
            report_unmatched(kind, name, unmatched)
        if kind == "tonvale":
            found["chord first"], found["chord last"], unmatched = latencies(presses["chord"][index], stamps[kind],
                                                                             args.warmup, True)
            report_unmatched(kind, "chord", unmatched)
            found["chord plain"], _, unmatched = latencies(presses["chord plain"][index], stamps[kind], args.warmup,
                                                           keep=note_on(RIGHT_CHANNEL))
            report_unmatched(kind, "chord plain", unmatched)
            start, end = presses["input"]
            posts = [ns for ns, message in posted[kind] if start <= ns < end and message & 0xF0 == 0x90]
            found["input"], _, input_unmatched = latencies(posts, stamps[kind], args.warmup)
            report_unmatched(kind, "input", input_unmatched)
        else:
            found["chord key"], _, unmatched = latencies(presses["chord"][index], stamps[kind], args.warmup)
            report_unmatched(kind, "chord", unmatched)
        for name in ("armed", "behind"):
            found[name if kind == "tonvale" or name == "behind" else name + " key"], _, unmatched = latencies(
                presses[name][index], stamps[kind], args.warmup)
            report_unmatched(kind, name, unmatched)
        for name, values in found.items():
            if len(values) < args.presses // 2:
                raise harness.E2EError(f"{kind} {name}: only {len(values)} presses matched (clocks apart?)")
    return results


def report_unmatched(kind, name, unmatched):
    if unmatched:
        print(f"note: {kind} {name}: {unmatched} presses without their message", flush=True)


def summary(values):
    """min, median, p90 (nearest rank) and max."""
    ordered = sorted(values)
    return (ordered[0], statistics.median(ordered), ordered[max(0, -(-9 * len(ordered) // 10) - 1)], ordered[-1])


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    wine = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True).stdout.strip()
    return f"{model}, {os.cpu_count()} cores, Linux {platform.release()}; {wine}"


def host_section(results):
    """The host benchmark's figures (Google Benchmark's "benchmarks"), as a table."""
    if not results:
        return ""
    medians = [r for r in results if r.get("aggregate_name") == "median"]
    names = {
        "BM_NoteKeyDownAndUp": "a key down or up, one note each",
        "BM_ChordKeyDownAndUp": "a chord key down or up, three notes each",
        "BM_SeventhChordKeyDownAndUp": "a seventh chord's key down or up, four notes each",
        "BM_BendGestureTick": "Page Up and the ticks of its ramp",
        "BM_KnobStep": "a knob step with its program change",
        "BM_WholePanelPaint": "WM_PAINT of the whole panel",
    }
    rows = [f"| {names.get(r['run_name'], r['run_name'])} | "
            f"{1e9 / r['items_per_second']:.0f} | {r['midi_per_message']:.1f} |" for r in medians]
    return f"""
## In the window procedure

The program's own share, measured in the host build (Release) with Google
Benchmark: one message through `MainWndProc`, the recording fake only
counting its calls (`tests/bench/playing_benchmark.cpp`); the median of
{medians[0]['repetitions'] if medians else 0} repetitions. Nanoseconds per message; against the
hundreds of microseconds above it does not show.

| message | ns per message | MIDI messages per message |
|---|---:|---:|
{chr(10).join(rows)}
"""


def take_section(saving, fed, load, saves, key_median):
    """The key presses during the saves of the hour-long take and between them, and how they were timed."""
    labels = {"as it runs": "", "writer apart": ", the take writer on a core of its own"}
    rows, ratios = [], {}
    for variant in SAVE_VARIANTS:
        during, between, inside = saving[variant]
        for values, label in ((during, f"key press at a save's start{labels[variant]}"),
                              (between, f"key press between the saves{labels[variant]}")):
            rows.append(f"| {label} → note-on | {len(values)} | " + " | ".join(f"{v:.0f}" for v in summary(values))
                        + " |")
        ratios[variant] = (statistics.median(during) / statistics.median(between),
                           statistics.median(during) / key_median, inside, len(during))
    plain, apart = ratios["as it runs"], ratios["writer apart"]
    return f"""
## A key press while a take is saved

Tonvale records a take (F9) and saves it every {KEEP_SECONDS} s while new notes
come, on a thread of its own, the whole take each time. An hour of dense
playing, {HOUR_MESSAGES} note-ons and note-offs (20 a second for an hour), is fed into
the take being recorded through the test driver's MIDI input, {FEED_PER_MS} a
millisecond; the take then holds {fed[1]} channel messages, {fed[0]} bytes on the
disk (the hour's messages, fed in seconds, are as many as an hour's playing
but lie closer together in the file). Then, still recording, Q is pressed
{saves} times at the start of a save and, as reference, {SAVE_BETWEEN_MS} ms and
{2 * SAVE_BETWEEN_MS} ms after each save's start, away from the saves. Microseconds; the load
average as the hour was fed: {load:.1f}.

| gesture | presses | min µs | median µs | p90 µs | max µs |
|---|---:|---:|---:|---:|---:|
{chr(10).join(rows)}

A key press at a save's start over one between the saves: **{plain[0]:.2f}**; over the plain
key press of the runs above: {plain[1]:.2f}. {plain[2]} of the {plain[3]} had their note-on before the save
ended. With the take writer on a core of its own: **{apart[0]:.2f}** and {apart[1]:.2f} ({apart[2]} of {apart[3]}
inside the save).

- `xonsave` (`tools/bench/xonsave.c`) watches the takes folder with
  inotify. The program writes each save to a new file beside the take's
  and then moves it into the take's place: the new file's creation is the
  save's start and its move the save's end, each stamped with
  `CLOCK_MONOTONIC_RAW` as inotify tells of it. At each save's start it
  presses Q at once ({HOLD_MS} ms held), stamped just before it is sent as
  `xinject` stamps its presses; the presses counted as during a save are
  those made between its start and its end, the ones between the saves
  those made in no save. Each press is matched with the first note-on after
  it, as above.
- A save of the hour lasts a few milliseconds, so presses at a steady pace
  would hardly ever fall inside one: that is why the presses wait for the
  saves. Those between them keep new notes coming, so the saves go on every
  {KEEP_SECONDS} to {KEEP_SECONDS + 0.5} s (the take's timer ticks every half second).
- Then the same again with the take writer's thread (the thread F9 started)
  on the machine's last core and Tonvale's other threads, its Wine server,
  its X server and `xonsave` on the others. Under Wine the writer's
  below-normal priority does not reach Linux (its thread runs at nice 0),
  whose scheduler lets a running thread finish its time slice before one
  just woken on its core: the save's few milliseconds of work once made a
  key press at a save's start wait 1.7 ms (median, 3.7 times one between the
  saves), and neither a save to tmpfs nor the writer at nice 19 helped. So
  the writer gives up its core between chunks of 4096 events
  (`SwitchToThread`): a key waits for one chunk's work at most. The writer on
  a core of its own shows what is left when it cannot be in the way at all.
"""


def start_section(starts, load):
    """The warm starts' table and ratio, and how they were timed."""
    rows = [f"| {'Tonvale' if kind == 'tonvale' else 'floor'} | {min(times):.0f} | {statistics.median(times):.0f} | "
            f"{max(times):.0f} |" for kind, times in starts.items()]
    per_round = [t / f for t, f in zip(starts["tonvale"], starts["floor"])]
    ratio = statistics.median(starts["tonvale"]) / statistics.median(starts["floor"])
    return f"""
## Warm start

From the moment `wine` is started to the window shown and painted on the X
screen, for Tonvale and the floor program taking turns in Tonvale's prefix
(the floor's window stands where Tonvale's does);
{len(starts["tonvale"])} starts of each after {START_WARMUP} of each left out. Milliseconds; the load
average at the first start: {load:.1f}.

| program | min ms | median ms | max ms |
|---|---:|---:|---:|
{chr(10).join(rows)}

Tonvale's median over the floor's: **{ratio:.2f}** (per round, each against the floor's start beside it:
{", ".join(f"{r:.2f}" for r in per_round)}). A start is a burst of Wine's
work on every core, so whatever else the machine does at that moment falls
on one start and not on the other: single rounds spread widely, the
medians are what to read.

- Warm: the prefix has run both programs and Tonvale's settings file is
  there (saved as the latency runs ended), and a resident `wine cmd /c pause`
  keeps Wine's server, its services and the desktop running between starts,
  as they run on a desktop where programs come and go. What remains is the
  program's own start: Wine loading it and its DLLs, and all it does before
  its window is on the screen.
- The start is `CLOCK_MONOTONIC_RAW` read just before the benchmark starts
  `wine`. The end is seen by `xshown` (`tools/bench/xshown.c`), started
  before: every millisecond it reads three pixels of the screen, two corners
  of the window's client area (5 pixels in) and its middle, and stamps
  `CLOCK_MONOTONIC_RAW` when each has the colour it had once the program's
  first start stood (the artwork's for Tonvale, the one colour the floor
  paints). Wine puts what a program painted on the X screen when it next
  waits for a message (or soon after it drew, if it does not wait), so
  both programs end at the same point: shown, painted, and waiting for
  input; Tonvale's labels, patch names and settings are on the panel by
  then.
- The floor program opens the MIDI driver in `WM_CREATE` and fills its
  window with one colour in `WM_PAINT`; everything else Tonvale does at a
  start (the settings file, the patch names, the menus, the artwork, the
  key labels, the take's first memory) is what the ratio weighs.
"""


def report(args, runs, loads, host_results, starts, take):
    """The Markdown document: table, ratios, how it was measured."""
    def run_stat(name, kind, which):
        return [summary(run[kind][name])[which] for run in runs]

    def cell(name, kind, which):
        return f"{statistics.median(run_stat(name, kind, which)):.0f}"

    rows = [f"| {'Tonvale' if kind == 'tonvale' else 'floor'} | {label} | "
            + " | ".join(cell(name, kind, which) for which in range(4)) + " |"
            for name, kind, label in MEASURES]

    def ratio(name, reference=None, reference_kind="floor"):
        tonvale, other = run_stat(name, "tonvale", 1), run_stat(reference or name, reference_kind, 1)
        per_run = [t / o for t, o in zip(tonvale, other)]
        overall = statistics.median(tonvale) / statistics.median(other)
        return f"**{overall:.2f}** (per run: {', '.join(f'{r:.2f}' for r in per_run)})"

    def floor_ratio(name, reference):
        behind, front = run_stat(name, "floor", 1), run_stat(reference, "floor", 1)
        return f"{statistics.median(behind) / statistics.median(front):.2f}"

    chord_spread = statistics.median(statistics.median(b - a for a, b in zip(run["tonvale"]["chord first"],
                                                                               run["tonvale"]["chord last"]))
                                     for run in runs)
    today = datetime.date.today().isoformat()
    return f"""# Performance

How long a key press or a click takes under Wine from the X server to the
MIDI call (`midiOutShortMsg`), and a warm start to the shown panel, for
Tonvale and for a floor program that does nothing but receive the input and
send one message; how long a MIDI input's note takes from its driver's
post to Tonvale's note-on; and a key press while Tonvale saves an hour-long
take.

Measured {today} on {machine()}; Xvfb {"x".join(map(str, harness.SCREEN_SIZE))}x24.
{args.take if args.recording else ""}
Tonvale and the floor program run side by side, their presses taking
turns; {len(runs)} runs, one after the other, each of {args.presses} presses of each gesture
after {args.warmup} warm-up presses. Microseconds; each figure is the median over the
runs of that run's figure (the same for the ratios below). Other work on the
machine shows in the load average at each run's start: {", ".join(f"{load:.1f}" for load in loads)}.

| program | gesture | min µs | median µs | p90 µs | max µs |
|---|---|---:|---:|---:|---:|
{chr(10).join(rows)}

Tonvale's median over the floor's, key press: {ratio("key")}.
Click: {ratio("plus")}.

A chord (CHORD on for the left section: a major chord, its three notes at
once, no strum), key press to its first note-on, over a plain key press on
the right section at the same moments: {ratio("chord first", "chord plain", "tonvale")}; over the floor's key press
at the same moments: {ratio("chord first", "chord key")}; over Tonvale's plain key press (Q, CHORD off) earlier
in the same run: {ratio("chord first", "key", "tonvale")}. A chord's last note-on follows its first by {chord_spread:.1f} µs (median).

Background playing armed, a key press with Tonvale in front (the hook is in only behind another window), over Tonvale's plain key press in the same run: {ratio("armed", "key", "tonvale")}; over the floor's key press at the same time: {ratio("armed", "armed key")}.
A key press behind Notepad (Notepad gets the key from X, the hook hands it to Tonvale), over the floor's key press behind Notepad through its own hook at the same time: {ratio("behind")}; over Tonvale's plain key press in front, in the same run: {ratio("behind", "key", "tonvale")} (what Wine's way to the hook costs: the floor's, behind over in front, is {floor_ratio("behind", "key")}).

MIDI input note-on to its note-on, over Tonvale's key press in the same run: {ratio("input", "key", "tonvale")}.
{take_section(*take, statistics.median(run_stat("key", "tonvale", 1)))}{start_section(*starts)}{host_section(host_results)}
## Rerunning it

    tools/bench.sh                      # 5 runs of 200 presses; rewrites this file
    tools/bench.sh --runs 3 --presses 100 --output /tmp/performance.md
    tools/bench.sh --recording          # the same with a take recorded throughout
    tools/bench.sh --starts 20          # 20 timed warm starts of each program instead of 12
    tools/bench.sh --saves 20           # presses at 20 saves of the hour-long take, twice, instead of 40

It installs what it needs with apt-get, builds the Windows program, the
benchmark's helpers and the host benchmark, and takes about {round(1.5 + len(runs) * 1.5 + 0.5 + args.saves * 2 * 4.3 / 60 + (START_WARMUP + len(starts[0]["tonvale"])) * 0.15)} minutes. It is not part of
`tools/test.sh`: speed is measured here, never in a test.

## How it measures

- Tonvale and the floor program run at once, each under Wine on its own
  1280 × 1024 Xvfb screen with its own temporary Wine prefix (one Wine
  desktop gives the keyboard to one window only), each window at (415, 746)
  with the keyboard focus, and {SETTLE_SECONDS} s to settle before the first run.
- `xinject` (`tools/bench/xinject.c`, linked with libXtst) presses Q, or the
  left button on the left section's + (the same point on the floor's
  window), on each screen every {INTERVAL_MS} ms, holding it {HOLD_MS} ms; the two
  screens take turns, {INTERVAL_MS // 2} ms apart, so that whatever else the machine
  does meanwhile falls on both alike. Just before sending each press it
  reads `CLOCK_MONOTONIC_RAW`.
- The test MIDI driver (`tests/e2e/driver/test_winmm.cpp`, with
  `TONVALE_MIDI_STAMPS` set) reads `QueryPerformanceCounter` first thing in
  `midiOutShortMsg` and keeps the stamps in memory until `midiOutClose`.
  Wine's counter runs at 10 MHz on `CLOCK_MONOTONIC_RAW`, so both stamps
  are on one clock (ticks × 100 = ns).
- A press is matched with the first message stamped after it and before
  the next press: the note-on for a key, the program change for a click on
  +.
- Chords: the left section's CHORD button is clicked (a first run's
  settings name no chord type, so CHORD turns on Major, with no strum), and Q (a chord on the left section)
  and Z (a plain note on the right section, which the settings file puts on
  channel {RIGHT_CHANNEL + 1}) are pressed on Tonvale's screen in turn with Q on the floor's, each
  every {CHORD_INTERVAL_MS} ms, the three {CHORD_INTERVAL_MS // 3} ms apart. A chord's press is matched with its three
  note-ons on the left section's channel, the first and the last timed (the
  chord before it was let go already, so nothing goes out ahead of them); Z's
  with its note-on on the right section's channel. So the chord and the
  plain key press are measured over the same moments, in the same program.
- Tonvale's MIDI input is the test driver's, remembered in its settings:
  after each run's presses the driver's thread posts MM_MIM_DATA to the
  window, a note-on every {INTERVAL_MS} ms and its note-off {HOLD_MS} ms later, and
  stamps `QueryPerformanceCounter` just before each post; each note-on is
  matched with the first message stamped after it. The floor gets no input.
- The floor program (`tools/bench/floor.cpp`) has the same window and focus
  and goes through the same driver, but its loop is GetMessage then
  DispatchMessage, and its window procedure only calls `midiOutShortMsg`
  on WM_KEYDOWN and WM_LBUTTONDOWN (and fills the window with one colour
  on WM_PAINT): what remains is what Wine costs.
- Background playing: Scroll Lock (held 50 ms, as a hand taps it) arms
  it, and Q is pressed with Tonvale in front, then with Wine's Notepad (in
  Tonvale's prefix, on its screen) in front, where X sends the key; Scroll
  Lock again and a click on the bare panel end it. The floor gets key
  presses meanwhile, in front, then behind a Notepad of its own, where a
  low-level hook it puts in when it loses the keys sends Q's note-on.
"""


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--windows-build", required=True, help="the Windows build folder")
    parser.add_argument("--injector", required=True, help="the built xinject")
    parser.add_argument("--shown", required=True, help="the built xshown")
    parser.add_argument("--scratch", required=True, help="an empty folder for the two temporary Wine prefixes")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--presses", type=int, default=200, help="timed presses per gesture and run")
    parser.add_argument("--warmup", type=int, default=20, help="presses left out before them")
    parser.add_argument("--output", default=os.path.join(SOURCE_DIR, "docs", "performance.md"))
    parser.add_argument("--raw", help="also write every latency to this JSON file")
    parser.add_argument("--host-results", help="the host benchmark's JSON results, for their own table")
    parser.add_argument("--recording", action="store_true", help="Tonvale records a take throughout (F9 first)")
    parser.add_argument("--starts", type=int, default=12, help="timed warm starts of each program")
    parser.add_argument("--on-save", required=True, help="the built xonsave")
    parser.add_argument("--saves", type=int, default=40, help="saves of the hour-long take pressed at, twice")
    args = parser.parse_args()
    if args.runs < 3 or args.starts < 3 or args.saves < 3:
        parser.error("at least 3 runs, 3 starts and 3 saves: the figures are medians")

    def stop(signum, _):
        raise KeyboardInterrupt(f"signal {signum}")
    signal.signal(signal.SIGTERM, stop)

    # Read first: closing a session with a prefix of its own removes the folder around it.
    host_results = None
    if args.host_results:
        with open(args.host_results) as f:
            host_results = json.load(f)["benchmarks"]

    harness.Config.windows_build = os.path.abspath(args.windows_build)
    # A prefix each: one Wine server's desktop gives the keyboard to one window only.
    prefixes = [os.path.join(os.path.abspath(args.scratch), kind) for kind in KINDS]
    harness.Config.prefix = prefixes[0]
    sessions = []
    try:
        for prefix in prefixes:
            print(f"making a Wine prefix in {prefix} ...", flush=True)
            harness.create_prefix(prefix)
            sessions.append(harness.Session(f"bench {os.path.basename(prefix)}", prefix=prefix))
        os.makedirs(os.path.dirname(harness.settings_file(prefixes[0])))
        with open(harness.settings_file(prefixes[0]), "w") as f:
            # Tonvale's MIDI input, opened at its start; the right section on a channel of its own.
            f.write(f"[General]\nInput={INPUT_NAME}\n[Right]\nChannel={RIGHT_CHANNEL + 1}\n")
        programs = [start(session, args.windows_build, kind) for session, kind in zip(sessions, KINDS)]
        notepads = [session.start_notepad() for session in sessions]  # the windows in front, behind which they play
        for program in programs:
            give_keys_back(program)
        writer = start_take(programs[0]) if args.recording else set()
        time.sleep(SETTLE_SECONDS)
        presses, loads = [], []
        for run in range(1, args.runs + 1):
            loads.append(os.getloadavg()[0])
            presses.append(measure(*programs, notepads, args, run))
            print(f"run {run} of {args.runs} done", flush=True)
        take_load = os.getloadavg()[0]
        print(f"an hour-long take fed, then {args.saves} saves, twice ...", flush=True)
        take = measure_take(args, programs[0], writer)
        stamps, posted = {}, {}
        for program, kind in zip(programs, KINDS):
            program.close()  # Tonvale saves its take, if any, on its way out
            if program.wait_for_exit() != 0:
                raise harness.E2EError(f"{kind} ended with an error")
            stamps[kind], posted[kind] = read_stamps(program.folder)
        if args.recording:
            args.take = read_take(prefixes[0], len(stamps["tonvale"]))
        start_load = os.getloadavg()[0]
        print(f"{START_WARMUP + args.starts} rounds of starts ...", flush=True)
        starts = measure_starts(sessions[0], args.windows_build, args.shown, args.starts)
    finally:
        for session in sessions:
            session.close()
        for prefix in prefixes:
            harness.remove_prefix(prefix)
    runs = [match_run(stamps, posted, run, args) for run in presses]
    saving = {variant: match_saves(stamps["tonvale"], *take[variant]) for variant in SAVE_VARIANTS}
    document = report(args, runs, loads, host_results, (starts, start_load),
                      (saving, take["fed"], take_load, args.saves))
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    with open(args.output, "w") as f:
        f.write(document)
    if args.raw:
        with open(args.raw, "w") as f:
            json.dump(runs, f)
    print(document)
    print(f"written to {args.output}")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        print("benchmark stopped; what it started has been ended", file=sys.stderr)
        sys.exit(130)
