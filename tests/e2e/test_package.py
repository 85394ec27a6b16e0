"""The package a user downloads: what the zip holds, and the program
started from the folder it unpacks to."""

import os
import zipfile

from harness import MAIN_WINDOW_CLASS, Config, E2ETest
from pe_resources import first_icon

VERSION = MAIN_WINDOW_CLASS.split()[1]  # the window shows the version the package is named after
PACKAGE = f"tonvale-{VERSION}-win64"


class PackageTest(E2ETest):

    def test_the_zip_holds_three_files_and_its_program_has_the_icon_and_plays_q_where_it_is_unpacked(self):
        path = os.path.join(Config.windows_build, PACKAGE + ".zip")
        self.assertTrue(os.path.isfile(path), f"no {path}: cmake --build {Config.windows_build} --target package")
        with zipfile.ZipFile(path) as package:
            files = sorted(name for name in package.namelist() if not name.endswith("/"))
            self.assertEqual(files, [f"{PACKAGE}/README.txt", f"{PACKAGE}/gm_ins.nms", f"{PACKAGE}/tonvale.exe"])
            self.assertIn(b"\r\n", package.read(f"{PACKAGE}/README.txt"), "CR LF line ends, for Notepad")
            unpacked = self.folder("unpacked")
            package.extractall(unpacked)
        program = os.path.join(unpacked, PACKAGE)
        self.assertEqual(first_icon(os.path.join(program, "tonvale.exe")),
                         ("APPICON", [(16, 16, 32), (32, 32, 32), (48, 48, 32)]), "the icon Explorer shows")
        tonvale = self.start_tonvale(folder=program)
        start = tonvale.midi.mark()
        tonvale.press("q")
        tonvale.midi.wait_for_message("note-off 0x80 60 127", since=start)
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, ["note-on 0x90 60 127", "note-off 0x80 60 127"], since=start)
