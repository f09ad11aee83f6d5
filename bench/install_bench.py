#!/usr/bin/env python3
"""The install benchmark: the keyboard install road under Wine, N times,
each in a fresh prefix and screen, and the removal after it.

    install_bench.py [--runs N] [--template DIR] [--folder C:\\...] [--if-runnable]
                     [--record DIR]

Prints, for every run and as medians over the runs, the seconds from Enter
in the folder dialog to the completion box, split into phases, and the
seconds from Yes in the removal question to the "Demo removed." box. With
--record, the median install is kept in DIR, and once both kinds have run
into it (as the install_bench target runs them), the 64-bit installer's
median over the 32-bit one's is printed.

The installer is not changed or traced; the phases come from what it
leaves behind and from the screen:
  - Enter: the X server's report of the key press to the folder dialog
    (xev listening to its window);
  - folder made: birth time of the install folder (before it come the
    dialog's closing and the archive's check in memory);
  - first file: birth time of the archive's first member in the folder;
  - last file: the latest modification time of the members (the driver
    member's own, carried over to the system directory's copy);
  - driver: status-change time of C:\\windows\\system32\\MGLDIB.DRV;
  - group file: modification time of C:\\windows\\SETUP.INI;
  - shortcut: modification time of the shortcut the program-group
    converter (grpconv.exe, started by the installer) saves;
  - box: the X server's report that the message box was mapped (xev
    watching the root window), so no polling delay enters the figures.
The registry record, which leaves no file time behind, comes between the
driver and the group file. The installer does not wait for the converter,
so its shortcut and the box race; the box has come last in every run seen
here. In the
removal, folder gone is the modification time of the install folder's
parent, which its deletion changes.

The kind of Windows program is kestwine's choice (KEST_WINE_ARCH, else the
32-bit one where this machine runs it); the programs are those of that
kind's Windows tree (KEST_WINDOWS_DIR). When this machine cannot run that
kind it says why and ends with status 77, or 0 with --if-runnable. The
template prefix is made afresh by make_template_prefix.py unless --template
names one.

This is a benchmark, not a test: it judges nothing, and figures taken
while other work loads the machine vary; compare medians of one run.
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "wine"))
import installview  # noqa: E402
import kestwine  # noqa: E402
import make_template_prefix  # noqa: E402
import removeview  # noqa: E402
import shellview  # noqa: E402

DEFAULT_FOLDER = "C:\\Games\\Kest Demo"
SYSTEM_DRIVER = installview.SYSTEM_DRIVER
GROUP_FILE = installview.GROUP_FILE

# The columns printed, each the difference of two moments of a run.
INSTALL_PHASES = (
    ("install", "enter", "box"),
    ("to first file", "enter", "first file"),
    ("extraction", "first file", "last file"),
    ("driver+group+record", "last file", "box"),
)
INSTALL_DETAIL = (
    ("enter->folder", "enter", "folder made"),
    ("folder->first", "folder made", "first file"),
    ("last->driver", "last file", "driver"),
    ("driver->group", "driver", "group file"),
    ("group->link", "group file", "shortcut"),
    ("link->box", "shortcut", "box"),
)
REMOVAL_PHASES = (
    ("removal", "yes", "box"),
    ("to folder gone", "yes", "folder gone"),
    ("folder gone->box", "folder gone", "box"),
)


class EventWatcher:
    """Notes the host time at which the X server reports events of one kind
    (xev, its output read as it comes): MapNotify on the root window for
    every top-level window shown, or KeyPress on one window for every key
    it gets. Each entry is (host time, detail): the window id mapped, or
    the key's name."""

    def __init__(self, session, kind, window=None):
        self.kind = kind
        self.events = []
        target = ["-root", "-event", "substructure"] if window is None else \
                 ["-id", str(window), "-event", "keyboard"]
        self.process = subprocess.Popen(
            ["stdbuf", "-oL", "xev"] + target, env=session.env, stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        pending = None
        for raw in self.process.stdout:
            line = raw.decode("latin-1")
            if line.startswith(self.kind + " event"):
                pending = time.time()
                continue
            if pending is None:
                continue
            window = re.search(r"\bwindow (0x[0-9a-f]+)", line)
            key = re.search(r"\(keysym 0x[0-9a-f]+, (\w+)\)", line)
            if self.kind == "MapNotify" and window:
                self.events.append((pending, int(window.group(1), 16)))
                pending = None
            elif self.kind == "KeyPress" and key:
                self.events.append((pending, key.group(1)))
                pending = None

    def wait_for(self, found, timeout, what):
        """Waits until found(host time, detail) is true for an event; returns
        that event's time."""
        seen = 0

        def check():
            nonlocal seen
            events = list(self.events)
            for moment, detail in events[seen:]:
                if found(moment, detail):
                    return (moment,)
            seen = len(events)
            return None
        return kestwine.wait_until(check, timeout, interval=0.005, what=what)[0]

    def stop(self):
        kestwine._kill_group(self.process)
        self.process.stdout.close()


def window_name(session, window):
    shown = session.run(["xdotool", "getwindowname", str(window)], timeout=20)
    return shown.stdout.strip() if shown.returncode == 0 else None


def file_times(path):
    """(birth, modification, status change) of a host file, in seconds."""
    completed = subprocess.run(["stat", "-c", "%.9W %.9Y %.9Z", path], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, timeout=20, check=True)
    birth, modified, changed = (float(value) for value in completed.stdout.split())
    return birth or None, modified, changed


def press_return(session, title, keys):
    """Presses Enter in the window of this title; returns the moment its
    key press reached the window. keys is an EventWatcher on it."""
    session.run(["xdotool", "windowfocus", str(session.x_window(title))], timeout=20, check=True)
    session.run(["xdotool", "key", "--delay", "0", "Return"], timeout=20, check=True)
    return keys.wait_for(lambda moment, key: key == "Return", 20, "Return to reach " + title)


def wait_box(session, text, maps, since):
    """Waits for the installer's box showing text; returns the moment it
    was mapped on the screen. Nothing runs under Wine until it is shown:
    the watch is the X server's report, and the driver reads the box's
    text only afterwards."""
    moment = maps.wait_for(
        lambda moment, window: moment >= since
        and window_name(session, window) == kestwine.MESSAGE_CAPTION,
        installview.INSTALL_TIMEOUT, "a message box")
    box = installview.next_message(session, 20)
    if box is None or box.text != text:
        raise kestwine.HarnessError("expected the box %r, saw %r" %
                                    (text, box.text if box else None))
    return moment


def watch_keys(session, title):
    """An EventWatcher of the keys that reach the window of this title,
    known to be listening (a Shift press, which does nothing there, has
    been seen)."""
    window = session.x_window(title)
    keys = EventWatcher(session, "KeyPress", window)

    def shift_seen():
        session.run(["xdotool", "windowfocus", str(window)], timeout=20, check=True)
        session.run(["xdotool", "key", "shift"], timeout=20, check=True)
        return any(key.startswith("Shift") for _, key in list(keys.events))
    kestwine.wait_until(shift_seen, 20, interval=0.2, what="xev listening to " + title)
    return keys


def install(session, maps, folder):
    """The keyboard road into folder; returns the moments of the run."""
    program, window = installview.start_setup(session)
    installview.open_folder_dialog(session, window, by="keyboard")
    keys = watch_keys(session, installview.FOLDER_DIALOG_TITLE)
    try:
        installview.type_folder(session, folder)
        moments = {"enter": press_return(session, installview.FOLDER_DIALOG_TITLE, keys)}
    finally:
        keys.stop()
    moments["box"] = wait_box(session, installview.COMPLETION_TEXT, maps, moments["enter"])

    members = installview.game_members()
    here = session.host_path(folder)
    moments["folder made"] = file_times(here)[0]
    moments["first file"] = file_times(os.path.join(here, members[0]))[0]
    last = [file_times(os.path.join(here, name))[1] for name in members
            if name != installview.DRIVER_MEMBER]
    _, driver_modified, driver_changed = file_times(session.host_path(SYSTEM_DRIVER))
    moments["last file"] = max(last + [driver_modified])
    moments["driver"] = driver_changed
    moments["group file"] = file_times(session.host_path(GROUP_FILE))[1]
    moments["shortcut"] = file_times(session.host_path(installview.SHORTCUT))[1]
    session.message_box(press="OK")
    return program, moments


def remove(session, maps, folder, exe):
    """Un-Install selected with the mouse and Enter, Yes with Enter; returns
    the moments of the removal."""
    pictures = shellview.SplashPictures(exe)
    for offset in (40, 41):
        session.mouse_move(shellview.ORIGIN_X + offset, shellview.ORIGIN_Y + offset)
    session.wait_for_picture(pictures.window(installed=True),
                             shellview.ORIGIN_X, shellview.ORIGIN_Y)
    session.mouse_move(*shellview.spot_center_on_screen(shellview.SPOT_INSTALL))
    session.wait_for_picture(pictures.window(shellview.SPOT_INSTALL, installed=True),
                             shellview.ORIGIN_X, shellview.ORIGIN_Y)
    session.key(session.x_window(shellview.WINDOW_TITLE), "Return")
    question = installview.next_message(session, 20)
    if question is None or question.text != removeview.QUESTION_TEXT:
        raise kestwine.HarnessError("no removal question")
    keys = watch_keys(session, kestwine.MESSAGE_CAPTION)
    try:
        moments = {"yes": press_return(session, kestwine.MESSAGE_CAPTION, keys)}
    finally:
        keys.stop()
    moments["box"] = wait_box(session, removeview.REMOVED_TEXT, maps, moments["yes"])
    parent = os.path.dirname(session.host_path(folder))
    moments["folder gone"] = file_times(parent)[1]
    if os.path.exists(session.host_path(folder)):
        raise kestwine.HarnessError("the install folder is still there after the removal")
    session.message_box(press="OK")
    return moments


def durations(moments, phases):
    return {label: moments[end] - moments[start] for label, start, end in phases}


def print_row(label, values, columns):
    print("%-8s" % label + "".join("%*.3f" % (max(len(name), 7) + 2, values[name])
                                   for name, _, _ in columns))


def print_header(columns):
    print("%-8s" % "" + "".join("%*s" % (max(len(name), 7) + 2, name) for name, _, _ in columns))


def run_benchmark(runs, template, folder):
    paths = kestwine.PATHS
    installs, details, removals = [], [], []
    for number in range(1, runs + 1):
        with kestwine.WineSession("install-bench-%d" % number, template=template) as session:
            maps = EventWatcher(session, "MapNotify")
            try:
                program, moments = install(session, maps, folder)
                removal = remove(session, maps, folder, paths.installer)
            finally:
                maps.stop()
            session.key(session.x_window(shellview.WINDOW_TITLE), "Escape")
            program.wait(15)
        installs.append(durations(moments, INSTALL_PHASES))
        details.append(durations(moments, INSTALL_DETAIL))
        removals.append(durations(removal, REMOVAL_PHASES))
        print("run %d: install %.3f s, removal %.3f s" %
              (number, installs[-1]["install"], removals[-1]["removal"]), flush=True)

    def medians(rows, columns):
        return {name: statistics.median(row[name] for row in rows) for name, _, _ in columns}

    print("\n== %s installer %s, %d runs; seconds" % (paths.kind, paths.installer, runs))
    for title, rows, columns in (("install, from Enter in the folder dialog to the completion box",
                                  installs, INSTALL_PHASES),
                                 ("install in detail", details, INSTALL_DETAIL),
                                 ("removal, from Yes to the \"Demo removed.\" box",
                                  removals, REMOVAL_PHASES)):
        print("-- " + title)
        print_header(columns)
        for number, row in enumerate(rows, 1):
            print_row("run %d" % number, row, columns)
        print_row("median", medians(rows, columns), columns)
    return medians(installs, INSTALL_PHASES)["install"]


def record_median(folder, kind, median):
    """Writes this kind's median install seconds into folder and, when the
    other kind's stands there from the same benchmark run, prints the
    ratio of the two (the 64-bit installer's over the 32-bit one's)."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, kind + ".median"), "w") as f:
        f.write("%.6f\n" % median)
    medians = {}
    for name in ("win32", "win64"):
        path = os.path.join(folder, name + ".median")
        if os.path.exists(path):
            with open(path) as f:
                medians[name] = float(f.read())
    if len(medians) == 2 and medians["win32"] > 0:
        print("\ninstall median, win64 / win32: %.2f (%.3f s / %.3f s)" %
              (medians["win64"] / medians["win32"], medians["win64"], medians["win32"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--template", help="a template prefix made by make_template_prefix.py")
    parser.add_argument("--folder", default=DEFAULT_FOLDER, help="the folder typed")
    parser.add_argument("--if-runnable", action="store_true",
                        help="end with status 0 when this kind cannot run here")
    parser.add_argument("--record", metavar="DIR",
                        help="keep the median install time in DIR and print its ratio to the "
                             "other kind's, when that is there")
    args = parser.parse_args()
    runs, reason = kestwine.probe_wine(kestwine.PATHS.kind)
    if not runs:
        print("install bench: %s skipped: %s" % (kestwine.PATHS.kind, reason))
        return 0 if args.if_runnable else kestwine.SKIP_STATUS
    for tool in ("xev", "stdbuf", "xdotool"):
        if shutil.which(tool) is None:
            print("install bench: %s is missing" % tool, file=sys.stderr)
            return 1
    scratch = None
    template = args.template
    try:
        if template is None:
            scratch = tempfile.mkdtemp(prefix="install-bench-")
            template = os.path.join(scratch, "template")
            print("making a template prefix for %s programs ..." % kestwine.PATHS.kind, flush=True)
            make_template_prefix.make_prefix(template,
                                             os.path.join(kestwine.PATHS.windows, "grpconv.exe"))
        median = run_benchmark(args.runs, template, args.folder)
        if args.record:
            record_median(args.record, kestwine.PATHS.kind, median)
    finally:
        if scratch is not None:
            shutil.rmtree(scratch, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
