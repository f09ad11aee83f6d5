#!/usr/bin/env python3
"""Checks the committed resource files by reading them as the installer and
Windows will: the splash pictures and their shared palette, the tune and the
icon. The files are parsed here from their formats, independently of the
program that draws them; the last test reruns that program and wants the
same bytes."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RESOURCES = os.path.join(SOURCE_DIR, "resources")
GENERATOR = os.path.join(SOURCE_DIR, "tools", "make_resources.py")
GENERATED_FILES = ["front.bmp", "back.bmp", "remove.bmp", "removehl.bmp", "palette.bin",
                   "music.wav", "kestsetup.ico"]

# The installer's caption rectangles: left, top, right, bottom (exclusive).
HOT_SPOTS = [(174, 158, 294, 184), (174, 184, 294, 210), (174, 210, 294, 236),
             (174, 236, 294, 262)]
CAPTION_W, CAPTION_H = 120, 26
RED = (255, 0, 0)
YELLOW = (255, 255, 0)


def read_bytes(name):
    with open(os.path.join(RESOURCES, name), "rb") as f:
        return f.read()


def parse_dib_file(data):
    """Returns (width, height, colour table as (r, g, b) list, rows of
    indexes from the top) of an 8-bit BI_RGB .bmp file, asserting every
    header field the installer and LoadImage rely on."""
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (header_size, width, height, planes, bits, compression, image_size, _, _,
     used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert magic == b"BM", magic
    assert file_size == len(data), (file_size, len(data))
    assert header_size == 40 and planes == 1 and bits == 8 and compression == 0
    assert width > 0 and height > 0, "expected a bottom-up DIB"
    assert used in (0, 256), used
    table_bytes = data[54:offset]
    assert len(table_bytes) == 1024, len(table_bytes)
    table = [(table_bytes[i + 2], table_bytes[i + 1], table_bytes[i])
             for i in range(0, 1024, 4)]
    stride = (width + 3) & ~3
    assert len(data) - offset == stride * height
    assert image_size in (0, stride * height)
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        rows.append(list(data[start:start + width]))
    return width, height, table, rows


def sub_rows(rows, left, top, right, bottom):
    return [row[left:right] for row in rows[top:bottom]]


class SplashPictures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pictures = {name: parse_dib_file(read_bytes(name + ".bmp"))
                        for name in ("front", "back", "remove", "removehl")}
        cls.table = cls.pictures["front"][2]
        cls.red = [i for i, c in enumerate(cls.table) if c == RED]
        cls.yellow = [i for i, c in enumerate(cls.table) if c == YELLOW]

    def test_sizes(self):
        sizes = {name: pic[:2] for name, pic in self.pictures.items()}
        self.assertEqual(sizes, {"front": (400, 280), "back": (120, 104),
                                 "remove": (120, 26), "removehl": (120, 26)})

    def test_one_colour_table_shared_with_palette_resource(self):
        for name, pic in self.pictures.items():
            self.assertEqual(pic[2], self.table, name)
        palette = read_bytes("palette.bin")
        self.assertEqual(len(palette), 1024)
        # palette.bin is blue, green, red, reserved per entry; reserved is 0
        self.assertEqual([(palette[i + 2], palette[i + 1], palette[i]) for i in range(0, 1024, 4)],
                         self.table)
        self.assertEqual(set(palette[3::4]), {0})
        with open(os.path.join(RESOURCES, "front.bmp"), "rb") as f:
            self.assertEqual(f.read()[54:54 + 1024], palette)

    def test_red_and_yellow_are_single_distinct_entries(self):
        self.assertEqual(len(self.red), 1, "exactly one pure red entry")
        self.assertEqual(len(self.yellow), 1, "exactly one pure yellow entry")

    def test_front_red_only_inside_caption_rectangles(self):
        red = self.red[0]
        rows = self.pictures["front"][3]
        counts = [0] * len(HOT_SPOTS)
        for y, row in enumerate(rows):
            for x, index in enumerate(row):
                if index != red:
                    continue
                inside = [i for i, (l, t, r, b) in enumerate(HOT_SPOTS)
                          if l < x < r - 1 and t < y < b - 1]
                self.assertTrue(inside, "red pixel at (%d, %d) is not strictly inside a caption"
                                % (x, y))
                counts[inside[0]] += 1
        for spot, count in enumerate(counts):
            self.assertGreater(count, 30, "caption %d has too little red" % spot)
        self.assertNotIn(self.yellow[0], {i for row in rows for i in row})

    def test_front_captions_centred_across(self):
        red = self.red[0]
        rows = self.pictures["front"][3]
        for spot, (l, t, r, b) in enumerate(HOT_SPOTS):
            xs = [x for y in range(t, b) for x in range(l, r) if rows[y][x] == red]
            centre = (min(xs) + max(xs) + 1) / 2.0
            self.assertLessEqual(abs(centre - (l + r) / 2.0), 2.0, "caption %d" % spot)

    def assert_highlight_of(self, normal, highlight, what):
        """HIGHLIGHT must equal NORMAL (both lists of rows) except that every
        red pixel is yellow; there must be some caption at all."""
        red, yellow = self.red[0], self.yellow[0]
        self.assertEqual((len(normal), len(normal[0])), (len(highlight), len(highlight[0])))
        changed = 0
        for y, (n_row, h_row) in enumerate(zip(normal, highlight)):
            for x, (n, h) in enumerate(zip(n_row, h_row)):
                if n == red:
                    self.assertEqual(h, yellow, "%s: red at (%d, %d) not yellow" % (what, x, y))
                    changed += 1
                else:
                    self.assertEqual(h, n, "%s: ground differs at (%d, %d)" % (what, x, y))
        self.assertGreater(changed, 30, what)

    def test_back_bands_are_front_captions_in_yellow(self):
        front_rows = self.pictures["front"][3]
        back_rows = self.pictures["back"][3]
        for spot, (l, t, r, b) in enumerate(HOT_SPOTS):
            band = back_rows[26 * spot:26 * spot + 26]
            self.assert_highlight_of(sub_rows(front_rows, l, t, r, b), band, "band %d" % spot)

    def test_remove_highlight_is_remove_in_yellow(self):
        self.assert_highlight_of(self.pictures["remove"][3], self.pictures["removehl"][3],
                                 "REMOVEHL")
        self.assertNotIn(self.yellow[0], {i for row in self.pictures["remove"][3] for i in row})

    def test_remove_lies_on_the_install_caption_ground(self):
        # Away from both captions' ink (and a shadow's reach) REMOVE shows
        # exactly what FRONT shows under the Install caption.
        red = self.red[0]
        l, t, r, b = HOT_SPOTS[1]
        install = sub_rows(self.pictures["front"][3], l, t, r, b)
        remove = self.pictures["remove"][3]
        ink = [(x, y) for y in range(CAPTION_H) for x in range(CAPTION_W)
               if install[y][x] == red or remove[y][x] == red]
        self.assertTrue(ink)
        x0 = min(x for x, _ in ink) - 2
        x1 = max(x for x, _ in ink) + 2
        y0 = min(y for _, y in ink) - 2
        y1 = max(y for _, y in ink) + 2
        compared = 0
        for y in range(CAPTION_H):
            for x in range(CAPTION_W):
                if x0 <= x <= x1 and y0 <= y <= y1:
                    continue
                self.assertEqual(remove[y][x], install[y][x], "at (%d, %d)" % (x, y))
                compared += 1
        self.assertGreater(compared, 120 * 6)
        # and the caption is a different one (Un-Install is wider than Install)
        self.assertNotEqual(remove, install)


class Tune(unittest.TestCase):
    def test_wave_header_and_length(self):
        data = read_bytes("music.wav")
        riff, riff_size, wave = struct.unpack_from("<4sI4s", data, 0)
        self.assertEqual((riff, wave), (b"RIFF", b"WAVE"))
        self.assertEqual(riff_size, len(data) - 8)
        chunks = {}
        position = 12
        while position + 8 <= len(data):
            name, size = struct.unpack_from("<4sI", data, position)
            chunks[name] = data[position + 8:position + 8 + size]
            position += 8 + size + (size & 1)
        self.assertEqual(position, len(data))
        fmt = struct.unpack("<HHIIHH", chunks[b"fmt "])
        # PCM, mono, 11,025 samples a second, 11,025 bytes a second, 1-byte frames, 8 bits
        self.assertEqual(fmt, (1, 1, 11025, 11025, 1, 8))
        self.assertEqual(len(chunks[b"data"]), 26272)

    def test_samples_start_and_end_silent_without_clipping(self):
        samples = read_bytes("music.wav")[-26272:]
        # a sound device starts and ends at the silent level 128: a tune
        # that does not would click
        self.assertLessEqual(abs(samples[0] - 128), 1)
        self.assertLessEqual(abs(samples[-1] - 128), 1)
        self.assertGreater(max(abs(s - 128) for s in samples), 40, "the tune is audible")
        self.assertNotIn(0, samples)
        self.assertNotIn(255, samples)


class Icon(unittest.TestCase):
    def test_single_32x32_sixteen_colour_image_with_mask(self):
        data = read_bytes("kestsetup.ico")
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 1, 1))
        width, height, colours, reserved, planes, bits, size, offset = \
            struct.unpack_from("<BBBBHHII", data, 6)
        self.assertEqual((width, height, colours, reserved, planes, bits), (32, 32, 16, 0, 1, 4))
        self.assertEqual(offset, 22)
        self.assertEqual(offset + size, len(data))
        header = struct.unpack_from("<IiiHHI", data, offset)
        # the image's height counts the colour bits and the mask together
        self.assertEqual(header, (40, 32, 64, 1, 4, 0))
        xor_size, and_size = 32 * 32 // 2, 32 * 4
        self.assertEqual(size, 40 + 16 * 4 + xor_size + and_size)

        table_end = offset + 40 + 64
        xor = data[table_end:table_end + xor_size]
        mask = data[table_end + xor_size:]
        transparent = opaque = 0
        for row in range(32):
            bits = struct.unpack_from(">I", mask, row * 4)[0]
            for x in range(32):
                nibble = (xor[row * 16 + x // 2] >> (4 if x % 2 == 0 else 0)) & 15
                if bits & (1 << (31 - x)):
                    transparent += 1
                    # a transparent pixel must be black, or it would
                    # invert the screen under it
                    self.assertEqual(nibble, 0, "transparent pixel %d,%d" % (x, row))
                else:
                    opaque += 1
        self.assertGreater(transparent, 0)
        self.assertGreater(opaque, 32 * 32 // 2)


class Regeneration(unittest.TestCase):
    def test_generator_reproduces_committed_bytes(self):
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([sys.executable, GENERATOR, "--out", folder], check=True)
            self.assertEqual(sorted(os.listdir(folder)), sorted(GENERATED_FILES))
            for name in GENERATED_FILES:
                with open(os.path.join(folder, name), "rb") as f:
                    self.assertTrue(f.read() == read_bytes(name),
                                    "%s differs from a fresh run of the generator" % name)


if __name__ == "__main__":
    unittest.main()
