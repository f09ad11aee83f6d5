"""kestwine: run the installer and other Win32 programs under Wine, inside
a private Xvfb screen and a fresh Wine prefix, and look at what they do.

A WineSession owns one X server and one prefix (a copy of the run's template
prefix) and ends both, and every process started in them, however the test
ends. It offers what a person at the screen would do (keys, mouse moves and
clicks) and what an observer can check afterwards (screenshots, window texts
through the Win32 driver wintest.exe, the registry, files on drive C:).

Python 3 standard library only; the outside tools are Xvfb, wine, wineserver,
xdotool, ImageMagick's import and convert, and icoutils' wrestool.

Every wait has a timeout. See README.md in this folder for the whole picture.
"""

import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Screen of every session: the installer centres its window on it.
SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768

# Wine's own defaults that tests must not meet: no offers to install Mono
# or Gecko, no desktop menu entries written into the host's home.
WINE_DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"

# The caption of the installer's message boxes.
MESSAGE_CAPTION = "Brevald"

# Wine's settings for an X screen without a window manager, as every
# template prefix carries them. Managed=N: Wine places and stacks its
# windows itself instead of handing them to a manager, so hiding a dialog
# or a message box no longer waits (about a second each time) for a
# manager's answer that never comes. UseTakeFocus=N: a window that gets the
# X focus (xdotool windowfocus) becomes the foreground window, as a click
# on it would make it under a manager; otherwise keys can land on no
# window at all once another program has taken the foreground.
X11_DRIVER_KEY = "HKCU\\Software\\Wine\\X11 Driver"
NO_WINDOW_MANAGER_SETTINGS = (("Managed", "N"), ("UseTakeFocus", "N"))


class HarnessError(AssertionError):
    """Something the test waited for did not happen (a failure, not an error
    of the harness: it derives from AssertionError so unittest reports it as
    a failed check)."""


def _env_dir(name, default):
    value = os.environ.get(name)
    return os.path.abspath(value if value else default)


# Exit status of a test that cannot run on this machine: CTest counts it as
# skipped (SKIP_RETURN_CODE), neither passed nor failed.
SKIP_STATUS = 77


def probe_wine(kind):
    """(runs, text) for a kind of Windows program, "win32" or "win64", as
    scripts/wine-arches.sh decides: (True, loader path) when this machine's
    Wine runs it, else (False, the reason)."""
    script = os.path.join(HERE, "..", "..", "scripts", "wine-arches.sh")
    completed = subprocess.run(["bash", script, kind], stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               timeout=60, check=False)
    line = completed.stdout.decode("latin-1").strip()
    prefix = kind + " runs: "
    if completed.returncode == 0 and line.startswith(prefix):
        return True, line[len(prefix):]
    return False, line.split(": ", 1)[-1] if line else "the probe said nothing"


def _default_kind():
    """The kind the tests run when none is named: the 32-bit one where this
    machine runs it, else the 64-bit one."""
    return "win32" if probe_wine("win32")[0] else "win64"


class Paths:
    """Where the build trees, the sources and the template prefix are, and
    which kind of Windows program runs (KEST_WINE_ARCH: win32 or win64; the
    tree build/win32 or build/win64 holds its programs). CTest passes them
    in the environment; the defaults fit a checkout built with
    scripts/build.sh."""

    def __init__(self):
        self.source = _env_dir("KEST_SOURCE_DIR", os.path.join(HERE, "..", ".."))
        self.native = _env_dir("KEST_NATIVE_DIR", os.path.join(self.source, "build", "native"))
        self.kind = os.environ.get("KEST_WINE_ARCH") or _default_kind()
        if self.kind not in ("win32", "win64"):
            raise ValueError("KEST_WINE_ARCH is %r: win32 or win64" % self.kind)
        self.windows = _env_dir("KEST_WINDOWS_DIR", os.path.join(self.source, "build", self.kind))
        self.template = _env_dir("KEST_WINE_TEMPLATE",
                                 os.path.join(self.native, "wine-template-" + self.kind))
        self.output = _env_dir("KEST_WINE_OUTPUT", os.path.join(self.native, "wine-output"))
        self._loader = None

    @property
    def installer(self):
        return os.path.join(self.windows, "KestSetup.exe")

    @property
    def driver(self):
        return os.path.join(self.windows, "wintest.exe")

    @property
    def loader(self):
        """The Wine loader of this kind; HarnessError when it cannot run here."""
        if self._loader is None:
            runs, text = probe_wine(self.kind)
            if not runs:
                raise HarnessError("%s programs cannot run here: %s" % (self.kind, text))
            self._loader = text
        return self._loader


