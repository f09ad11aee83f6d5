#!/usr/bin/env bash
# Writes the fuzzer's seed corpus into seeds/: small level-1 archives made by
# jlha from fixed content (text, code-like bytes, long runs, a tiny file, an
# empty file), so that the fuzzer starts from sound headers, extended
# headers, -lh5- blocks with real code tables, and -lh0- members. The files
# in seeds/ were made with this script; run it again to remake them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import random, sys, os
folder = sys.argv[1]
rng = random.Random(7)
words = "the quick knight rode past a sleeping dragon to the old tower".split()
def text(n):
    out = ""
    while len(out) < n:
        out += " ".join(rng.choice(words) for _ in range(8)) + ".\r\n"
    return out[:n].encode()
def code(n):
    out = bytearray()
    while len(out) < n:
        out += bytes([0x55, 0x8B, 0xEC, rng.getrandbits(8), 0, 0])
    return bytes(out[:n])
files = {
    "text": {"story.txt": text(2500)},
    "code": {"prog.exe": code(3000)},
    "runs": {"runs.dat": b"a" * 700 + b"ab" * 300 + bytes(range(256)) * 3 + b"z" * 900},
    "mixed": {"one.txt": text(600), "tiny": b"x", "empty": b"", "two.bin": code(700)},
}
for archive, members in files.items():
    os.makedirs(os.path.join(folder, archive))
    for name, data in members.items():
        open(os.path.join(folder, archive, name), "wb").write(data)
PY
mkdir -p "$here/seeds"
for archive in text code runs mixed; do
  rm -f "$here/seeds/$archive.lzh"
  (cd "$work/$archive" && jlha c1o5 "$here/seeds/$archive.lzh" ./* >/dev/null 2>&1)
done
ls -l "$here/seeds"
