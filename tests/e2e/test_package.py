"""The package a user downloads: what the zip holds, and the program
started from the folder it unpacks to."""

import os
import xml.etree.ElementTree as ElementTree
import zipfile

from harness import MAIN_WINDOW_CLASS, Config, E2ETest
from pe_resources import first_icon, manifest, version_info

VERSION = MAIN_WINDOW_CLASS.split()[1]  # the window shows the version the package is named after
PACKAGE = f"tonvale-{VERSION}-win64"
WINDOWS_7_TO_11 = ["{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                   "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"]


def manifest_settings(text):
    """What the manifest declares, by the local names of its elements."""
    root = ElementTree.fromstring(text)

    def local(element):
        return element.tag.rsplit("}", 1)[-1]
    found = {"supportedOS": [], "assemblyIdentity": []}
    for element in root.iter():
        if local(element) in found:
            found[local(element)].append(element.get("Id") or element.get("name"))
        elif local(element) in ("dpiAware", "dpiAwareness"):
            found[local(element)] = element.text.strip()
    return found


class PackageTest(E2ETest):

    def test_the_zip_holds_three_files_and_its_program_has_the_icon_version_and_manifest_and_plays_q_where_it_is_unpacked(self):
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
        exe = os.path.join(program, "tonvale.exe")
        numbers = tuple(int(n) for n in VERSION.split(".")) + (0, 0)
        info = version_info(exe)
        self.assertEqual({key: info.get(key) for key in ("ProductName", "FileDescription", "FileVersion",
                                                         "ProductVersion", "OriginalFilename")},
                         {"ProductName": "Tonvale", "FileDescription": "Tonvale, a two-part MIDI keyboard",
                          "FileVersion": VERSION, "ProductVersion": VERSION, "OriginalFilename": "tonvale.exe"})
        self.assertEqual((info["file version"], info["product version"]), (numbers[:4], numbers[:4]))
        self.assertEqual(manifest_settings(manifest(exe)), {
            "supportedOS": WINDOWS_7_TO_11, "assemblyIdentity": ["Microsoft.Windows.Common-Controls"],
            "dpiAware": "true/pm", "dpiAwareness": "PerMonitorV2, PerMonitor"})
        tonvale = self.start_tonvale(folder=program)
        start = tonvale.midi.mark()
        tonvale.press("q")
        tonvale.midi.wait_for_message("note-off 0x80 60 127", since=start)
        tonvale.midi.wait_until_quiet()
        self.assertMessages(tonvale, ["note-on 0x90 60 127", "note-off 0x80 60 127"], since=start)