def exit_unless_runnable(paths=None):
    """Ends the process with SKIP_STATUS and a one-line reason when this
    machine's Wine cannot run the programs of the chosen kind."""
    paths = paths or PATHS
    runs, text = probe_wine(paths.kind)
    if not runs:
        print("skipped: %s tests: %s" % (paths.kind, text))
        sys.exit(SKIP_STATUS)


PATHS = Paths()


def keep_prefix():
    """True when KEST_KEEP_PREFIX asks to keep each session's prefix."""
    return os.environ.get("KEST_KEEP_PREFIX", "") not in ("", "0")


def null_sound_environment():
    """Environment that gives Wine a sound device playing into nothing (ALSA's
    null device), so that sound is played, not refused, on machines without
    sound hardware; empty when the system's ALSA configuration is missing."""
    system_config = "/usr/share/alsa/alsa.conf"
    if not os.path.isfile(system_config):
        return {}
    return {"ALSA_CONFIG_PATH": system_config + ":" + os.path.join(HERE, "..", "..", "scripts", "alsa-null.conf")}


def wait_until(predicate, timeout, interval=0.05, what="condition"):
    """Calls predicate until it returns a true value, which is returned.
    Raises HarnessError naming what after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def _kill_group(process, grace=3.0):
    """Ends a process started in its own session, with its whole group:
    SIGTERM, then SIGKILL after grace seconds. Never raises."""
    if process is None or process.poll() is not None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, sig)
        except (ProcessLookupError, PermissionError):
            pass
        try:
            process.wait(timeout=grace)
            return
        except subprocess.TimeoutExpired:
            continue


# ---------------------------------------------------------------------------
# The X server


class XServer:
    """A private Xvfb on a display number the server picks itself
    (-displayfd): it takes the first number whose lock it can make, so two
    harnesses starting at once never race for one."""

    def __init__(self, log_path=None):
        self.display = None
        self.process = None
        self.log_path = log_path

    def start(self, timeout=20.0):
        log = open(self.log_path, "ab") if self.log_path else subprocess.DEVNULL
        reader, writer = os.pipe()
        # -noreset: by default the server resets whenever its last client
        # leaves, and every xdotool call is a client that comes and goes; a
        # Wine process that connects during such a reset finds no display,
        # and then the installer's window cannot be made (it ends with 0).
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(writer), "-screen", "0",
                 "%dx%dx24" % (SCREEN_WIDTH, SCREEN_HEIGHT), "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=log, pass_fds=(writer,),
                start_new_session=True)
        finally:
            os.close(writer)
            if log is not subprocess.DEVNULL:
                log.close()
        # The server writes its number, then a newline, once it accepts
        # clients; the pipe ends without one when it fails to start.
        answer = b""
        deadline = time.monotonic() + timeout
        try:
            while not answer.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or not select.select([reader], [], [], remaining)[0]:
                    break
                chunk = os.read(reader, 16)
                if not chunk:
                    break
                answer += chunk
        finally:
            os.close(reader)
        if not answer.strip().isdigit():
            self.stop()
            raise HarnessError("Xvfb did not start a display within %.0f s (see %s)" %
                               (timeout, self.log_path))
        self.display = ":%d" % int(answer)
        return self.display

    def stop(self):
        _kill_group(self.process)
        self.process = None


# ---------------------------------------------------------------------------
# Pictures


class Image:
    """An RGB picture: width, height and 3 bytes per pixel, rows top down."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError("picture data does not match %dx%d" % (width, height))
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    @staticmethod
    def load(path):
        """Reads a binary PPM directly; any other format through ImageMagick."""
        if not path.lower().endswith(".ppm"):
            with tempfile.TemporaryDirectory(prefix="kestwine-img-") as scratch:
                converted = os.path.join(scratch, "picture.ppm")
                subprocess.run(["convert", path, "-depth", "8", "-type", "TrueColor", converted],
                               check=True, timeout=60, stdout=subprocess.DEVNULL)
                return Image.load(converted)
        with open(path, "rb") as f:
            data = f.read()
        # P6 header: magic, width, height, maxval, each after white space.
        fields = []
        position = 0
        while len(fields) < 4:
            match = re.compile(rb"\s*(#[^\n]*\n\s*)*(\S+)").match(data, position)
            if not match:
                raise ValueError("%s: not a PPM picture" % path)
            fields.append(match.group(2))
            position = match.end()
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("%s: only 8-bit binary PPM is read" % path)
        width, height = int(fields[1]), int(fields[2])
        position += 1  # the single white-space byte before the pixels
        return Image(width, height, data[position:position + width * height * 3])

    def crop(self, x, y, width, height):
        if x < 0 or y < 0 or x + width > self.width or y + height > self.height:
            raise ValueError("crop %dx%d+%d+%d outside %dx%d" %
                             (width, height, x, y, self.width, self.height))
        rows = []
        for row in range(y, y + height):
            start = (row * self.width + x) * 3
            rows.append(self.rgb[start:start + width * 3])
        return Image(width, height, b"".join(rows))

    def paste(self, other, x, y):
        """A copy of this picture with other drawn at (x, y)."""
        if x < 0 or y < 0 or x + other.width > self.width or y + other.height > self.height:
            raise ValueError("paste outside the picture")
        data = bytearray(self.rgb)
        for row in range(other.height):
            target = ((y + row) * self.width + x) * 3
            source = row * other.width * 3
            data[target:target + other.width * 3] = other.rgb[source:source + other.width * 3]
        return Image(self.width, self.height, bytes(data))

    def pixel(self, x, y):
        start = (y * self.width + x) * 3
        return tuple(self.rgb[start:start + 3])

    def difference(self, other):
        """(count of differing pixels, bounding box (left, top, right,
        bottom) of them or None). Pictures of different sizes differ
        everywhere."""
        if (self.width, self.height) != (other.width, other.height):
            return (max(self.width * self.height, other.width * other.height),
                    (0, 0, max(self.width, other.width), max(self.height, other.height)))
        if self.rgb == other.rgb:
            return 0, None
        count = 0
        left, top, right, bottom = self.width, self.height, -1, -1
        for y in range(self.height):
            start = y * self.width * 3
            end = start + self.width * 3
            if self.rgb[start:end] == other.rgb[start:end]:
                continue
            for x in range(self.width):
                p = start + x * 3
                if self.rgb[p:p + 3] != other.rgb[p:p + 3]:
                    count += 1
                    left, top = min(left, x), min(top, y)
                    right, bottom = max(right, x + 1), max(bottom, y + 1)
        return count, (left, top, right, bottom)

    def save_png(self, path):
        """Writes the picture as an 8-bit RGB PNG."""
        def chunk(kind, payload):
            body = kind + payload
            return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))
        raw = b"".join(b"\0" + self.rgb[y * self.width * 3:(y + 1) * self.width * 3]
                       for y in range(self.height))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                    chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


