#!/usr/bin/env python3
"""The probe that decides which kinds of Windows program the Wine tests run
(scripts/wine-arches.sh), seen from the tests' side: a kind this machine
cannot run is skipped (status 77) with its reason, the other still runs.

The 32-bit loader is made unusable by naming one that fails as a 32-bit
loader does on a kernel without 32-bit support (KEST_WINE32_LOADER).

Set-up (scripts/setup.sh) is run against stand-ins for the package tools
(apt_standin.py): a registry that answers only in part, and a 32-bit Wine
that installs only with a library pair pinned, or not at all."""

import json
import os
import re
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


SETUP = os.path.join(HERE, "..", "..", "scripts", "setup.sh")
PACKAGE_TOOLS = ("apt-get", "apt-cache", "dpkg", "dpkg-query", "sudo")
PAIR = ["libgstreamer-plugins-base1.0-0", "1.22.0-3+deb12u6"]


def release_name():
    with open("/etc/os-release") as f:
        match = re.search(r"(?m)^VERSION_CODENAME=(\S+)", f.read())
    return match.group(1) if match else None


def wanted_packages():
    """The packages set-up installs besides the 32-bit Wine, as it lists them."""
    completed = subprocess.run(
        ["bash", "-c", 'eval "$(sed -n "/^PACKAGES=(/,/^)/p" "$0")"; echo "${PACKAGES[@]}"',
         SETUP], stdout=subprocess.PIPE, check=True, timeout=30)
    return completed.stdout.decode().split()


class SetupTest(unittest.TestCase):
    """scripts/setup.sh on a machine whose package tools are stand-ins."""

    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="kest-setup-")
        self.addCleanup(scratch.cleanup)
        self.scratch = scratch.name
        tools = os.path.join(self.scratch, "bin")
        os.mkdir(tools)
        for tool in PACKAGE_TOOLS:
            os.symlink(os.path.join(HERE, "apt_standin.py"), os.path.join(tools, tool))
        self.state_path = os.path.join(self.scratch, "state.json")
        self.note = os.path.join(self.scratch, "wine32-not-installed.txt")
        self.env = probe_environment(PATH=tools + os.pathsep + os.environ["PATH"],
                                     APT_STANDIN_STATE=self.state_path,
                                     KEST_WINE32_NOTE=self.note, KEST_APT_PAUSE="0")
        self.native = PAIR[1].replace("u6", "u7")

    def machine(self, **answers):
        """A machine with none of the packages but the native half of the
        pair, newer than the version both architectures are offered."""
        state = {"installed": {PAIR[0]: self.native}, "foreign": [], "calls": [],
                 "offered": {PAIR[0]: {"amd64": [self.native, PAIR[1]], "i386": [PAIR[1]]},
                             "zlib1g": {"amd64": ["1:1.2.13"], "i386": ["1:1.2.13"]}},
                 "pair": PAIR, "update_fails": False, "wine32": "plain"}
        state.update(answers)
        with open(self.state_path, "w") as f:
            json.dump(state, f)

    def setup(self):
        status, output = run(["bash", SETUP], self.env, 120)
        with open(self.state_path) as f:
            return status, output, json.load(f)

    def test_a_registry_answering_in_part_installs_all_it_can_and_skips_the_32_bit_set(self):
        self.machine(update_fails=True, wine32="never")
        status, output, state = self.setup()
        self.assertEqual(status, 0, output)
        self.assertEqual(3, sum(call.endswith(" update") for call in state["calls"]), output)
        self.assertIn("some package indexes could not be fetched", output)
        for package in wanted_packages():
            self.assertIn(package, state["installed"])
        self.assertNotIn("wine32:i386", state["installed"])
        self.assertIn("i386", state["foreign"])
        said = [line for line in output.splitlines() if "32-bit Wine is not installed" in line]
        self.assertEqual(1, len(said), output)
        self.assertIn("held broken packages", said[0])
        with open(self.note) as f:
            reason = f.read().strip()
        self.assertIn("could not install wine32:i386", reason)

        # The probe and the Wine tests of that kind then skip, saying why.
        env = probe_environment(KEST_WINE32_LOADER=os.path.join(self.scratch, "no-wine"),
                                KEST_WINE32_NOTE=self.note)
        status, output = run(["bash", PROBE, "win32"], env, 60)
        self.assertEqual(1, status, output)
        self.assertEqual("win32 skipped: 32-bit Wine is not installed: " + reason, output.strip())
        status, output = run([sys.executable, os.path.join(HERE, "test_shell_window.py")],
                             kind_environment("win32", **env), 120)
        self.assertEqual(kestwine.SKIP_STATUS, status, output)
        self.assertIn("skipped: win32 tests: 32-bit Wine is not installed: " + reason, output)

    def test_a_library_pair_of_two_versions_is_pinned_to_the_one_both_have(self):
        self.machine(wine32="pinned")
        with open(self.note, "w") as f:
            f.write("an earlier run's reason\n")
        status, output, state = self.setup()
        self.assertEqual(status, 0, output)
        self.assertIn("wine32:i386", state["installed"])
        self.assertEqual(PAIR[1], state["installed"][PAIR[0]])
        self.assertEqual(PAIR[1], state["installed"][PAIR[0] + ":i386"])
        self.assertNotIn("zlib1g:i386", state["installed"])  # one version already: no pin
        final = [call for call in state["calls"] if "wine32:i386" in call and " -s " not in call]
        self.assertIn("-t %s" % release_name(), final[-1])
        self.assertNotIn("32-bit Wine is not installed", output)
        self.assertFalse(os.path.exists(self.note))

    def test_nothing_is_asked_of_the_registry_when_everything_is_present(self):
        installed = {name: "1.0" for name in wanted_packages() + ["wine32:i386"]}
        self.machine(installed=installed, update_fails=True)
        status, output, state = self.setup()
        self.assertEqual(status, 0, output)
        self.assertEqual("setup: all %d packages present" % len(installed), output.strip())
        self.assertFalse([call for call in state["calls"] if call.startswith("apt-get")])


if __name__ == "__main__":
    unittest.main(verbosity=2)
