#!/usr/bin/env python3
"""Writes the files for the peer decode test into a folder: every size that
matters to the reader's blocks (0, 1, around 8192 and its multiples) in
several kinds of content (text, code-like binary, runs, random bytes that
jlha stores uncompressed), from a fixed seed.

usage: make_peer_files.py FOLDER
"""
import os
import random
import sys

SIZES = [0, 1, 2, 3, 7, 8, 9, 100, 4095, 8191, 8192, 8193, 16384, 24576, 24577,
         65535, 65536, 65537, 200000]


def text(rng, size):
    words = "the knight rode to the tower and the dragon slept under a crystal moon".split()
    out = bytearray()
    while len(out) < size:
        out += (" ".join(rng.choice(words) for _ in range(rng.randint(3, 12))) + ".\r\n").encode()
    return bytes(out[:size])


def binary(rng, size):
    out = bytearray()
    while len(out) < size:
        out += bytes([0x55, 0x8B, 0xEC, rng.choice([0x83, 0x89, 0x8B]), rng.getrandbits(8)])
        out += rng.getrandbits(32).to_bytes(4, "little") if rng.random() < 0.3 else b"\0\0"
    return bytes(out[:size])


def runs(rng, size):
    out = bytearray()
    while len(out) < size:
        out += bytes([rng.getrandbits(8)]) * rng.randint(1, 3000)
    return bytes(out[:size])


def noise(rng, size):
    return rng.getrandbits(size * 8).to_bytes(size, "little") if size else b""


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(1987)
    kinds = [("txt", text), ("bin", binary), ("run", runs), ("rnd", noise)]
    for size in SIZES:
        for suffix, make in kinds:
            with open(os.path.join(folder, "f%06d.%s" % (size, suffix)), "wb") as out:
                out.write(make(rng, size))
    # Long distances and long matches: a text with a block repeated far apart.
    block = text(rng, 6000)
    with open(os.path.join(folder, "far.txt"), "wb") as out:
        out.write(block + binary(rng, 2100) + block + noise(rng, 500) + block[::-1] * 3)
    return 0


if __name__ == "__main__":
    sys.exit(main())