_resource_cache = {}


def resource_bitmap(exe, name):
    """The bitmap resource name of exe, as the program carries it (taken out
    with wrestool, decoded by ImageMagick)."""
    key = (exe, os.path.getmtime(exe), name)
    if key not in _resource_cache:
        with tempfile.TemporaryDirectory(prefix="kestwine-res-") as scratch:
            bmp = os.path.join(scratch, name + ".bmp")
            with open(bmp, "wb") as out:
                subprocess.run(["wrestool", "-x", "--type=2", "--name=" + name, exe],
                               stdout=out, check=True, timeout=60)
            if os.path.getsize(bmp) == 0:
                raise HarnessError("%s carries no bitmap %s" % (exe, name))
            _resource_cache[key] = Image.load(bmp)
    return _resource_cache[key]


# ---------------------------------------------------------------------------
# Records printed by the driver

_FIELD = re.compile(r'(\w+)=("(?:[^"\\]|\\.)*"|\S*)|("(?:[^"\\]|\\.)*")|(\S+)')
_ESCAPE = re.compile(r"\\(x[0-9A-Fa-f]{2}|.)")


def unquote(text):
    """The text of a quoted driver field, its escapes turned back into bytes
    (as characters 0..255)."""
    def replace(match):
        code = match.group(1)
        if code[0] == "x" and len(code) == 3:
            return chr(int(code[1:], 16))
        return {"n": "\n", "r": "\r", "t": "\t"}.get(code, code)
    return _ESCAPE.sub(replace, text[1:-1])


