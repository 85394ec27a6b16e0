"""The end-to-end harness: the real tonvale.exe under Wine on its own Xvfb
screen, driven with real X input (xdotool), its MIDI captured by the test
winmm.dll, its windows read by the probe (winprobe.exe).

A test derives from E2ETest and starts the program with start_tonvale();
everything it starts is ended and removed when the test ends, pass or fail.
Python 3 standard library only.
"""

import getpass
import json
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest
import zlib

PANEL_WIDTH, PANEL_HEIGHT = 800, 250
MAIN_WINDOW_CLASS = "Tonvale 1.0 (beta)"
INPUT_SCRIPT = "input.txt"  # what the test driver's MIDI input plays next
MAIN_WINDOW_TITLE = "Tonvale 1.0 (beta)"
SCREEN_SIZE = (1280, 1024)  # the window sits at (415, 746): it must fit
DEFAULT_TIMEOUT = 15.0
DEVICE_CONTROL_FILE = "devices.txt"  # the test driver's devices, rewritten by a test as it runs
POLL_SECONDS = 0.05

WM_CLOSE = 0x0010
WS_POPUP, WS_CAPTION, WS_BORDER, WS_THICKFRAME = 0x80000000, 0x00C00000, 0x00800000, 0x00040000
MMSYSERR_NOERROR, MMSYSERR_ALLOCATED, MMSYSERR_INVALHANDLE, MMSYSERR_NOMEM = 0, 4, 5, 7


class Config:
    """Where things are; set by e2e.py before tests run."""
    source_dir = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    windows_build = None  # the Windows build folder: tonvale.exe, gm_ins.nms, test_driver/
    prefix = None  # the WINEPREFIX made once per test run
    keep = os.environ.get("TONVALE_E2E_KEEP") == "1"  # keep each test's folder for a look afterwards
    winedebug = os.environ.get("TONVALE_E2E_WINEDEBUG", "-all")


class E2EError(Exception):
    pass


class TimeLimitExceeded(E2EError):
    pass


def time_limit(seconds):
    """Gives a test more (or less) than the default 60 seconds; ctest's own
    timeout is set from it."""
    def mark(test):
        test.time_limit = seconds
        return test
    return mark


def screen_size(width, height):
    """Gives a test a screen of that size instead of SCREEN_SIZE."""
    def mark(test):
        test.screen_size = (width, height)
        return test
    return mark


def display_dpi(dpi):
    """Runs a test at that display scale (LogPixels: 96 = 100 %, 192 = 200 %)
    in a prefix of its own, so the other tests keep 96."""
    def mark(test):
        test.display_dpi = dpi
        return test
    return mark


def wait_until(condition, timeout=DEFAULT_TIMEOUT, what="the condition"):
    """Polls condition() until it gives something true, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise E2EError(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(POLL_SECONDS)


def die_with_parent():
    """Run in a child before exec: if the test runner is killed outright, its
    helpers (Xvfb, wine) get SIGTERM instead of living on."""
    import ctypes
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


# ---------------------------------------------------------------- Wine prefix

def wine_environment(prefix, **extra):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("WINE", "TONVALE_MIDI_")) and k not in ("DISPLAY", "LC_ALL", "LANG")}
    env.update(WINEPREFIX=prefix, WINEDEBUG=Config.winedebug, LC_ALL="C", LANG="C")
    env.update(extra)
    return env


def wineserver_socket_folder(prefix):
    """Debian's Wine keeps the server socket in a temporary folder named in
    the prefix; it is left behind when the server ends."""
    try:
        with open(os.path.join(prefix, "wineserver")) as f:
            name = f.read().strip()
    except OSError:
        return None
    if not re.fullmatch(r"wine-\w+", name):
        return None
    return os.path.join(tempfile.gettempdir(), name)


def stop_wineserver(prefix):
    """Ends every Wine process of the prefix and waits until the server is gone."""
    env = wine_environment(prefix)
    for command in (["wineserver", "-k"], ["wineserver", "-w"]):
        try:
            subprocess.run(command, env=env, timeout=30, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass


def settings_file(prefix):
    """Where the program keeps its settings in a prefix: %APPDATA%\\Tonvale\\tonvale.ini,
    %APPDATA% being the Wine user's AppData\\Roaming; Wine names the user after the Unix one."""
    return os.path.join(prefix, "drive_c", "users", getpass.getuser(), "AppData", "Roaming", "Tonvale", "tonvale.ini")


def takes_folder(prefix):
    """Where takes go in a prefix: Documents\\Tonvale, Documents its own (not wineboot's link to the home)."""
    return os.path.join(prefix, "drive_c", "users", getpass.getuser(), "Documents", "Tonvale")


def runs_folder(prefix):
    """Where the tests' own folders go: beside the prefix, so that removing
    the prefix also sweeps a folder left by a test that was killed outright."""
    return prefix + "-runs"


