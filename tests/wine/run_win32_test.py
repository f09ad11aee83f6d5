#!/usr/bin/env python3
"""Runs one Windows test program under Wine, in a fresh copy of the template
prefix inside a private Xvfb, and ends with the program's exit status.

    run_win32_test.py [--timeout S] EXE [ARGUMENTS...]

EXE is a path inside the Windows tree of the chosen kind (KEST_WINE_ARCH),
e.g. tests/win32/setup_log_test.exe. The program's output is passed
through. Ends with status 77 (skipped) and the reason when this machine
cannot run that kind of program. Nothing is left running.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestwine  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--timeout", type=float, default=120.0)
    parser.add_argument("exe")
    parser.add_argument("arguments", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    kestwine.exit_unless_runnable()

    name = os.path.splitext(os.path.basename(args.exe))[0]
    exe = os.path.join(kestwine.PATHS.windows, args.exe)
    try:
        with kestwine.WineSession(name) as session:
            completed = session.wine(exe, *args.arguments, timeout=args.timeout)
    except kestwine.HarnessError as error:
        print("run_win32_test: %s" % error, file=sys.stderr)
        return 1
    sys.stdout.write(completed.stdout)
    sys.stderr.write(completed.stderr)
    return completed.returncode


if __name__ == "__main__":
    sys.exit(main())