def _value(raw):
    if raw.startswith('"'):
        return unquote(raw)
    if re.fullmatch(r"-?\d+", raw):
        return int(raw)
    if re.fullmatch(r"0x[0-9A-Fa-f]+", raw):
        return int(raw, 16)
    if re.fullmatch(r"-?\d+(,-?\d+)+", raw):
        return tuple(int(part) for part in raw.split(","))
    return raw


class Record:
    """One line of driver output: a kind, named fields and positional values.
    Fields are reachable as attributes (record.title, record.rect) or by
    name (record["class"])."""

    def __init__(self, line):
        tokens = _FIELD.findall(line.strip())
        if not tokens:
            raise ValueError("empty record")
        self.kind = tokens[0][3] or tokens[0][2]
        self.fields = {}
        self.values = []
        for name, raw, quoted, bare in tokens[1:]:
            if name:
                self.fields[name] = _value(raw)
            else:
                self.values.append(_value(quoted or bare))
        self.line = line

    def __getitem__(self, name):
        return self.fields[name]

    def __getattr__(self, name):
        try:
            return self.__dict__["fields"][name]
        except KeyError:
            raise AttributeError(name) from None

    def __repr__(self):
        return "Record(%r)" % self.line


def parse_records(text):
    return [Record(line) for line in text.splitlines() if line.strip()]


class DriverResult:
    def __init__(self, completed):
        self.status = completed.returncode
        self.stdout = completed.stdout
        self.stderr = completed.stderr
        self.records = parse_records(completed.stdout)

    def first(self, kind):
        for record in self.records:
            if record.kind == kind:
                return record
        return None

    def all(self, kind):
        return [record for record in self.records if record.kind == kind]


class MessageBox:
    """A message box as the driver saw it: the window record, its text,
    whether it shows an icon, and its buttons (records with id, text)."""

    def __init__(self, result):
        self.window = result.first("window")
        self.text = result.first("text").values[0]
        self.icon = result.first("icon").values[0]
        self.buttons = result.all("button")

    @property
    def button_texts(self):
        return [button.text.replace("&", "") for button in self.buttons]


# ---------------------------------------------------------------------------
# Programs running under Wine


