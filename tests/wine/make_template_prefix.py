#!/usr/bin/env python3
"""Makes the Wine prefix that every Wine test of a run copies.

    make_template_prefix.py [DIR] [--grpconv FILE]

Creates a fresh prefix of the chosen kind (KEST_WINE_ARCH: win32 or win64,
booted by that kind's own loader) with `wineboot -i` under its own Xvfb, waits
for Wine to finish, ends the prefix's wineserver and moves the result to
DIR (replacing what was there). Takes 15-30 s; each test then copies DIR,
which takes about a second. Ends with status 77 (skipped) and the reason
when this machine cannot run that kind of program.

DIR is by default the template the tests of that kind copy
(KEST_WINE_TEMPLATE, see kestwine.Paths).

The prefix is set up for a screen without a window manager
(kestwine.NO_WINDOW_MANAGER_SETTINGS): Wine places and focuses its windows
itself, and a window given the X focus becomes the foreground window, so
no hidden dialog or closed box waits for a manager that never answers.

Programs the installer expects from Windows itself go into C:\\windows of
the template here:
  --grpconv FILE   the program-group converter (copied as grpconv.exe; by
                   default the one of the kind's Windows tree); skipped,
                   with a note, when FILE does not exist.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestwine  # noqa: E402


def boot_prefix(prefix, home, grpconv, timeout, paths=kestwine.PATHS):
    """Creates a prefix at prefix under a private X server and adds the
    programs of Windows itself that the installer expects. Ends every
    process it started."""
    xserver = kestwine.XServer(os.path.join(os.path.dirname(prefix), "xvfb.log"))
    env = None
    try:
        display = xserver.start()
        env = dict(os.environ, WINEPREFIX=prefix, WINEARCH=paths.kind, WINEDEBUG="-all",
                   WINEDLLOVERRIDES=kestwine.WINE_DLL_OVERRIDES, DISPLAY=display, HOME=home)
        subprocess.run([paths.loader, "wineboot", "-i"], env=env, check=True, timeout=timeout,
                       stdin=subprocess.DEVNULL)
        for name, value in kestwine.NO_WINDOW_MANAGER_SETTINGS:
            subprocess.run([paths.loader, "reg", "add", kestwine.X11_DRIVER_KEY, "/v", name,
                            "/t", "REG_SZ", "/d", value, "/f"], env=env, check=True,
                           timeout=timeout, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=timeout)
    finally:
        if env is not None:
            subprocess.run(["wineserver", "-k"], env=env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        xserver.stop()
    if not os.path.isfile(os.path.join(prefix, "system.reg")):
        raise RuntimeError("wineboot made no registry in %s" % prefix)

    # Wine links the user's Desktop, Documents and kin to the home folder;
    # a test's files must stay inside its prefix, so make them folders.
    users = os.path.join(prefix, "drive_c", "users")
    for user in os.listdir(users):
        for name in os.listdir(os.path.join(users, user)):
            path = os.path.join(users, user, name)
            if os.path.islink(path):
                os.unlink(path)
                os.makedirs(path)

    windows = os.path.join(prefix, "drive_c", "windows")
    if grpconv:
        if os.path.isfile(grpconv):
            shutil.copy2(grpconv, os.path.join(windows, "grpconv.exe"))
            print("template: added %s as C:\\windows\\grpconv.exe" % grpconv)
        else:
            print("template: no program-group converter at %s; the prefix has none" % grpconv)


def make_prefix(target, grpconv=None, timeout=240):
    """Builds the template prefix at target. Raises on failure; leaves no
    process running and no half-made prefix at target."""
    parent = os.path.dirname(os.path.abspath(target))
    os.makedirs(parent, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix=".wine-template-", dir=parent)
    try:
        prefix = os.path.join(scratch, "prefix")
        home = os.path.join(scratch, "home")  # no links into the real home's folders
        os.makedirs(home)
        boot_prefix(prefix, home, grpconv, timeout)
        if os.path.isdir(target):
            shutil.rmtree(target)
        os.replace(prefix, target)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("target", nargs="?", default=kestwine.PATHS.template)
    parser.add_argument("--grpconv", default=os.path.join(kestwine.PATHS.windows, "grpconv.exe"),
                        help="program-group converter to place in C:\\windows")
    args = parser.parse_args()
    kestwine.exit_unless_runnable()
    try:
        make_prefix(args.target, args.grpconv)
    except (OSError, RuntimeError, subprocess.SubprocessError, kestwine.HarnessError) as error:
        print("template: failed: %s" % error, file=sys.stderr)
        return 1
    print("template: prefix ready at %s" % args.target)
    return 0


if __name__ == "__main__":
    sys.exit(main())