def create_prefix(prefix, attempts=3):
    """Makes a fresh prefix. wineboot has been seen to fail once on a busy
    machine and succeed at once after, so a failed attempt starts over."""
    for attempt in range(1, attempts + 1):
        remove_prefix(prefix)
        os.makedirs(os.path.dirname(prefix), exist_ok=True)
        # No display: nothing to show, and no dialog offering Wine's add-ons.
        env = wine_environment(prefix, WINEDLLOVERRIDES="mscoree,mshtml=")
        try:
            booted = subprocess.run(["wineboot", "-i"], env=env, timeout=300,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
        except subprocess.TimeoutExpired:
            booted = False
        stop_wineserver(prefix)
        if booted and os.path.isfile(os.path.join(prefix, "system.reg")):
            documents = os.path.dirname(takes_folder(prefix))
            if os.path.islink(documents):
                os.unlink(documents)
            os.makedirs(documents, exist_ok=True)
            return
        print(f"wineboot attempt {attempt} of {attempts} made no prefix in {prefix}", flush=True)
    raise E2EError(f"wineboot made no prefix in {prefix}")


def copied_prefix(kind):
    """A prefix of its own beside the shared one, for its registry to be
    changed: the shared prefix's registry copied. Its drive C: (most of the
    prefix's size) is the shared one's, which is safe while tests run one at
    a time. The shared prefix's Wine server socket folder stays its own. The
    folder around it is removed with it."""
    os.makedirs(runs_folder(Config.prefix), exist_ok=True)
    prefix = os.path.join(tempfile.mkdtemp(prefix=kind + "-", dir=runs_folder(Config.prefix)), "prefix")
    os.makedirs(prefix)
    for name in os.listdir(Config.prefix):
        source, target = os.path.join(Config.prefix, name), os.path.join(prefix, name)
        if name == "drive_c":
            os.symlink(source, target)
        elif os.path.isdir(source):
            shutil.copytree(source, target, symlinks=True)
        elif name != "wineserver":
            shutil.copy2(source, target)
    return prefix


def prefix_with_dpi(dpi):
    """A copied prefix at the display scale dpi."""
    prefix = copied_prefix("dpi")
    env = wine_environment(prefix)
    subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                    "/d", str(dpi), "/f"], env=env, timeout=60, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    stop_wineserver(prefix)  # which writes the registry back to its files
    return prefix


