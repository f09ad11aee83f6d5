#!/usr/bin/env bash
# Archives made by "lzhpack create" extracted by the peers lhasa, bsdtar and jlha,
# byte for byte equal to their inputs, with the header layout the installer
# reads; the create verb's refusals, which must leave no archive behind;
# lzhpack's help and version; and member names holding control characters,
# which list, test and extract must print without them.
#
# usage: peer_crosscheck.sh LZHPACK WORKDIR
set -u
lzhpack=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
layout="python3 $here/archive_layout.py"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work/in" || exit 1
cd "$work" || exit 1

# Inputs: sizes around the window and the block limits, runs, text, noise.
python3 - <<'PY'
import random
r = random.Random(1234)
def put(name, data):
    open("in/" + name, "wb").write(data)
put("empty.bin", b"")
put("one.bin", b"K")
put("two.bin", b"KD")
words = [b"level ", b"door ", b"key ", b"the ", b"monster ", b"gate ", b"\r\n"]
text = b"".join(r.choice(words) for _ in range(400000))
for n in (8191, 8192, 8193):
    put("text%d.txt" % n, text[:n])
    put("random%d.bin" % n, bytes(r.getrandbits(8) for _ in range(n)))
put("runs.bin", b"".join(bytes([r.getrandbits(8)]) * r.randint(1, 700) for _ in range(3000)))
put("zeros.bin", bytes(300000))
put("text.txt", text[:700000])
block = bytes(r.getrandbits(8) for _ in range(8192))
put("period8192.bin", block * 6)
mixed = bytearray()
while len(mixed) < 2 * 1024 * 1024:
    kind = r.randint(0, 3)
    n = r.randint(100, 20000)
    if kind == 0:
        mixed += bytes([r.getrandbits(8)]) * n
    elif kind == 1:
        mixed += bytes(r.getrandbits(8) for _ in range(n // 8))
    elif kind == 2:
        mixed += text[r.randint(0, 300000):][:n]
    else:
        start = max(0, len(mixed) - r.randint(1, 8192))
        mixed += mixed[start:start + n]
put("mixed2mb.bin", bytes(mixed[:2 * 1024 * 1024]))
PY

# Each input in an archive of its own, then all of them in one.
for file in in/*; do
  name=$(basename "$file")
  archive="single-$name.lzh"
  if ! "$lzhpack" create --quiet "$archive" "$file"; then fail "create $name"; continue; fi
  $layout "$archive" --members 1 --crc-from in >/dev/null || fail "layout of $archive"
  rm -rf out && mkdir out
  (cd out && lhasa -xq "../$archive" >/dev/null 2>&1)
  cmp -s "$file" "out/$name" || fail "lhasa extracts $name differently"
  # bsdtar refuses "-lh5-" data under 8 bytes (its own fault): tiny files
  # are left to lhasa.
  if [ "$(stat -c %s "$file")" -ge 16 ]; then
    rm -rf out && mkdir out
    (cd out && bsdtar -xf "../$archive" 2>/dev/null)
    cmp -s "$file" "out/$name" || fail "bsdtar extracts $name differently"
  fi
done

# A folder packed at the default settings and at --best, read back by each
# of the three peers; --best is never the larger.
peers_read_back() {
  local folder=$1 name=$2 archive count
  count=$(ls "$folder" | wc -l)
  "$lzhpack" create --quiet "$name.lzh" "$folder" || fail "create $name.lzh"
  "$lzhpack" create --quiet --best "$name-best.lzh" "$folder" || fail "create $name-best.lzh"
  [ "$(stat -c %s "$name-best.lzh")" -le "$(stat -c %s "$name.lzh")" ] || fail "--best packs $folder larger than the default"
  for archive in "$name.lzh" "$name-best.lzh"; do
    $layout "$archive" --members "$count" --crc-from "$folder" >/dev/null || fail "layout of $archive"
    rm -rf out && mkdir out && (cd out && lhasa -xq "../$archive" >/dev/null 2>&1)
    diff -r "$folder" out >/dev/null || fail "lhasa extracts $archive differently"
    rm -rf out && mkdir out && (cd out && bsdtar -xf "../$archive" 2>/dev/null)
    for file in "$folder"/*; do
      [ "$(stat -c %s "$file")" -ge 16 ] || continue  # bsdtar's limit, as above
      cmp -s "$file" "out/$(basename "$file")" || fail "bsdtar extracts $(basename "$file") of $archive differently"
    done
    rm -rf out && mkdir out && jlha "xqw=out" "$archive" >/dev/null 2>&1
    diff -r "$folder" out >/dev/null || fail "jlha extracts $archive differently"
  done
}
peers_read_back in folder
# The packing benchmark's corpus: program, text, table and picture data of
# a few megabytes, and members that do not shrink.
python3 "$here/../../../bench/make_corpus.py" corpus >/dev/null || fail "make the benchmark corpus"
peers_read_back corpus corpus

# Compression is real: text and runs shrink to well under half.
size_of() { stat -c %s "$1"; }
[ "$(size_of single-text.txt.lzh)" -lt $(( $(size_of in/text.txt) / 3 )) ] || fail "text does not shrink"
[ "$(size_of single-zeros.bin.lzh)" -lt 3000 ] || fail "zeros do not shrink"

# --allow-stored keeps noise as "-lh0-"; without it every member is -lh5-.
"$lzhpack" create --quiet --allow-stored stored.lzh in/random8193.bin in/text8192.txt || fail "create --allow-stored"
$layout stored.lzh --allow-stored | grep -q 'random8193.bin *-lh0-' || fail "noise not stored as -lh0-"
$layout stored.lzh --allow-stored | grep -q 'text8192.txt *-lh5-' || fail "text not packed with --allow-stored"
rm -rf out && mkdir out && (cd out && lhasa -xq ../stored.lzh >/dev/null 2>&1)
cmp -s in/random8193.bin out/random8193.bin || fail "lhasa extracts the stored member differently"

# Refusals: a clear message, exit status 1, and no archive (an existing one
# stays as it was).
expect_refusal() {
  local what=$1; shift
  printf 'old archive' > refused.lzh
  if "$lzhpack" create --quiet refused.lzh "$@" 2>refusal.txt; then
    fail "$what: accepted"
  elif [ "$(cat refused.lzh)" != "old archive" ]; then
    fail "$what: the existing archive was changed"
  elif [ ! -s refusal.txt ]; then
    fail "$what: no message"
  fi
  ls refused.lzh.* >/dev/null 2>&1 && fail "$what: a temporary file was left behind"
}
expect_refusal "missing file" in/one.bin in/no-such-file
long=$(printf 'n%.0s' $(seq 1 231))
mkdir -p names && : > "names/$long"
expect_refusal "name of 231 bytes" "names/$long"
: > 'names/back\slash'
expect_refusal "backslash in a name" 'names/back\slash'
: > 'names/CON.txt'
expect_refusal "device name" names/CON.txt
expect_refusal "more members than allowed" --max-members 2 in/one.bin in/two.bin in/empty.bin
mkdir -p nested/sub && : > nested/file.txt
expect_refusal "a folder inside the folder" nested
mkdir -p dup && : > dup/KEY.DAT && : > dup/key.dat
expect_refusal "names equal but for case" dup
"$lzhpack" create --quiet --max-members 3 three.lzh in/one.bin in/two.bin in/empty.bin || fail "three members within a limit of 3"
# The archive does not depend on how many threads packed it.
"$lzhpack" create --quiet --jobs 1 jobs1.lzh in || fail "create --jobs 1"
"$lzhpack" create --quiet --jobs 4 jobs4.lzh in || fail "create --jobs 4"
cmp -s jobs1.lzh jobs4.lzh || fail "--jobs 1 and --jobs 4 give different archives"
expect_refusal "--jobs 0" --jobs 0 in/one.bin
grep -q 'more than the 2 members' <("$lzhpack" create --quiet --max-members 2 x.lzh in/one.bin in/two.bin in/empty.bin 2>&1) \
  || fail "the member limit's message"

# Help and version: standard output, exit status 0, every option named.
"$lzhpack" --help >help.txt 2>help-err.txt || fail "--help exits nonzero"
"$lzhpack" -h | cmp -s - help.txt || fail "-h prints other than --help"
[ -s help-err.txt ] && fail "--help writes to standard error"
for word in list test extract create --max-members --allow-stored --best --jobs --quiet --version; do
  grep -q -e "$word" help.txt || fail "the usage text omits $word"
done
"$lzhpack" --version 2>/dev/null | grep -Eqx 'lzhpack [0-9]+\.[0-9]+\.[0-9]+\.[0-9]+' || fail "--version"

# Hostile names: an archive of "-lh5-" members renamed to names holding an
# escape sequence, a bell and a newline; the second also leads out of the
# folder. No byte outside printable ASCII may reach the terminal, and the
# first member is still written under its own name.
printf 'hello, terminal\n' > hostile-in.txt
"$lzhpack" create --quiet hostile-plain.lzh hostile-in.txt in/one.bin || fail "create hostile-plain.lzh"
python3 - hostile-plain.lzh hostile.lzh "$here/../../support" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
import lha_headers
names = [b"esc\x1b[2J\x07\nline.txt", b"../\x1b]0;owned\x07.txt"]
data = open(sys.argv[1], "rb").read()
out = bytearray()
for member, name in zip(lha_headers.members(data), names):
    body = bytearray(member.body)
    body[19:20 + member.name_length] = bytes([len(name)]) + name
    out += bytes([len(body), sum(body) & 0xFF]) + body + data[member.data_start:member.data_end]
open(sys.argv[2], "wb").write(out + b"\0")
PY
printable_only() {  # bytes other than printable ASCII and the line ends?
  ! LC_ALL=C grep -q '[^ -~]' "$1"
}
for verb in list test extract; do
  rm -rf hostile-out
  args=(hostile.lzh)
  [ "$verb" = extract ] && args+=(hostile-out)
  "$lzhpack" "$verb" "${args[@]}" >"$verb-out.txt" 2>"$verb-err.txt" </dev/null
  status=$?
  printable_only "$verb-out.txt" || fail "$verb prints control bytes on standard output"
  printable_only "$verb-err.txt" || fail "$verb prints control bytes on standard error"
  grep -qF 'esc?[2J??line.txt' "$verb-out.txt" || fail "$verb does not show the first name as printable text"
  if [ "$verb" != list ]; then
    [ "$status" -eq 1 ] || fail "$verb exits $status for a name leading outside"
    grep -qF '../?]0;owned?.txt' "$verb-err.txt" || fail "$verb does not name the refused member"
  fi
done
cmp -s hostile-in.txt "hostile-out/$(printf 'esc\033[2J\a\nline.txt')" ||
  fail "extract does not write the first member under its own name"
# The same name on disk, given to create: refused, and named printably.
"$lzhpack" create hostile-again.lzh hostile-out >create-out.txt 2>create-err.txt </dev/null &&
  fail "create packs a file whose name holds control bytes"
printable_only create-err.txt || fail "create prints control bytes on standard error"
grep -qF 'esc?[2J??line.txt' create-err.txt || fail "create does not name the refused file"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "peer cross-check passed"
