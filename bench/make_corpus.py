#!/usr/bin/env python3
"""Writes the benchmark corpus, about 9 MB of mixed files, into a folder.

The files are made from a fixed seed, so every run on every machine writes
the same bytes: text (prose, a table of numbers, program source), two
program-like binaries, two bitmaps, and two files of random bytes that stand
for already-compressed data.

usage: make_corpus.py FOLDER
"""
import os
import random
import struct
import sys

SEED = 20240611

WORDS = ("the a of and to in is was that for on with as by at from his her "
         "they we you it not be are this which or have had one all were when "
         "there can an been has more if no out so said what up its about into "
         "than them only other new some could time these two may then do first "
         "any my now such like our over man me even most made after also did "
         "many before must through back years where much your way well down "
         "should because each just those people how too little state good very "
         "make world still own see men work long get here between both life "
         "being under never day same another know while last might us great "
         "old year off come since against go came right used take three castle "
         "dragon sword knight village forest river tower shadow crystal ancient "
         "journey mountain wizard potion scroll dungeon treasure").split()


def zipf_words(rng, count):
    """count words drawn with a falling frequency by rank."""
    weights = [1.0 / (rank + 1) for rank in range(len(WORDS))]
    return rng.choices(WORDS, weights=weights, k=count)


def prose(rng, size):
    out = []
    length = 0
    while length < size:
        words = zipf_words(rng, rng.randint(6, 22))
        words[0] = words[0].capitalize()
        sentence = " ".join(words) + rng.choice([".", ".", ".", "!", "?", ","]) + " "
        if rng.random() < 0.12:
            sentence += "\r\n\r\n" if rng.random() < 0.5 else "\r\n"
        out.append(sentence)
        length += len(sentence)
    return "".join(out).encode("ascii")[:size]


def number_table(rng, size):
    out = ["id;name;x;y;z;score;flags\r\n"]
    length = len(out[0])
    row = 0
    while length < size:
        line = "%d;%s_%d;%.3f;%.3f;%.3f;%d;0x%04X\r\n" % (
            row, rng.choice(WORDS), rng.randint(0, 99), rng.uniform(-500, 500),
            rng.uniform(-500, 500), rng.uniform(0, 50), rng.randint(0, 100000),
            rng.getrandbits(16))
        out.append(line)
        length += len(line)
        row += 1
    return "".join(out).encode("ascii")[:size]


def program_source(rng, size):
    out = []
    length = 0
    function = 0
    while length < size:
        name = "%s_%s_%d" % (rng.choice(WORDS), rng.choice(WORDS), function)
        body = ["static int %s(int count, const char *text)\n{\n" % name]
        for _ in range(rng.randint(3, 14)):
            a, b = rng.choice(WORDS), rng.choice(WORDS)
            body.append(rng.choice([
                "    if (count > %d)\n        return %d;\n" % (rng.randint(0, 99), rng.randint(-9, 9)),
                "    %s_%s += text[%d] * %d;\n" % (a, b, rng.randint(0, 31), rng.randint(1, 255)),
                "    for (int i = 0; i < count; i++)\n        %s[i] = %s[i + 1];\n" % (a, b),
                "    /* %s %s %s */\n" % (a, b, rng.choice(WORDS)),
            ]))
        body.append("    return count;\n}\n\n")
        chunk = "".join(body)
        out.append(chunk)
        length += len(chunk)
        function += 1
    return "".join(out).encode("ascii")[:size]


