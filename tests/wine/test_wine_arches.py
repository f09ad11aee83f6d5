#!/usr/bin/env python3
"""The probe that decides which kinds of Windows program the Wine tests run
(scripts/wine-arches.sh), seen from the tests' side: a kind this machine
cannot run is skipped (status 77) with its reason, the other still runs.

The 32-bit loader is made unusable by naming one that fails as a 32-bit
loader does on a kernel without 32-bit support (KEST_WINE32_LOADER)."""

import os
import stat
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import kestwine  # noqa: E402

PROBE = os.path.join(HERE, "..", "..", "scripts", "wine-arches.sh")
UNIT_TEST = "tests/win32/status_text_test.exe"


def probe_environment(**extra):
    """This environment without a forced choice of kinds (a suite run with
    KEST_WINE_ARCHES set still tests what the probe decides alone), plus extra."""
    env = {name: value for name, value in os.environ.items() if name != "KEST_WINE_ARCHES"}
    env.update(extra)
    return env


def kind_environment(kind, **extra):
    """The environment CTest gives a test of this kind, plus extra."""
    paths = kestwine.PATHS
    env = probe_environment(KEST_WINE_ARCH=kind,
               KEST_WINDOWS_DIR=os.path.join(os.path.dirname(paths.native), kind),
               KEST_WINE_TEMPLATE=os.path.join(paths.native, "wine-template-" + kind))
    env.update(extra)
    return env


def run(args, env, timeout):
    completed = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, timeout=timeout, check=False)
    return completed.returncode, completed.stdout.decode("latin-1")


class WineArchesTest(unittest.TestCase):

    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="kest-arches-")
        self.addCleanup(scratch.cleanup)
        # A loader that fails the way the 32-bit one does where the kernel
        # runs no 32-bit code.
        self.broken_loader = os.path.join(scratch.name, "wine")
        with open(self.broken_loader, "w") as f:
            f.write("#!/bin/sh\necho \"$0: cannot execute binary file: Exec format error\" >&2\n"
                    "exit 126\n")
        os.chmod(self.broken_loader, stat.S_IRWXU)

    def test_unusable_32_bit_loader_skips_the_32_bit_set_and_runs_the_64_bit_one(self):
        env = probe_environment(KEST_WINE32_LOADER=self.broken_loader)
        status, output = run(["bash", PROBE], env, 60)
        self.assertEqual(status, 0, output)
        self.assertIn("win32 skipped: this machine runs no 32-bit code", output)

        status, output = run([sys.executable, os.path.join(HERE, "run_win32_test.py"), UNIT_TEST],
                             kind_environment("win32", KEST_WINE32_LOADER=self.broken_loader), 120)
        self.assertEqual(status, kestwine.SKIP_STATUS, output)
        self.assertRegex(output, r"(?m)^skipped: win32 tests: this machine runs no 32-bit code")
        self.assertNotIn("PASSED", output)

        runs, reason = kestwine.probe_wine("win64")
        if not runs:
            self.skipTest("the 64-bit set cannot run here either: %s" % reason)
        status, output = run([sys.executable, os.path.join(HERE, "run_win32_test.py"), UNIT_TEST],
                             kind_environment("win64", KEST_WINE32_LOADER=self.broken_loader), 180)
        self.assertEqual(status, 0, output)
        self.assertIn("[  PASSED  ]", output)

    def test_the_environment_can_leave_a_kind_out(self):
        env = dict(os.environ, KEST_WINE_ARCHES="win64")
        status, output = run(["bash", PROBE, "win32"], env, 60)
        self.assertEqual(status, 1)
        self.assertEqual(output.strip(), "win32 skipped: KEST_WINE_ARCHES=win64 leaves it out")
        env = dict(os.environ, KEST_WINE_ARCHES="win32",
                   KEST_WINE32_LOADER=self.broken_loader)
        status, output = run(["bash", PROBE], env, 60)
        self.assertEqual(status, 0)
        self.assertEqual(output.splitlines()[1],
                         "win64 skipped: KEST_WINE_ARCHES=win32 leaves it out")


if __name__ == "__main__":
    unittest.main(verbosity=2)
