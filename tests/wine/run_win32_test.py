#!/usr/bin/env python3
"""Runs one Win32 test program under Wine, in a fresh copy of the template
prefix inside a private Xvfb, and ends with the program's exit status.

    run_win32_test.py [--timeout S] EXE [ARGUMENTS...]

The program's output is passed through. Nothing is left running.
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

    name = os.path.splitext(os.path.basename(args.exe))[0]
    try:
        with kestwine.WineSession(name) as session:
            completed = session.wine(args.exe, *args.arguments, timeout=args.timeout)
    except kestwine.HarnessError as error:
        print("run_win32_test: %s" % error, file=sys.stderr)
        return 1
    sys.stdout.write(completed.stdout)
    sys.stderr.write(completed.stderr)
    return completed.returncode


if __name__ == "__main__":
    sys.exit(main())
