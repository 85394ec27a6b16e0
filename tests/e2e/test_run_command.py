"""The run command (tools/run.sh) as a user starts it without a display: it
makes its own virtual screen, runs the program with the MIDI monitor, and
leaves nothing behind when it is terminated."""

import os
import select
import signal
import subprocess
import time
import uuid

from harness import Config, E2ETest, stop_wineserver, wait_until

HOW_TO_PLAY = "Q row and digits: left section; Z row and home row: right section; Tab switches; OFF quits"


def processes_with(variable):
    """The names of the live processes whose environment holds variable
    ("NAME=value"): whatever the run command started, Wine's included."""
    names = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if variable.encode() not in f.read().split(b"\0"):
                    continue
            with open(f"/proc/{pid}/comm") as f:
                names.append((int(pid), f.read().strip()))
        except OSError:
            continue  # ended meanwhile
    return names


class RunCommandTest(E2ETest):

    def test_a_terminated_run_command_leaves_nothing_it_started_running(self):
        mark = f"TONVALE_RUN_TEST={uuid.uuid4().hex}"
        env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "TONVALE_")) and k != "DISPLAY"}
        env.update(TONVALE_PREBUILT=Config.windows_build, TONVALE_WINEPREFIX=Config.prefix)
        env.update([mark.split("=")])
        run = subprocess.Popen([os.path.join(Config.source_dir, "tools", "run.sh")], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True)
        self.addCleanup(self.end_all, run, mark)
        output = b""

        def read_output():
            nonlocal output
            if select.select([run.stdout], [], [], 0)[0]:
                output += os.read(run.stdout.fileno(), 4096)
            return output.decode(errors="replace")
        # The monitor's first program change: the program's window is being made.
        wait_until(lambda: "program   ch 1" in read_output() or run.poll() is not None, 30, "the program to start")
        self.assertIsNone(run.poll(), read_output())
        self.assertEqual(read_output().splitlines().count(HOW_TO_PLAY), 1, read_output())
        started = {name for _, name in processes_with(mark)}
        self.assertTrue({"Xvfb", "tonvale.exe", "explorer.exe"} <= started, started)
        self.assertTrue(any(name.startswith("wineserver") for name in started), started)

        run.send_signal(signal.SIGTERM)
        self.assertEqual(run.wait(30), 128 + signal.SIGTERM)
        left = []
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            left = processes_with(mark)
            if not left:
                break
            time.sleep(0.1)
        self.assertEqual(left, [], "still running after the run command ended")

    def end_all(self, run, mark):
        """Ends what a failed test left: only processes of this test's own."""
        if run.poll() is None:
            run.kill()
            run.wait()
        run.stdout.close()
        stop_wineserver(Config.prefix)
        for pid, _ in processes_with(mark):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
