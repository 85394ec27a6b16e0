"""The installer, in a Wine prefix of the test's own: an install writes to
drive C: and the registry."""

import getpass
import os
import pathlib
import signal
import struct
import subprocess
import tempfile

from harness import MAIN_WINDOW_CLASS, Config, E2ETest, Session, create_prefix, runs_folder, time_limit, wait_until

VERSION = MAIN_WINDOW_CLASS.split()[1]
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tonvale"
PROFILE = rf"C:\users\{getpass.getuser()}\AppData"
DESKTOP_SHORTCUT = rf"C:\users\{getpass.getuser()}\Desktop\Tonvale.lnk"
INSTALLED = rf"{PROFILE}\Local\Programs\Tonvale"
START_MENU_SHORTCUT = rf"{PROFILE}\Roaming\Microsoft\Windows\Start Menu\Programs\Tonvale.lnk"


def shortcut(data):
    """A .lnk's target (its link info's local path) and working folder."""
    flags, = struct.unpack_from("<I", data, 20)
    position = 76 + (2 + struct.unpack_from("<H", data, 76)[0] if flags & 0x1 else 0)  # past the item list
    info = position
    target = data[info + struct.unpack_from("<I", data, info + 16)[0]:].split(b"\0")[0].decode("latin-1")
    position += struct.unpack_from("<I", data, info)[0]
    for bit in (0x4, 0x8, 0x10):  # name, relative path, working folder: UTF-16, counted
        if flags & bit:
            count, = struct.unpack_from("<H", data, position)
            text = data[position + 2:position + 2 + 2 * count].decode("utf-16-le").rstrip("\0")
            position += 2 + 2 * count
    return target, text


class InstallerTest(E2ETest):

    def unix_path(self, windows_path):
        return os.path.join(self.session.prefix, "drive_c", *windows_path[3:].split("\\"))

    def wine(self, *command):
        # No menu entries for the host's desktop from the shortcuts.
        env = self.session.wine_environment(WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml=")
        return subprocess.Popen(["wine", *command], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def uninstall_entry(self):
        result = subprocess.run(["wine", "reg", "query", UNINSTALL_KEY], env=self.session.wine_environment(),
                                timeout=60, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        return dict((fields[0], fields[2]) for fields in (line.split(None, 2) for line in result.stdout.splitlines())
                    if len(fields) == 3 and fields[1].startswith("REG_"))

    @time_limit(240)
    def test_a_silent_install_starts_from_its_shortcut_upgrades_wait_for_it_and_move_it_the_uninstall_keeps_what_is_not_its(self):
        os.makedirs(runs_folder(Config.prefix), exist_ok=True)
        prefix = os.path.join(tempfile.mkdtemp(prefix="installer-", dir=runs_folder(Config.prefix)), "prefix")
        create_prefix(prefix)
        self.session = Session(self.id(), prefix=prefix)
        setup = os.path.join(Config.windows_build, f"tonvale-{VERSION}-win64-setup.exe")
        folder, start_menu = self.unix_path(INSTALLED), self.unix_path(START_MENU_SHORTCUT)
        desktop = pathlib.Path(self.unix_path(DESKTOP_SHORTCUT))
        os.unlink(desktop.parent)  # wineboot's link to the home
        os.mkdir(desktop.parent)
        self.assertEqual(self.wine(setup, "/S").wait(120), 0)
        wait_until(lambda: os.path.isfile(start_menu) and self.uninstall_entry(), what="the silent install")
        self.assertEqual(sorted(os.listdir(folder)), ["README.txt", "Uninstall.exe", "gm_ins.nms", "tonvale.exe"])
        entry = self.uninstall_entry()
        self.assertGreater(int(entry.pop("EstimatedSize"), 16), 0)
        self.assertEqual(entry, {
            "DisplayName": "Tonvale", "DisplayVersion": VERSION, "DisplayIcon": rf"{INSTALLED}\tonvale.exe",
            "InstallLocation": INSTALLED, "UninstallString": rf'"{INSTALLED}\Uninstall.exe"',
            "QuietUninstallString": rf'"{INSTALLED}\Uninstall.exe" /S', "NoModify": "0x1", "NoRepair": "0x1"})
        target, working_folder = shortcut(pathlib.Path(start_menu).read_bytes())
        self.assertEqual((target, working_folder), (rf"{INSTALLED}\tonvale.exe", INSTALLED))
        tonvale = self.start_tonvale(folder=self.unix_path(working_folder))
        start = tonvale.midi.mark()
        tonvale.press("q")
        tonvale.midi.wait_for_message("note-off 0x80 60 127", since=start)
        self.assertMessages(tonvale, ["note-on 0x90 60 127", "note-off 0x80 60 127"], since=start)
        # An install over a running Tonvale (an upgrade) asks it to close and
        # waits, even while it does not answer (stopped here for 20 s); it
        # saves its settings on the way out; then the files are replaced.
        readme = pathlib.Path(folder, "README.txt")
        readme.write_text("an older version's README")
        os.kill(tonvale.process.pid, signal.SIGSTOP)
        upgrade = self.wine(setup, "/S")
        self.assertRaises(subprocess.TimeoutExpired, upgrade.wait, 20)
        os.kill(tonvale.process.pid, signal.SIGCONT)
        self.assertEqual(tonvale.wait_for_exit(), 0)
        self.assertEqual(upgrade.wait(60), 0)
        packaged = pathlib.Path(Config.windows_build, "README.txt").read_bytes()
        wait_until(lambda: readme.read_bytes() == packaged, what="the install to replace README.txt")
        self.assertTrue(os.path.isfile(self.settings_file()))
        for name in ("winmm.dll", "midi.log", "stdout.txt", "stderr.txt"):  # the test's, not the installer's
            os.remove(os.path.join(folder, name))
        # An upgrade into another folder takes the old one away, shortcuts following.
        old_shortcut = pathlib.Path(start_menu).read_bytes()
        desktop.write_bytes(old_shortcut)  # as the desktop box makes it
        moved = r"C:\Tools\Tonvale"
        self.assertEqual(self.wine(setup, "/S", f"/D={moved}").wait(120), 0)
        self.assertFalse(os.path.exists(folder))
        self.assertEqual(self.uninstall_entry()["InstallLocation"], moved)
        self.assertEqual({shortcut(pathlib.Path(path).read_bytes())[0] for path in (start_menu, desktop)},
                         {rf"{moved}\tonvale.exe"})
        desktop.write_bytes(old_shortcut)  # a Tonvale.lnk that starts something else: the user's
        self.wine(rf"{moved}\Uninstall.exe", "/S").wait(120)
        wait_until(lambda: not os.path.exists(self.unix_path(moved)) and not os.path.exists(start_menu)
                   and not self.uninstall_entry(), what="the silent uninstall")
        self.assertTrue(os.path.isfile(self.settings_file()), "the settings stay")
        self.assertEqual(desktop.read_bytes(), old_shortcut)
