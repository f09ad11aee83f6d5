#!/usr/bin/env python3
"""Compiles resources/kestsetup.rc with windres into a .res file and reads
that back as Windows will: every resource under its type and name, the
data resources, the icon group, and the dialog templates control by control.

Usage: test_resource_script.py WINDRES"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RESOURCES = os.path.join(SOURCE_DIR, "resources")
WINDRES = "i686-w64-mingw32-windres"
ARCHIVE_STAND_IN = b"-lh5- stand-in archive bytes\x00"

# Resource types (winuser.h).
RT_ICON, RT_BITMAP, RT_DIALOG, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = \
    3, 2, 5, 10, 14, 16, 24

# Window, dialog and control styles (winuser.h).
WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_BORDER, WS_SYSMENU = 0x00C00000, 0x00800000, 0x00080000
WS_GROUP, WS_TABSTOP = 0x00020000, 0x00010000
DS_MODALFRAME, DS_SETFONT = 0x80, 0x40
SS_LEFT = 0
ES_AUTOHSCROLL, ES_OEMCONVERT = 0x80, 0x400
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX = 0, 1, 3
PREDEFINED_CLASSES = {0x80: "button", 0x81: "edit", 0x82: "static"}


def read_res(data):
    """Returns {(type, name): bytes} of a 32-bit .res file; type and name are
    ints for ordinals and upper-case strings for names."""
    entries = {}
    position = 0
    while position < len(data):
        data_size, header_size = struct.unpack_from("<II", data, position)
        cursor = position + 8
        type_id, cursor = read_name_or_ordinal(data, cursor)
        name_id, cursor = read_name_or_ordinal(data, cursor)
        body = position + header_size
        if data_size or type_id:
            key = (type_id, name_id)
            assert key not in entries, key
            entries[key] = data[body:body + data_size]
        position = (body + data_size + 3) & ~3
    return entries


def read_name_or_ordinal(data, cursor, fold_case=True):
    """Reads a resource name, class or control text at CURSOR: 0xFFFF and a
    16-bit ordinal, or a zero-terminated UTF-16 string (in capitals when
    FOLD_CASE, as names compare without case). Returns (value, next offset)."""
    first = struct.unpack_from("<H", data, cursor)[0]
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, cursor + 2)[0], cursor + 4
    text, cursor = read_utf16(data, cursor)
    return (text.upper() if fold_case else text), cursor


def read_utf16(data, cursor):
    """Reads a zero-terminated UTF-16 string; returns (text, next offset)."""
    end = cursor
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[cursor:end].decode("utf-16-le"), end + 2


def read_dialog(data):
    """Returns a classic DLGTEMPLATE as a dict with its controls, each a
    tuple (id, class, text, style, x, y, w, h)."""
    style, ex_style, count, x, y, w, h = struct.unpack_from("<IIHhhhh", data, 0)
    cursor = 18
    menu, cursor = read_name_or_ordinal(data, cursor)
    window_class, cursor = read_name_or_ordinal(data, cursor)
    title, cursor = read_utf16(data, cursor)
    font = None
    if style & DS_SETFONT:
        points = struct.unpack_from("<H", data, cursor)[0]
        face, cursor = read_utf16(data, cursor + 2)
        font = (points, face)
    controls = []
    for _ in range(count):
        cursor = (cursor + 3) & ~3
        c_style, c_ex, cx, cy, cw, ch, c_id = struct.unpack_from("<IIhhhhH", data, cursor)
        cursor += 18
        c_class, cursor = read_name_or_ordinal(data, cursor)
        if isinstance(c_class, int):
            c_class = PREDEFINED_CLASSES[c_class]
        c_text, cursor = read_name_or_ordinal(data, cursor, fold_case=False)
        extra = struct.unpack_from("<H", data, cursor)[0]
        cursor += 2 + extra
        assert c_ex == 0
        c_id = c_id - 0x10000 if c_id >= 0x8000 else c_id
        controls.append((c_id, c_class.lower(), c_text, c_style, cx, cy, cw, ch))
    return {"style": style, "ex_style": ex_style, "rect": (x, y, w, h), "menu": menu,
            "class": window_class, "title": title, "font": font, "controls": controls}


class ResourceScript(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "gamedata.lzh"), "wb") as f:
                f.write(ARCHIVE_STAND_IN)
            output = os.path.join(folder, "kestsetup.res")
            subprocess.run([WINDRES, "-I", RESOURCES, "-I", folder,
                            os.path.join(RESOURCES, "kestsetup.rc"), "-O", "res", "-o", output],
                           check=True)
            with open(output, "rb") as f:
                cls.entries = read_res(f.read())

    def resource_file(self, name):
        with open(os.path.join(RESOURCES, name), "rb") as f:
            return f.read()

    def test_exactly_the_expected_resources(self):
        self.assertEqual(sorted(self.entries, key=repr), sorted([
            (RT_ICON, 1), (RT_GROUP_ICON, 100), ("WAVE", "MUSIC"),
            (RT_BITMAP, "FRONT"), (RT_BITMAP, "BACK"), (RT_BITMAP, "REMOVE"),
            (RT_BITMAP, "REMOVEHL"), (RT_RCDATA, "PALETTE"), ("MYDATA", "GAMEDATA"),
            (RT_DIALOG, "FOLDERDLG"), (RT_DIALOG, "PROPDLG"), (RT_DIALOG, 1050),
            (RT_VERSION, 1), (RT_MANIFEST, 1)], key=repr))

    def test_data_resources_hold_the_files(self):
        for name in ("FRONT", "BACK", "REMOVE", "REMOVEHL"):
            # a bitmap resource is its .bmp file without the 14-byte file header
            self.assertEqual(self.entries[(RT_BITMAP, name)],
                             self.resource_file(name.lower() + ".bmp")[14:], name)
        self.assertEqual(self.entries[(RT_RCDATA, "PALETTE")], self.resource_file("palette.bin"))
        self.assertEqual(self.entries[("WAVE", "MUSIC")], self.resource_file("music.wav"))
        self.assertEqual(self.entries[("MYDATA", "GAMEDATA")], ARCHIVE_STAND_IN)

    def test_icon_group_100_names_one_32x32_sixteen_colour_image(self):
        group = self.entries[(RT_GROUP_ICON, 100)]
        self.assertEqual(struct.unpack_from("<HHH", group, 0), (0, 1, 1))
        width, height, colours, _, planes, bits, size, image_id = \
            struct.unpack_from("<BBBBHHIH", group, 6)
        self.assertEqual((width, height, colours, planes, bits, image_id), (32, 32, 16, 1, 4, 1))
        self.assertEqual(size, len(self.entries[(RT_ICON, 1)]))
        self.assertEqual(self.entries[(RT_ICON, 1)], self.resource_file("kestsetup.ico")[22:])

    def test_folder_dialog_template(self):
        dialog = read_dialog(self.entries[(RT_DIALOG, "FOLDERDLG")])
        self.assertEqual(dialog["style"], WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU
                         | DS_MODALFRAME | DS_SETFONT)
        self.assertEqual((dialog["ex_style"], dialog["rect"], dialog["menu"], dialog["class"]),
                         (0, (0, 0, 200, 80), "", ""))
        self.assertEqual((dialog["title"], dialog["font"]), ("Demo Setup", (8, "Helv")))
        child = WS_CHILD | WS_VISIBLE
        controls = dialog["controls"]
        self.assertEqual([c[:2] + c[3:] for c in controls], [
            (300, "static", child | WS_GROUP | SS_LEFT, 1, 10, 203, 8),
            (-1, "static", child | WS_GROUP | SS_LEFT, 10, 20, 203, 8),
            (100, "edit", child | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_OEMCONVERT,
             10, 30, 140, 12),
            (200, "button", child | WS_TABSTOP | BS_PUSHBUTTON, 155, 30, 40, 14),
            (1, "button", child | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 40, 60, 40, 14),
            (2, "button", child | WS_TABSTOP | BS_PUSHBUTTON, 120, 60, 40, 14),
        ])
        self.assertEqual([c[2] for c in controls][1:],
                         ["Game Folder", "", "Browse...", "Okay", "Cancel"])

    def test_options_dialog_template(self):
        dialog = read_dialog(self.entries[(RT_DIALOG, "PROPDLG")])
        self.assertEqual(dialog["style"], WS_CAPTION | DS_MODALFRAME | DS_SETFONT)
        self.assertEqual((dialog["ex_style"], dialog["rect"], dialog["menu"], dialog["class"]),
                         (0, (22, 17, 220, 199), "", ""))
        self.assertEqual((dialog["title"], dialog["font"]),
                         ("Brevald Game Configuration", (9, "MS Sans Serif")))
        child = WS_CHILD | WS_VISIBLE
        self.assertEqual(dialog["controls"], [
            (1, "button", "Okay", child | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON,
             59, 176, 45, 14),
            (2, "button", "Cancel", child | WS_TABSTOP | BS_PUSHBUTTON, 114, 176, 45, 14),
            (500, "systabcontrol32", "Generic1", child, 4, 6, 212, 156),
        ])

    def test_options_page_template(self):
        dialog = read_dialog(self.entries[(RT_DIALOG, 1050)])
        self.assertEqual(dialog["style"], WS_CHILD | WS_VISIBLE | DS_SETFONT)
        self.assertEqual((dialog["rect"], dialog["title"], dialog["font"]),
                         ((10, 21, 196, 130), "", (9, "MS Sans Serif")))
        box = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX
        self.assertEqual(dialog["controls"], [
            (201, "button", "DirectSound", box, 17, 39, 53, 10),
            (202, "button", "DirectX", box, 17, 53, 53, 10),
            (203, "button", "WinDirect", box, 17, 67, 53, 10),
            (-1, "static", "These options will help to solve compatibility problems that "
             "you may be experiencing with sound or graphics. ",
             WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 11, 7, 168, 21),
        ])


if __name__ == "__main__":
    if len(sys.argv) > 1:
        WINDRES = sys.argv.pop(1)
    unittest.main()
