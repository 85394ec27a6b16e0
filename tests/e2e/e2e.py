#!/usr/bin/env python3
"""Runs the end-to-end tests of tonvale.exe under Wine and Xvfb.

    e2e.py list                      the tests, one "group.name seconds" a line
    e2e.py prefix-setup              makes the Wine prefix the tests share
    e2e.py prefix-cleanup            ends its Wine server and removes it
    e2e.py run [group.name ...]      runs the named tests (all without names);
                                     without --prefix a temporary prefix is made and removed

Tests are the test_* methods of the E2ETest classes in test_<group>.py beside
this file; "shell.wm_close_ends_the_program" is test_shell.py's
test_wm_close_ends_the_program.
"""

import argparse
import glob
import importlib
import os
import shutil
import signal
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # no __pycache__ in the source tree

import harness  # noqa: E402


def discover():
    """{"group.name": (TestCase class, method name)} for every test."""
    tests = {}
    for path in sorted(glob.glob(os.path.join(HERE, "test_*.py"))):
        group = os.path.basename(path)[len("test_"):-len(".py")]
        module = importlib.import_module(os.path.basename(path)[:-len(".py")])
        for item in vars(module).values():
            if isinstance(item, type) and issubclass(item, harness.E2ETest):
                for method in sorted(vars(item)):
                    if method.startswith("test_"):
                        tests[f"{group}.{method[len('test_'):]}"] = (item, method)
    return tests


def time_limit(test):
    cls, method = test
    return getattr(getattr(cls, method), "time_limit", cls.time_limit)


def run(names, tests):
    unknown = [name for name in names if name not in tests]
    if unknown:
        print(f"no such test: {', '.join(unknown)}", file=sys.stderr)
        return 2
    suite = unittest.TestSuite(tests[name][0](tests[name][1]) for name in (names or sorted(tests)))
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    return 0 if result.wasSuccessful() else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--windows-build", default=os.environ.get("TONVALE_WINDOWS_BUILD",
                        os.path.join(harness.Config.source_dir, "build", "windows")),
                        help="the Windows build folder (default: $TONVALE_WINDOWS_BUILD or build/windows)")
    parser.add_argument("--prefix", help="the WINEPREFIX made by prefix-setup")
    parser.add_argument("command", choices=["list", "prefix-setup", "prefix-cleanup", "run"])
    parser.add_argument("names", nargs="*")
    args = parser.parse_args()

    # ctest ends a test that runs too long with a signal: clean up on the way out.
    def stop(signum, _):
        raise harness.TimeLimitExceeded(f"stopped by signal {signum}")
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGHUP, stop)

    tests = discover()
    if args.command == "list":
        for name, test in sorted(tests.items()):
            print(f"{name} {time_limit(test)}")
        return 0
    if args.command in ("prefix-setup", "prefix-cleanup") and not args.prefix:
        parser.error(f"{args.command} needs --prefix")
    if args.command == "prefix-setup":
        harness.create_prefix(os.path.abspath(args.prefix))
        return 0
    if args.command == "prefix-cleanup":
        harness.remove_prefix(os.path.abspath(args.prefix))
        return 0

    harness.Config.windows_build = os.path.abspath(args.windows_build)
    if not os.path.isfile(os.path.join(harness.Config.windows_build, "tonvale.exe")):
        parser.error(f"no tonvale.exe in {harness.Config.windows_build}: build the Windows program first")
    if args.prefix:
        harness.Config.prefix = os.path.abspath(args.prefix)
        if not os.path.isfile(os.path.join(harness.Config.prefix, "system.reg")):
            parser.error(f"{args.prefix} is no Wine prefix: run prefix-setup first")
        return run(args.names, tests)
    scratch = tempfile.mkdtemp(prefix="tonvale-e2e-prefix-")
    harness.Config.prefix = os.path.join(scratch, "prefix")
    try:
        print(f"making a Wine prefix in {harness.Config.prefix} ...", flush=True)
        harness.create_prefix(harness.Config.prefix)
        return run(args.names, tests)
    finally:
        harness.remove_prefix(harness.Config.prefix)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