def program_binary(rng, size):
    """Code-like bytes: a small set of opcodes with operands, relative
    addresses, zero padding between functions, and a string table."""
    opcodes = [b"\x55", b"\x8b\xec", b"\x83\xec", b"\x89\x45", b"\x8b\x45", b"\xe8",
               b"\xc3", b"\x5d", b"\x33\xc0", b"\x50", b"\x6a", b"\xff\x15", b"\x74",
               b"\x75", b"\x85\xc0", b"\x0f\x84", b"\x8d\x4d", b"\x53", b"\x56", b"\x57"]
    out = bytearray(b"MZ\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00\xff\xff\x00\x00")
    out += bytes(512 - len(out))
    while len(out) < size * 3 // 4:
        for _ in range(rng.randint(10, 120)):
            op = rng.choice(opcodes)
            out += op
            if op in (b"\xe8", b"\xff\x15", b"\x0f\x84"):
                out += struct.pack("<I", (0x401000 + rng.randint(0, 0x40000)) & 0xFFFFFFFF)
            elif len(op) == 2 or op in (b"\x6a", b"\x74", b"\x75"):
                out += bytes([rng.choice([0x08, 0x0c, 0x10, 0xfc, 0xf8, rng.getrandbits(8)])])
        out += b"\xcc" * rng.randint(0, 15)
    while len(out) < size:
        out += ("%s %s %s\0" % (rng.choice(WORDS), rng.choice(WORDS), rng.choice(WORDS))).encode("ascii")
        if rng.random() < 0.1:
            out += bytes(rng.randint(1, 64))
    return bytes(out[:size])


def bitmap_24(rng, width, height):
    """A 24-bit bitmap: gradients, a few filled shapes, light noise."""
    row_size = (width * 3 + 3) & ~3
    shapes = [(rng.randint(0, width), rng.randint(0, height), rng.randint(20, 120),
               bytes([rng.getrandbits(8) for _ in range(3)])) for _ in range(12)]
    pixels = bytearray()
    for y in range(height):
        row = bytearray()
        for x in range(width):
            colour = None
            for cx, cy, radius, shape_colour in shapes:
                if (x - cx) * (x - cx) + (y - cy) * (y - cy) < radius * radius:
                    colour = shape_colour
            if colour is None:
                colour = bytes([(x * 255 // width) & 0xFF, (y * 255 // height) & 0xFF,
                                ((x + y) // 4) & 0xFF])
            if rng.random() < 0.05:
                colour = bytes([(c + rng.randint(-8, 8)) & 0xFF for c in colour])
            row += colour
        row += bytes(row_size - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def bitmap_8(rng, width, height):
    """An 8-bit palette bitmap of tiles: runs of one colour and repeated sprites."""
    palette = b"".join(bytes([rng.getrandbits(8), rng.getrandbits(8), rng.getrandbits(8), 0])
                       for _ in range(256))
    sprites = [bytes(rng.choice([0, 0, 0, rng.getrandbits(8)]) for _ in range(16 * 16))
               for _ in range(24)]
    tiles_x, tiles_y = width // 16, height // 16
    layout = [[rng.randrange(len(sprites)) for _ in range(tiles_x)] for _ in range(tiles_y)]
    pixels = bytearray()
    for y in range(height):
        for tx in range(tiles_x):
            sprite = sprites[layout[y // 16][tx]]
            pixels += sprite[(y % 16) * 16:(y % 16) * 16 + 16]
    offset = 54 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    return header + info + palette + bytes(pixels)


def random_bytes(rng, size):
    return rng.getrandbits(size * 8).to_bytes(size, "little")


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(SEED)
    files = [
        ("manual.txt", lambda: prose(rng, 1_500_000)),
        ("dialogue.txt", lambda: prose(rng, 800_000)),
        ("scores.csv", lambda: number_table(rng, 700_000)),
        ("engine.c", lambda: program_source(rng, 500_000)),
        ("kestdemo.exe", lambda: program_binary(rng, 2_000_000)),
        ("mgldib.drv", lambda: program_binary(rng, 300_000)),
        ("title.bmp", lambda: bitmap_24(rng, 640, 480)),
        ("sprites.bmp", lambda: bitmap_8(rng, 1024, 1024)),
        ("music.ogg", lambda: random_bytes(rng, 1_000_000)),
        ("levels.zip", lambda: random_bytes(rng, 500_000)),
    ]
    for name, make in files:
        with open(os.path.join(folder, name), "wb") as out:
            out.write(make())
    return 0


if __name__ == "__main__":
    sys.exit(main())