class WineProgram:
    """A Win32 program started in the background in a session."""

    def __init__(self, process, name, output_path=None):
        self.process = process
        self.name = name
        self.output_path = output_path

    def wait(self, timeout):
        """The program's exit code; HarnessError when it is still running
        after timeout seconds (it is left running for the session to end)."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("%s still running after %.1f s" % (self.name, timeout)) from None

    def running(self):
        return self.process.poll() is None

    def output(self):
        """What the program wrote to its standard output so far (started
        with capture)."""
        if self.output_path is None:
            return ""
        with open(self.output_path, "rb") as f:
            return f.read().decode("latin-1")


class WineSession:
    """One X server and one fresh Wine prefix, used as a context manager:

        with WineSession("escape-ends") as session:
            program = session.start_installer()
            window = session.x_window("KestDemo")
            session.key(window, "Escape")
            assert program.wait(10) == 0
    """

    def __init__(self, name="session", template=None, paths=PATHS):
        self.name = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)
        self.paths = paths
        self.template = template or paths.template
        self.scratch = None
        self.prefix = None
        self.xserver = None
        self.env = None
        self.programs = []

    # -- lifetime ----------------------------------------------------------

    def __enter__(self):
        self.open()
        return self

    def __exit__(self, kind, value, trace):
        self.close()
        return False

    def open(self):
        if not os.path.isfile(os.path.join(self.template, "system.reg")):
            raise HarnessError("no template prefix at %s (run the wine_prefix fixture, or "
                               "tests/wine/make_template_prefix.py DIR)" % self.template)
        try:
            self.scratch = tempfile.mkdtemp(prefix="kestwine-%s-" % self.name[-40:])
            self.prefix = os.path.join(self.scratch, "prefix")
            subprocess.run(["cp", "-a", self.template, self.prefix], check=True, timeout=120)
            self.xserver = XServer(os.path.join(self.scratch, "xvfb.log"))
            display = self.xserver.start()
            self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH=self.paths.kind,
                            WINEDEBUG="-all", WINEDLLOVERRIDES=WINE_DLL_OVERRIDES,
                            DISPLAY=display)
            self.env.update(null_sound_environment())
            # The pointer starts in a corner, away from the window to come.
            self.mouse_move(0, 0)
        except BaseException:
            self.close()
            raise

    def close(self):
        """Ends every process of the session and removes the prefix (kept,
        with its path printed, when KEST_KEEP_PREFIX is set). Safe to call
        twice; never raises."""
        if self.env is not None:
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=15,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                subprocess.run(["wineserver", "-w"], env=self.env, timeout=15,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except (OSError, subprocess.TimeoutExpired) as error:
                print("kestwine: the wineserver of %s may outlive it: %s" % (self.name, error))
        for program in self.programs:
            _kill_group(program.process)
        self.programs = []
        if self.xserver is not None:
            self.xserver.stop()
            self.xserver = None
        if self.scratch is not None:
            if keep_prefix():
                print("kestwine: kept the prefix of %s at %s" % (self.name, self.prefix))
            else:
                shutil.rmtree(self.scratch, ignore_errors=True)
            self.scratch = None
        self.env = None

    # -- places ------------------------------------------------------------

    @property
    def drive_c(self):
        return os.path.join(self.prefix, "drive_c")

    @property
    def display(self):
        return self.env["DISPLAY"]

    def host_path(self, windows_path):
        """The host path of a path on drive C: (case as given)."""
        match = re.fullmatch(r"[Cc]:\\?(.*)", windows_path)
        if not match:
            raise ValueError("not a path on drive C: %s" % windows_path)
        parts = [part for part in match.group(1).split("\\") if part]
        return os.path.join(self.drive_c, *parts)

    # -- processes ---------------------------------------------------------

    def run(self, args, timeout=60, check=False):
        """Runs a host command in the session's environment and waits for
        it; its output is returned as text (latin-1). Output goes through
        files, not pipes: Wine's helper processes, started by whichever
        program comes first, inherit the output handles and would keep a
        pipe open long after the program itself has ended."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=err, start_new_session=True)
            try:
                status = process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                _kill_group(process)
                out.seek(0)
                tail = out.read().decode("latin-1")[-3000:]
                raise HarnessError("%s did not end within %.1f s; its output so far:\n%s" %
                                   (" ".join(args), timeout, tail)) from None
            out.seek(0)
            err.seek(0)
            completed = subprocess.CompletedProcess(args, status, out.read().decode("latin-1"),
                                                    err.read().decode("latin-1"))
        if check and completed.returncode != 0:
            raise HarnessError("%s ended with %d: %s" % (" ".join(args), completed.returncode,
                                                         completed.stderr.strip()))
        return completed

    def wine(self, exe, *args, timeout=60):
        """Runs a Windows program (a path, or the name of one of Wine's own
        such as reg or attrib) with this kind's loader and waits for it
        (CompletedProcess)."""
        return self.run([self.paths.loader, exe] + list(args), timeout=timeout)

    def wine_checked(self, exe, *args, timeout=60):
        """As wine, but a nonzero exit status raises HarnessError."""
        return self.run([self.paths.loader, exe] + list(args), timeout=timeout, check=True)

    def start(self, exe, *args, capture=False):
        """Starts a Win32 program in the background (a WineProgram). With
        capture, its standard output is kept (in a file, see run) for
        WineProgram.output()."""
        output_path = None
        output = subprocess.DEVNULL
        if capture:
            output_path = os.path.join(self.scratch, "output-%d.txt" % len(self.programs))
            output = open(output_path, "wb")
        try:
            process = subprocess.Popen([self.paths.loader, exe] + list(args), env=self.env,
                                       stdin=subprocess.DEVNULL, stdout=output,
                                       stderr=subprocess.DEVNULL, start_new_session=True)
        finally:
            if capture:
                output.close()
        program = WineProgram(process, os.path.basename(exe), output_path)
        self.programs.append(program)
        return program

    def start_installer(self):
        return self.start(self.paths.installer)

    # -- the driver --------------------------------------------------------

    def driver(self, *args, timeout=40, expect=0):
        """Runs wintest.exe with these arguments. expect is the exit status
        required (None: any); a different one raises HarnessError with the
        driver's complaint."""
        completed = self.wine(self.paths.driver, *args, timeout=timeout)
        result = DriverResult(completed)
        if expect is not None and result.status != expect:
            raise HarnessError("wintest %s: status %d, expected %d: %s" %
                               (" ".join(args), result.status, expect, result.stderr.strip()))
        return result

    def wait_window(self, title, window_class=None, timeout=20):
        """The driver's record of the visible top-level window with exactly
        this title (and class), once it exists."""
        args = ["wait", title, "--timeout", str(int(timeout * 1000))]
        if window_class:
            args += ["--class", window_class]
        return self.driver(*args, timeout=timeout + 30).first("window")

    def wait_window_gone(self, title, timeout=20):
        self.driver("gone", title, "--timeout", str(int(timeout * 1000)), timeout=timeout + 30)

    def dump(self, title, timeout=20):
        """(window record, child records) of the window with this title."""
        result = self.driver("dump", title, "--timeout", str(int(timeout * 1000)),
                             timeout=timeout + 30)
        return result.first("window"), result.all("child")

    def foreground(self):
        """The foreground window's record, or None."""
        return self.driver("foreground").first("window")

    def foreground_title(self):
        """The foreground window's title, or None when there is none."""
        window = self.foreground()
        return window.title if window is not None else None

    def message_box(self, press=None, caption=MESSAGE_CAPTION, timeout=20):
        """Waits for a message box with this caption and returns what it
        shows (a MessageBox); with press, presses that button and waits for
        the box to close."""
        args = ["msgbox", "--caption", caption, "--timeout", str(int(timeout * 1000))]
        if press:
            args += ["--press", press]
        return MessageBox(self.driver(*args, timeout=timeout + 30))

    # -- X: windows, keys, mouse -------------------------------------------

    def x_windows(self, title):
        """X ids of the visible windows with exactly this title."""
        completed = self.run(["xdotool", "search", "--onlyvisible", "--name",
                              "^%s$" % re.escape(title)], timeout=20)
        return [int(line) for line in completed.stdout.split()]

    def x_window(self, title, timeout=20, program=None):
        """The X id of the one visible window with exactly this title. With
        program (a WineProgram), fails at once, saying how it ended, when
        that program ends before the window shows."""
        def single():
            found = self.x_windows(title)
            if len(found) > 1:
                raise HarnessError("%d windows titled %r" % (len(found), title))
            if not found and program is not None and not program.running():
                raise HarnessError("%s ended with %d before a window titled %r showed" %
                                   (program.name, program.process.returncode, title))
            return found[0] if found else None
        return wait_until(single, timeout, interval=0.1, what="an X window titled %r" % title)

    def x_geometry(self, window):
        """(x, y, width, height) of an X window on the screen."""
        completed = self.run(["xdotool", "getwindowgeometry", "--shell", str(window)],
                             timeout=20, check=True)
        values = dict(line.split("=", 1) for line in completed.stdout.split() if "=" in line)
        return tuple(int(values[name]) for name in ("X", "Y", "WIDTH", "HEIGHT"))

    def key(self, window, *keys):
        """Gives the window the keyboard focus and presses the keys (xdotool
        key names: Right, Return, Escape, F12, ...), one after the other."""
        # --sync: the keys go out only once the window has the focus.
        self.run(["xdotool", "windowfocus", "--sync", str(window)], timeout=20, check=True)
        for name in keys:
            self.run(["xdotool", "key", name], timeout=20, check=True)

    def mouse_move(self, x, y):
        """Moves the pointer to screen position (x, y)."""
        self.run(["xdotool", "mousemove", str(x), str(y)], timeout=20, check=True)

    def mouse_click(self, button=1):
        """Presses and releases a mouse button where the pointer is."""
        self.run(["xdotool", "click", str(button)], timeout=20, check=True)

    # -- pictures ------------------------------------------------------------

    def screenshot(self):
        """The whole screen as an Image."""
        path = os.path.join(self.scratch, "screen.ppm")
        self.run(["import", "-silent", "-window", "root", "-depth", "8", "-type", "TrueColor",
                  path], timeout=30, check=True)
        return Image.load(path)

    def wait_for_picture(self, expected, x, y, timeout=10):
        """Waits until the screen shows expected with its top-left corner at
        (x, y), pixel for pixel; expected may also be a list of pictures of
        one size, any of which will do (its index is returned). On timeout
        saves the screen, the (first) expected picture and the region seen
        to the output folder and fails."""
        candidates = list(expected) if isinstance(expected, (list, tuple)) else [expected]
        expected = candidates[0]
        deadline = time.monotonic() + timeout
        while True:
            seen = self.screenshot().crop(x, y, expected.width, expected.height)
            for index, candidate in enumerate(candidates):
                count, box = seen.difference(candidate)
                if count == 0:
                    return index
            count, box = seen.difference(expected)
            if time.monotonic() >= deadline:
                folder = self.save_diagnostics("picture")
                expected.save_png(os.path.join(folder, "expected.png"))
                seen.save_png(os.path.join(folder, "seen.png"))
                raise HarnessError("screen at (%d, %d) differs from the expected picture in %d "
                                   "pixels within %s; pictures in %s" % (x, y, count, box, folder))
            time.sleep(0.1)

    def assert_picture_stays(self, expected, x, y, seconds=1.5):
        """Waits for expected at (x, y), then checks that it is still shown,
        unchanged, after seconds."""
        self.wait_for_picture(expected, x, y)
        time.sleep(seconds)
        self.wait_for_picture(expected, x, y, timeout=0)

    # -- registry and files ----------------------------------------------------

    def reg_add(self, key, name, kind, data):
        """Sets a registry value with `wine reg add` (kind: REG_SZ, REG_DWORD,
        ...; data as reg.exe takes it)."""
        completed = self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", str(data), "/f",
                              timeout=60)
        if completed.returncode != 0:
            raise HarnessError("reg add %s /v %s failed: %s" % (key, name, completed.stderr.strip()))

    def reg_values(self, key):
        """Every value of a registry key as {name: (type, data)}, data a str
        for REG_SZ and kin and an int for REG_DWORD; None when the key does
        not exist. Read with `wine reg query`, which says so with status 1
        and "Unable to find"; any other failure (a reg that Wine tore down
        at its exit, seen on a busy machine) is tried again, twice."""
        for attempt in range(3):
            completed = self.wine("reg", "query", key, timeout=60)
            if completed.returncode == 0:
                break
            if completed.returncode == 1 and "Unable to find" in completed.stdout + completed.stderr:
                return None
        else:
            raise HarnessError("reg query %s ended with %d three times: %s" %
                               (key, completed.returncode, completed.stderr.strip()))
        values = {}
        for line in completed.stdout.splitlines():
            match = re.match(r"^    (.*?)    (REG_[A-Z_]+)    ?(.*?)\r?$", line)
            if match:
                name, kind, data = match.groups()
                values[name] = (kind, int(data, 16) if kind == "REG_DWORD" else data)
        return values

    def reg_query(self, key, name):
        """(type, data) of one registry value, as reg_values gives it; None
        when the value or the key does not exist."""
        return (self.reg_values(key) or {}).get(name)

    def read_file(self, windows_path):
        """The bytes of a file on drive C:, or None when it does not exist."""
        try:
            with open(self.host_path(windows_path), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def write_file(self, windows_path, data):
        path = self.host_path(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def read_log(self):
        """The setup log C:\\BREVALD_SETUP.LOG, or None when there is none."""
        return self.read_file("C:\\BREVALD_SETUP.LOG")

    # -- diagnostics -----------------------------------------------------------

    def save_diagnostics(self, label):
        """Saves the screen, the list of windows and the setup log of this
        moment to a folder under the output folder, prints and returns its
        path. Never raises."""
        folder = os.path.join(self.paths.output, self.name, label)
        try:
            os.makedirs(folder, exist_ok=True)
            try:
                self.screenshot().save_png(os.path.join(folder, "screen.png"))
            except Exception as error:  # a broken screen must not hide the failure
                print("kestwine: no screenshot: %s" % error)
            try:
                listing = self.driver("list", expect=None, timeout=30).stdout
                with open(os.path.join(folder, "windows.txt"), "w") as f:
                    f.write(listing)
            except Exception as error:
                print("kestwine: no window list: %s" % error)
            log = self.read_log()
            if log is not None:
                with open(os.path.join(folder, "BREVALD_SETUP.LOG"), "wb") as f:
                    f.write(log)
            with open(os.path.join(folder, "programs.txt"), "w") as f:
                for program in self.programs:
                    status = program.process.poll()
                    f.write("%s: %s\n" % (program.name, "running" if status is None
                                           else "ended with %d" % status))
            print("kestwine: diagnostics of %s in %s" % (self.name, folder))
        except Exception as error:
            print("kestwine: could not save diagnostics: %s" % error)
        return folder


# ---------------------------------------------------------------------------
# Test cases


class TestBudgetExceeded(HarnessError):
    pass


class WineTestCase(unittest.TestCase):
    """A test with its own WineSession (self.session), ended after the test
    whatever happened. A failing test leaves its screen, window list and log
    in the output folder. Each test must end within time_budget seconds."""

    time_budget = 120

    def setUp(self):
        signal.signal(signal.SIGALRM, self._budget_exceeded)
        signal.signal(signal.SIGTERM, self._terminated)
        signal.alarm(self.time_budget)
        self.session = WineSession(self.id().split(".", 1)[-1])
        self.addCleanup(self._end_session)
        self.session.open()

    def _budget_exceeded(self, signum, frame):
        raise TestBudgetExceeded("test ran longer than %d s" % self.time_budget)

    def _terminated(self, signum, frame):
        raise SystemExit("terminated")

    def _failed(self):
        """True when this test (or one of its subtests) has failed so far.
        unittest offers no public question for this: Python 3.11 and later
        report failures to the result at once, earlier ones collect them in
        the outcome's errors until the test ends."""
        outcome = getattr(self, "_outcome", None)
        if outcome is None:
            return False
        collected = getattr(outcome, "errors", None)
        if collected:
            return any(exc_info is not None for _, exc_info in collected)
        result = getattr(outcome, "result", None)
        for test, _ in getattr(result, "errors", []) + getattr(result, "failures", []):
            if getattr(test, "test_case", test) is self:
                return True
        return False

    def _end_session(self):
        signal.alarm(0)
        if self._failed() and self.session.env is not None:
            self.session.save_diagnostics("failure")
        self.session.close()


def main():
    """Runs the unittest module that calls it, verbosely; skips it as a whole
    when this machine cannot run the chosen kind of program."""
    exit_unless_runnable()
    unittest.main(verbosity=2)