def prefix_with_user_folders(folders):
    """A copied prefix whose user's folders are elsewhere, with any names:
    folders maps "AppData", "Local AppData" and "Personal" (Documents) to
    paths relative to the folder around the prefix, where they are made and
    named by their Z: paths, as the shell and the environment give them."""
    prefix = copied_prefix("folders")
    entries = []
    for name, relative in folders.items():
        path = os.path.join(os.path.dirname(prefix), relative)
        os.makedirs(path, exist_ok=True)
        entries.append((name, "Z:" + path.replace("/", "\\")))
    variables = {"AppData": "APPDATA", "Local AppData": "LOCALAPPDATA"}
    lines = ["Windows Registry Editor Version 5.00", "",
             r"[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders]"]
    lines += [f'"{name}"="{path}"'.replace("\\", "\\\\") for name, path in entries]
    lines += ["", r"[HKEY_CURRENT_USER\Volatile Environment]"]
    lines += [f'"{variables[name]}"="{path}"'.replace("\\", "\\\\") for name, path in entries if name in variables]
    registry = os.path.join(os.path.dirname(prefix), "folders.reg")
    with open(registry, "w", encoding="utf-16") as f:  # regedit reads Unicode .reg files in UTF-16 with a BOM
        f.write("\r\n".join(lines) + "\r\n")
    subprocess.run(["wine", "regedit", "/S", "Z:" + registry.replace("/", "\\")], env=wine_environment(prefix),
                   timeout=60, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    stop_wineserver(prefix)  # which writes the registry back to its files
    return prefix


def remove_prefix(prefix):
    shutil.rmtree(runs_folder(prefix), ignore_errors=True)
    if not os.path.isdir(prefix):
        return
    stop_wineserver(prefix)
    socket_folder = wineserver_socket_folder(prefix)
    shutil.rmtree(prefix, ignore_errors=True)
    if socket_folder:
        shutil.rmtree(socket_folder, ignore_errors=True)


# ---------------------------------------------------------------- MIDI log

def describe_short_message(message):
    """The same words as the host tests' fake: "note-on 0x90 60 127"."""
    status, data1, data2, high = message & 0xFF, (message >> 8) & 0xFF, (message >> 16) & 0xFF, message >> 24
    rest = f" high 0x{high:02x}" if high else ""
    kind = status & 0xF0
    if kind == 0x80:
        return f"note-off 0x{status:02X} {data1} {data2}{rest}"
    if kind == 0x90:
        return f"note-on 0x{status:02X} {data1} {data2}{rest}"
    if kind == 0xB0:
        return f"control 0x{status:02X} {data1} {data2}{rest}"
    if kind == 0xC0:
        return f"program 0x{status:02X} {data1}" + (f" {data2}" if data2 else "") + rest
    if kind == 0xE0:
        return f"bend 0x{status:02X} {data1} {data2}{rest}"
    return f"message 0x{message:08X}"


class MidiCall:
    """One line of the driver's log."""

    def __init__(self, line, frequency):
        ticks, _, self.raw = line.partition(" ")
        self.ticks = int(ticks)
        self.seconds = self.ticks / frequency
        self.function = self.raw.split(" ", 1)[0]
        self.message = None
        self.result = None
        text = self.raw
        if self.function == "midiOutShortMsg":
            _, handle, value, rest = self.raw.split(" ", 3)
            self.message = int(value, 16)
            text = f"midiOutShortMsg {handle} {describe_short_message(self.message)} {rest}"
        result = re.search(r" = (\d+)( \S+)?$", self.raw)
        if result:
            self.result = int(result.group(1))
        self.text = text

    def __repr__(self):
        return f"{self.seconds:.6f} {self.text}"


class MidiLog:
    """What the program asked of the MIDI driver, read while it runs.

    calls() gives one string per call without its time, short messages
    decoded: "midiOutShortMsg h1 note-on 0x90 60 127 = 0". messages() gives
    the short messages alone: "note-on 0x90 60 127". Both take since=mark()
    to see only what happened after a point."""

    def __init__(self, path):
        self.path = path

    def entries(self, since=0):
        try:
            with open(self.path, encoding="latin-1") as f:
                lines = f.read().split("\n")
        except FileNotFoundError:
            return []
        lines = [line for line in lines[:-1] if line]  # the last piece may be a line still being written
        if not lines:
            return []
        head = re.match(r"\d+ loaded frequency=(\d+)", lines[0])
        if not head:
            raise E2EError(f"the MIDI log does not start with the driver's load line: {lines[0]!r}")
        frequency = int(head.group(1))
        return [MidiCall(line, frequency) for line in lines[1:]][since:]

    def loaded(self):
        """The driver's load line has been written: the program runs with the test driver."""
        return self.process_id() is not None

    def process_id(self):
        """The Windows process id of the program, from the driver's load line."""
        try:
            with open(self.path, encoding="latin-1") as f:
                head = re.match(r"\d+ loaded .* pid=(\d+)\n", f.readline())
        except FileNotFoundError:
            return None
        return int(head.group(1)) if head else None

    @staticmethod
    def now():
        """The present moment on the log's clock: Wine's performance counter
        runs on CLOCK_MONOTONIC_RAW."""
        return time.clock_gettime(time.CLOCK_MONOTONIC_RAW)

    def mark(self):
        """A point in the log: pass it as since= to look only at what follows."""
        return len(self.entries())

    def calls(self, since=0):
        return [entry.text for entry in self.entries(since)]

    def messages(self, since=0):
        return [describe_short_message(e.message) for e in self.entries(since) if e.message is not None]

    def timed_messages(self, since=0):
        """(seconds, message) pairs; seconds on Wine's performance counter."""
        return [(e.seconds, describe_short_message(e.message)) for e in self.entries(since) if e.message is not None]

    def count(self, call, since=0):
        return self.calls(since).count(call)

    def wait_for_call(self, call, since=0, timeout=DEFAULT_TIMEOUT):
        """Waits until a call line equal to call (or matching it, for a
        compiled pattern) has been logged; returns the calls so far."""
        def found():
            calls = self.calls(since)
            return calls if any(_matches(call, c) for c in calls) else None
        return wait_until(found, timeout, f"MIDI call {call!r}; log so far:\n" + "\n".join(self.calls(since)))

    def wait_for_message(self, message, since=0, timeout=DEFAULT_TIMEOUT):
        """Waits until the short message (or pattern) has been sent; returns the messages so far."""
        def found():
            messages = self.messages(since)
            return messages if any(_matches(message, m) for m in messages) else None
        return wait_until(found, timeout, f"MIDI message {message!r}; sent so far: {self.messages(since)}")

    def wait_for_messages(self, count, since=0, timeout=DEFAULT_TIMEOUT):
        """Waits until at least count short messages have been sent; returns them."""
        return wait_until(lambda: len(self.messages(since)) >= count and self.messages(since), timeout,
                          f"{count} MIDI messages; sent so far: {self.messages(since)}")

    def wait_until_quiet(self, quiet=0.5, timeout=DEFAULT_TIMEOUT):
        """Waits until nothing new has been logged for quiet seconds: for
        checking that no more than the expected messages come."""
        deadline = time.monotonic() + timeout
        size, since = -1, time.monotonic()
        while time.monotonic() < deadline:
            now_size = os.path.getsize(self.path) if os.path.exists(self.path) else 0
            if now_size != size:
                size, since = now_size, time.monotonic()
            elif time.monotonic() - since >= quiet:
                return
            time.sleep(POLL_SECONDS)
        raise E2EError("the MIDI log never went quiet")


def _matches(expected, actual):
    return expected.search(actual) is not None if isinstance(expected, re.Pattern) else expected == actual


# ---------------------------------------------------------------- windows

class Window:
    """A window as the probe saw it: top-level or a child control."""

    def __init__(self, data):
        self.data = data
        self.hwnd = int(data["hwnd"], 16)
        self.id = data["id"]
        self.cls = data["class"]
        self.title = data["text"]  # a top-level window's title, a control's text
        self.text = data["text"]
        self.style = int(data["style"], 16)
        self.exstyle = int(data["exstyle"], 16)
        self.visible = data["visible"]
        self.rect = tuple(data["rect"])  # left, top, right, bottom in screen pixels
        self.client = tuple(data["client"]) if "client" in data else None
        self.owner = int(data["owner"], 16) if "owner" in data else 0
        self.pid = data.get("pid")
        self.x11 = data.get("x11")
        self.items = data.get("items")  # a list box's entries
        self.selected = data.get("selected")  # a list box's selected position, -1 for none
        self.children = [Window(child) for child in data.get("children", [])]

    @property
    def size(self):
        return self.rect[2] - self.rect[0], self.rect[3] - self.rect[1]

    @property
    def center(self):
        return (self.rect[0] + self.rect[2]) // 2, (self.rect[1] + self.rect[3]) // 2

    def control(self, control_id):
        for child in self.children:
            if child.id == control_id:
                return child
        raise E2EError(f"window {self.title!r} has no control {control_id}: {self.children}")

    def controls(self, cls):
        return [child for child in self.children if child.cls.lower() == cls.lower()]

    @property
    def message(self):
        """A message box's text: its static control with id 0xFFFF."""
        return self.control(0xFFFF).text

    @property
    def buttons(self):
        return [button.text for button in self.controls("Button")]

    def __repr__(self):
        return f"<{self.cls} {self.title!r} 0x{self.hwnd:x} {self.rect}{'' if self.visible else ' hidden'}>"


# ---------------------------------------------------------------- screenshots

class Screenshot:
    """An RGB picture of a screen area; pixel(x, y) relative to that area."""

    def __init__(self, width, height, rgb, origin=(0, 0)):
        self.width, self.height, self.rgb, self.origin = width, height, rgb, origin

    @staticmethod
    def from_ppm(data):
        fields, position = [], 0
        while len(fields) < 4:  # P6, width, height, maximum value; comments may come between
            match = re.compile(rb"\s*(#[^\n]*\n\s*)*(\S+)").match(data, position)
            fields.append(match.group(2))
            position = match.end()
        if fields[0] != b"P6" or fields[3] != b"255":
            raise E2EError(f"not an 8-bit binary PPM: {fields}")
        width, height = int(fields[1]), int(fields[2])
        return Screenshot(width, height, data[position + 1:position + 1 + width * height * 3])

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise E2EError(f"pixel ({x}, {y}) is outside the {self.width} x {self.height} picture")
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, left, top, width, height):
        rows = [self.rgb[((top + y) * self.width + left) * 3:((top + y) * self.width + left + width) * 3]
                for y in range(height)]
        return Screenshot(width, height, b"".join(rows), (self.origin[0] + left, self.origin[1] + top))

    def colours(self):
        """How often each colour occurs."""
        counts = {}
        for i in range(0, len(self.rgb), 3):
            colour = tuple(self.rgb[i:i + 3])
            counts[colour] = counts.get(colour, 0) + 1
        return counts

    def save_png(self, path):
        def chunk(kind, payload):
            return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))
        stride = self.width * 3
        raw = b"".join(b"\0" + self.rgb[y * stride:(y + 1) * stride] for y in range(self.height))
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
                    + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def read_bmp(path):
    """An uncompressed BMP (1, 4, 8, 24 or 32 bits) as a Screenshot, for comparing with the artwork."""
    with open(path, "rb") as f:
        data = f.read()
    offset, header_size = struct.unpack_from("<II", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    colours_used, = struct.unpack_from("<I", data, 46)
    if bits not in (1, 4, 8, 24, 32) or compression not in (0, 3):
        raise E2EError(f"{path}: a {bits}-bit BMP with compression {compression} is not read here")
    palette = []
    if bits <= 8:
        start = 14 + header_size
        palette = [bytes((data[start + 4 * i + 2], data[start + 4 * i + 1], data[start + 4 * i]))
                   for i in range(colours_used or 1 << bits)]
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(abs(height)):
        source_row = abs(height) - 1 - y if height > 0 else y  # positive height: bottom-up
        row = data[offset + source_row * stride:offset + (source_row + 1) * stride]
        if bits >= 24:
            step = bits // 8
            rows.append(b"".join(bytes((row[i + 2], row[i + 1], row[i])) for i in range(0, width * step, step)))
        else:
            per_byte, mask = 8 // bits, (1 << bits) - 1
            rows.append(b"".join(palette[(row[x // per_byte] >> (8 - bits * (x % per_byte + 1))) & mask]
                                 for x in range(width)))
    return Screenshot(width, abs(height), b"".join(rows))


def artwork():
    """The panel artwork the program is built with, as a picture."""
    return read_bmp(os.path.join(Config.source_dir, "resources", "panel.bmp"))


# ---------------------------------------------------------------- one test's world

class Session:
    """One test's X display (with a window manager if asked), folder and Wine
    server. close() ends them all."""

    def __init__(self, name, window_manager=False, size=SCREEN_SIZE, prefix=None):
        """prefix: a Wine prefix of its own (a Wine server and desktop of its own), removed at
        close(); Config.prefix if None."""
        self.prefix = prefix or Config.prefix
        self.own_prefix = prefix is not None
        if not Config.windows_build or not self.prefix:
            raise E2EError("Config.windows_build and Config.prefix must be set (run tests through e2e.py)")
        self.name = name
        self.size = size  # the screen's width and height
        os.makedirs(runs_folder(self.prefix), exist_ok=True)
        self.folder = tempfile.mkdtemp(prefix="test-", dir=runs_folder(self.prefix))
        # The tests share the prefix: each one starts as a first run, with no settings kept by another.
        shutil.rmtree(os.path.dirname(settings_file(self.prefix)), ignore_errors=True)
        shutil.rmtree(takes_folder(self.prefix), ignore_errors=True)  # nor takes
        self.processes = []
        self.display = None
        self.xvfb = None
        self.window_manager = window_manager
        self._start_xvfb()
        if window_manager:
            self._start_window_manager()

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb_log = open(os.path.join(self.folder, "xvfb.log"), "wb")
        screen = "{}x{}x24".format(*self.size)
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_end], stdout=self.xvfb_log, stderr=self.xvfb_log, preexec_fn=die_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        try:
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
                piece = os.read(read_end, 16) if ready else b""
                if not piece:
                    raise E2EError("Xvfb did not start; its log:\n" + self._read("xvfb.log"))
                number += piece
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()

    def _start_window_manager(self):
        """Openbox on this display, as on a user's desktop; ready once it has
        announced itself on the root window."""
        log = open(os.path.join(self.folder, "openbox.log"), "wb")
        self.processes.append(subprocess.Popen(
            ["openbox", "--sm-disable"], env=dict(self.x_environment(), HOME=self.folder),
            stdout=log, stderr=log, preexec_fn=die_with_parent))
        log.close()

        def announced():
            result = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.x_environment(),
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=10)
            return "window id" in result.stdout
        wait_until(announced, what="the window manager")

    def _read(self, name):
        try:
            with open(os.path.join(self.folder, name), errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def x_environment(self):
        env = dict(os.environ, DISPLAY=self.display)
        env.pop("XAUTHORITY", None)
        return env

    def wine_environment(self, **extra):
        return wine_environment(self.prefix, DISPLAY=self.display, **extra)

    def xdotool(self, *args, timeout=10):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.x_environment(), timeout=timeout,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        return result

    def probe(self, *args, attempts=1):
        """Runs winprobe.exe on this test's Wine desktop; returns its output.
        attempts: how often a probe that only reads may be tried (a start of
        `wine` on a busy machine now and then ends with 1 before the probe runs)."""
        probe = os.path.join(Config.windows_build, "test_driver", "winprobe.exe")
        for attempt in range(1, attempts + 1):
            result = subprocess.run(["wine", probe, *map(str, args)], env=self.wine_environment(), timeout=30,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors="replace")
            if result.returncode == 0:
                return result.stdout
            print(f"winprobe {' '.join(map(str, args))} (attempt {attempt}) ended with {result.returncode}; "
                  f"Wine said: {result.stderr[-1000:]!r}")
        raise E2EError(f"winprobe {' '.join(map(str, args))} failed with {result.returncode}")

    def windows(self):
        """Every top-level window on the Wine desktop."""
        return [Window(json.loads(line)) for line in self.probe("list", attempts=3).splitlines() if line.startswith("{")]

    def start_notepad(self):
        """Wine's Notepad in the same prefix: another program's window, to be put in front."""
        self.processes.append(subprocess.Popen(
            ["wine", "notepad"], cwd=self.folder, env=self.wine_environment(), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=die_with_parent))
        return wait_until(lambda: next((w for w in self.windows() if w.cls == "Notepad" and w.visible), None),
                          what="Notepad's window")

    def notepad_text(self, notepad):
        """What is typed in Notepad: the text of its edit control."""
        return next(w for w in self.windows() if w.hwnd == notepad.hwnd).controls("Edit")[0].text

    def screenshot(self):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.x_environment(), timeout=30,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True).stdout
        return Screenshot.from_ppm(data)

    def close(self):
        """Ends programs, the Wine server and Xvfb, and removes the folder; never raises."""
        stop_wineserver(self.prefix)  # the program if still running, and the desktop and services Wine started
        for process in self.processes:
            _end(process)
        if self.xvfb:
            _end(self.xvfb)
            self.xvfb_log.close()
        if Config.keep:
            print(f"kept {self.folder}")
        else:
            shutil.rmtree(self.folder, ignore_errors=True)
        if self.own_prefix and not Config.keep:
            remove_prefix(self.prefix)
            shutil.rmtree(os.path.dirname(self.prefix), ignore_errors=True)


def _end(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(5)


# ---------------------------------------------------------------- the program

class Tonvale:
    """The running tonvale.exe: its window, input to it, its MIDI and its end."""

    window_class = MAIN_WINDOW_CLASS  # the benchmark's floor program has its own

    def __init__(self, session, folder, process, midi):
        self.session = session
        self.folder = folder
        self.process = process
        self.midi = midi
        self.main = None  # the main window, once shown
        self.main_window_shown = False  # ever seen visible

    def play_input(self, *messages):
        """The open MIDI input plays these (ms, message) pairs, ms from when the driver finds them."""
        self._write_for_driver(INPUT_SCRIPT, "".join(f"{ms} {message:X}\n" for ms, message in messages))

    def _write_for_driver(self, name, text):
        """A file beside the program, there whole or not at all when the driver looks."""
        path = os.path.join(self.folder, name)
        with open(path + ".part", "w") as f:
            f.write(text)
        os.replace(path + ".part", path)

    # ---- windows

    def windows(self):
        """The program's top-level windows (message boxes, dialogs, menus and the main window)."""
        pid = self.midi.process_id()
        windows = [w for w in self.session.windows() if w.pid == pid]
        if any(w.cls == self.window_class and w.visible for w in windows):
            self.main_window_shown = True
        return windows

    def window(self, hwnd):
        """A top-level window by its handle."""
        for window in self.session.windows():
            if window.hwnd == hwnd:
                return window
        raise E2EError(f"no window 0x{hwnd:x}")

    def main_window(self):
        for window in self.windows():
            if window.cls == self.window_class:
                return window
        raise E2EError("the program has no main window")

    def wait_for_window(self, timeout=DEFAULT_TIMEOUT, focus=True):
        """Waits until the main window is shown and gives it the keyboard focus
        (focus=False leaves that to the program and the window manager).
        The probe reads a window's fields one by one while the program runs on,
        so one reading can pair "visible" with the rectangle from before the
        program moved it (at a display scale above 100 %): the window counts as
        shown when two readings in a row agree."""
        seen = []
        def shown():
            self._check_running("its window to appear")
            window = next((w for w in self.windows() if w.cls == self.window_class and w.visible), None)
            settled = window if window and seen and seen[-1] == (window.rect, window.client) else None
            seen.append(window and (window.rect, window.client))
            return settled
        self.main = wait_until(shown, timeout, "the main window")
        if focus:
            self.focus()
        return self.main

    def wait_for_dialog(self, title=None, timeout=DEFAULT_TIMEOUT):
        """Waits for a visible dialog or message box (class #32770), with that title if given."""
        def found():
            for window in self.windows():
                if window.cls == "#32770" and window.visible and (title is None or window.title == title):
                    return window
            self._check_running(f"a dialog{f' {title!r}' if title else ''}")
            return None
        return wait_until(found, timeout, f"a dialog{f' titled {title!r}' if title else ''}")

    def wait_for_menu(self, timeout=DEFAULT_TIMEOUT):
        """Waits for an open popup menu (class #32768); choose in it with keys
        sent to the main window (press() without window=): the menu reads the
        keyboard of its owner's thread, and focusing the menu's own X window
        closes it."""
        def found():
            self._check_running("a popup menu")
            return next((w for w in self.windows() if w.cls == "#32768" and w.visible), None)
        return wait_until(found, timeout, "a popup menu")

    def choose_in_menu(self, position):
        """Chooses item position (0 is the first) of the open popup menu with
        the keyboard, as a user would: Down once per item (the first Down
        selects the first item), then Return. Returns the menu as it was open."""
        menu = self.wait_for_menu()
        self.press(*["Down"] * (position + 1), "Return")
        self.wait_until_gone(menu)
        return menu

    def wait_for_message_box(self, timeout=DEFAULT_TIMEOUT):
        """A message box; with a null caption the system titles it "Error"."""
        return self.wait_for_dialog(None, timeout)

    def wait_until_gone(self, window, timeout=DEFAULT_TIMEOUT):
        wait_until(lambda: self.process.poll() is not None
                   or all(w.hwnd != window.hwnd for w in self.session.windows()),
                   timeout, f"{window} to close")

    def dismiss(self, window, key="Return"):
        """Closes a message box or dialog with a key, as a user would, and waits until it is gone."""
        self.press(key, window=window)
        self.wait_until_gone(window)

    def kill(self):
        """Ends the program at once (SIGKILL), as a crash or a power cut would, and waits until it is gone."""
        self.process.kill()
        self.process.wait(DEFAULT_TIMEOUT)

    def close(self):
        """Sends WM_CLOSE to the main window (what the system does for Alt+F4 or the task bar)."""
        self.session.probe("post", hex(self.main_window().hwnd), WM_CLOSE, 0, 0)

    # ---- keyboard; key names as xdotool takes them: q, Tab, Prior, Next, Escape, Return, ctrl+q

    def focus(self, window=None):
        window = window or self.main
        result = self.session.xdotool("windowfocus", "--sync", window.x11)
        if result.returncode != 0:
            raise E2EError(f"cannot focus {window}: {result.stderr}")

    def press(self, *keys, window=None, focus=True, delay_ms=30):
        """Presses and releases each key in turn, delay_ms apart (0: as fast as
        xdotool sends them); focus=False types into whatever window has the
        keyboard focus."""
        if focus:
            self.focus(window)
        self._xdotool("key", "--delay", delay_ms, *keys)

    def key_down(self, key, window=None, focus=True):
        if focus:
            self.focus(window)
        self._xdotool("keydown", key)

    def key_up(self, key, window=None, focus=True):
        if focus:
            self.focus(window)
        self._xdotool("keyup", key)

    def hold(self, key, seconds, window=None, focus=True):
        """Holds a key down for a while (the system repeats it), then releases it."""
        self.key_down(key, window, focus)
        time.sleep(seconds)
        self.key_up(key, window, focus)

    # ---- mouse, in panel (client) coordinates

    def to_screen(self, x, y):
        left, top = self.main.client[0], self.main.client[1]
        return left + x, top + y

    def move_to(self, x, y):
        self._pointer(self.to_screen(x, y))

    def click(self, x, y, button=1):
        self._pointer(self.to_screen(x, y), "click", button)

    def mouse_down(self, x, y, button=1):
        self._pointer(self.to_screen(x, y), "mousedown", button)

    def mouse_up(self, x, y, button=1):
        self._pointer(self.to_screen(x, y), "mouseup", button)

    def drag(self, start, end, steps=10, button=1):
        """Presses at start, moves to end in steps, releases there."""
        self.mouse_down(*start, button=button)
        for step in range(1, steps + 1):
            time.sleep(0.02)  # the program sees separate moves, as from a hand
            self.move_to(start[0] + (end[0] - start[0]) * step // steps,
                         start[1] + (end[1] - start[1]) * step // steps)
        self.mouse_up(*end, button=button)

    def click_screen(self, x, y, button=1):
        """Clicks at a screen position (for dialogs and menus)."""
        self._pointer((x, y), "click", button)

    def click_control(self, control, button=1):
        self.click_screen(*control.center, button=button)

    def _pointer(self, position, *then):
        # One xdotool call, so the move lands before the button; no --sync,
        # which waits forever when the pointer is already there.
        self._xdotool("mousemove", *position, *then)

    # ---- picture

    def screenshot(self):
        """The main window's client area as it is on the screen."""
        left, top, right, bottom = self.main.client
        return self.session.screenshot().crop(left, top, right - left, bottom - top)

    def wait_for_screenshot(self, condition, timeout=DEFAULT_TIMEOUT):
        """Takes screenshots of the panel until condition(shot) holds (painting
        comes after the input that caused it) and returns the last one; the
        test then asserts on it, so a failure shows what was there."""
        deadline = time.monotonic() + timeout
        while True:
            shot = self.screenshot()
            if condition(shot) or time.monotonic() > deadline:
                return shot
            time.sleep(0.1)

    def set_devices(self, names):
        """The driver's devices from now on, in index order (start_tonvale(device_control=True)):
        a device left out is gone, as if unplugged."""
        self._write_for_driver(DEVICE_CONTROL_FILE, "|".join(names))

    # ---- the end

    def wait_for_exit(self, timeout=DEFAULT_TIMEOUT):
        """Waits until the program has ended; returns its exit code."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise E2EError(f"the program did not end within {timeout:g} s") from None

    def output(self):
        """What the program (or the MIDI monitor inside it) wrote to its standard output."""
        with open(os.path.join(self.folder, "stdout.txt"), errors="replace") as f:
            return f.read()

    def _check_running(self, waiting_for):
        if self.process.poll() is not None:
            raise E2EError(f"the program ended with {self.process.returncode} while waiting for {waiting_for}")

    def _xdotool(self, *args):
        result = self.session.xdotool(*args)
        if result.returncode != 0:
            raise E2EError(f"xdotool {' '.join(map(str, args))} failed: {result.stderr}")


def launch(session, folder, exe, script, started=None, program=Tonvale):
    """Starts exe from folder (where the test winmm.dll is too) under Wine on
    the session's screen, the driver scripted by the TONVALE_MIDI_ variables
    in script; waits until the driver has loaded. started(program) is called
    as soon as it runs, so it is reported and ended even if that wait fails."""
    script = dict(TONVALE_MIDI_LOG="midi.log", WINEDLLOVERRIDES="winmm=n,b;mscoree,mshtml=", **script)
    with open(os.path.join(folder, "stdout.txt"), "wb") as out, open(os.path.join(folder, "stderr.txt"), "wb") as err:
        process = subprocess.Popen(["wine", exe], cwd=folder, env=session.wine_environment(**script),
                                   stdin=subprocess.DEVNULL, stdout=out, stderr=err, preexec_fn=die_with_parent)
    session.processes.append(process)
    running = program(session, folder, process, MidiLog(os.path.join(folder, "midi.log")))
    if started:
        started(running)
    wait_until(lambda: running.midi.loaded() or process.poll() is not None, DEFAULT_TIMEOUT,
               "the test MIDI driver to load")
    if not running.midi.loaded():
        with open(os.path.join(folder, "stderr.txt"), errors="replace") as f:
            said = f.read()[-2000:]
        raise E2EError(f"the test winmm.dll was not loaded (is WINEDLLOVERRIDES honoured?); the program "
                       f"{'ended with ' + str(process.returncode) if process.poll() is not None else 'runs'}, "
                       f"Wine said: {said!r}")
    return running


# ---------------------------------------------------------------- the test case

class E2ETest(unittest.TestCase):
    """Base of the end-to-end tests. Each test may start the program once or
    more; whatever it started is ended and removed when it ends."""

    time_limit = 60
    window_manager = False  # True: each test's display has a window manager, as a desktop has

    def setUp(self):
        self.session = None
        self.started = []
        limit = getattr(getattr(self, self._testMethodName), "time_limit", self.time_limit)
        signal.signal(signal.SIGALRM, self._out_of_time)
        signal.alarm(limit)
        self.addCleanup(signal.alarm, 0)
        self.addCleanup(self._end_session)

    def _out_of_time(self, *_):
        raise TimeLimitExceeded(f"{self.id()} ran out of its time limit")

    def folder(self, name):
        """A fresh folder inside this test's own, removed with it."""
        if self.session is None:
            test = getattr(self, self._testMethodName)
            dpi = getattr(test, "display_dpi", None)
            self.session = Session(self.id(), self.window_manager, getattr(test, "screen_size", SCREEN_SIZE),
                                   prefix_with_dpi(dpi) if dpi else None)
        path = os.path.join(self.session.folder, name)
        os.makedirs(path)
        return path

    def start_tonvale(self, devices=None, fail=None, patch_names=True, driver="test", wait_for_window=True,
                      folder=None, environment=None, inputs=None, device_control=False):
        """Copies the program, the patch-name file and a MIDI driver into a
        fresh folder and starts it there under Wine.

        devices: names of the driver's MIDI output devices, in index order
                 (None: one device; []: none)
        fail:    the driver's failure rules, e.g. "midiOutOpen=4" or ["midiOutReset#1=7"]
        patch_names: False leaves "gm_ins.nms" out
        driver:  "test" logs every call; "monitor" prints decoded messages as the run command does
        folder:  a folder of this test's that already holds the program (an
                 unpacked package, say): only the driver is added to it
        environment: more variables for Wine, e.g. {"LC_ALL": "C.UTF-8"} for
                 Unix file names outside ASCII
        inputs:  names of the driver's MIDI inputs, which play what play_input() gives them
        device_control: the driver reads its devices again at every call
                 from a file that Tonvale.set_devices writes
        """
        build = Config.windows_build
        if folder is None:
            folder = self.folder(f"run{len(self.started) + 1}")
            shutil.copy(os.path.join(build, "tonvale.exe"), folder)
            if patch_names:
                shutil.copy(os.path.join(build, "gm_ins.nms"), folder)
        shutil.copy(os.path.join(build, f"{driver}_driver", "winmm.dll"), folder)
        script = {}
        if devices is not None:
            script["TONVALE_MIDI_DEVICES"] = "|".join(devices)
        if fail:
            script["TONVALE_MIDI_FAIL"] = fail if isinstance(fail, str) else ",".join(fail)
        script.update(environment or {})
        if inputs:
            script.update(TONVALE_MIDI_INPUTS="|".join(inputs), TONVALE_MIDI_INPUT_SCRIPT=INPUT_SCRIPT)
        if device_control:
            script["TONVALE_MIDI_CONTROL"] = DEVICE_CONTROL_FILE
        tonvale = launch(self.session, folder, "tonvale.exe", script, self.started.append)
        if wait_for_window:
            tonvale.wait_for_window()
        return tonvale

    def write_settings(self, text):
        """Writes the settings file the next start in this test's session reads (CR LF line ends)."""
        if self.session is None:
            self.folder("settings")  # this test's own session, which starts with no settings
        os.makedirs(os.path.dirname(self.settings_file()), exist_ok=True)
        with open(self.settings_file(), "w", newline="\r\n") as f:
            f.write(text)

    def settings_file(self):
        """The settings file the program uses in this test's prefix (one beside the exe comes first)."""
        return settings_file(self.session.prefix if self.session else Config.prefix)

    def _end_session(self):
        if self.session is None:
            return
        signal.alarm(0)
        try:
            self._report()
        finally:
            self.session.close()

    def _report(self):
        """What happened, for reading when a test fails (ctest shows it only then)."""
        for number, tonvale in enumerate(self.started, 1):
            print(f"--- run {number}: exit code {tonvale.process.poll()}; MIDI log:")
            try:
                for entry in tonvale.midi.entries():
                    print(f"    {entry!r}")
            except E2EError as error:
                print(f"    {error}")
            if tonvale.process.poll() is None:
                try:
                    for window in tonvale.windows():
                        print(f"    window {window} children {window.children}")
                except (E2EError, subprocess.TimeoutExpired) as error:
                    print(f"    (windows unreadable: {error})")
            for name in ("stdout.txt", "stderr.txt"):
                path = os.path.join(tonvale.folder, name)
                if os.path.exists(path) and os.path.getsize(path):
                    with open(path, errors="replace") as f:
                        print(f"--- {name}:\n{f.read()[-3000:]}")

    # ---- assertions that read like what they check

    def assertCalls(self, tonvale, expected, since=0):
        self.assertEqual(tonvale.midi.calls(since), expected)

    def assertMessages(self, tonvale, expected, since=0):
        self.assertEqual(tonvale.midi.messages(since), expected)
