#!/usr/bin/env bash
# lzhpack against the peers: level-1 archives made by jlha (-lh5- and, for
# tiny or incompressible files, -lh0-, with extended headers) must decode
# with lzhpack to the same bytes as with lhasa and bsdtar, and as the
# files packed; lzhpack list must agree with lhasa on names, methods,
# sizes and CRCs; lzhpack test must pass them and writes no file; a
# damaged copy must fail.
#
# usage: peer_decode_test.sh LZHPACK
set -euo pipefail
lzhpack=$1
here=$(cd "$(dirname "$0")" && pwd)

for tool in jlha lhasa bsdtar python3 cmp; do
  if ! command -v "$tool" >/dev/null; then
    echo "peer_decode_test: $tool is not installed" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_peer_files.py" "$work/src"
(cd "$work/src" && jlha c1o5 "$work/all.lzh" ./* >/dev/null 2>&1)
files=$(cd "$work/src" && ls)
count=$(echo "$files" | wc -l)
fail=0
checks=0
check() {  # check DESCRIPTION COMMAND...: counts a failure when COMMAND fails
  local what=$1; shift
  checks=$((checks + 1))
  if ! "$@"; then echo "FAIL: $what"; fail=$((fail + 1)); fi
}

# The archive really is level 1 (the level byte of the first header).
level=$(od -An -tu1 -j20 -N1 "$work/all.lzh" | tr -d ' ')
check "jlha wrote level 1 (got $level)" test "$level" = 1

# test: sound, no file written, only the extended-header notes on stderr.
check "lzhpack test passes" sh -c 'cd "$1" && "$2" test all.lzh >test.out 2>test.err </dev/null' sh "$work" "$lzhpack"
check "test printed one line per member" test "$(grep -c '^Testing ' "$work/test.out")" = "$count"
check "test messages are only extended headers" \
  test -z "$(grep -v "^There's an extended header of size [0-9]*\.$" "$work/test.err" || true)"
check "test wrote no file" test -z "$(cd "$work" && ls | grep -vxE 'src|all.lzh|test.out|test.err')"

# extract with all three, compare with the sources.
check "lzhpack extract passes" sh -c '"$1" extract "$2/all.lzh" "$2/ours" >/dev/null 2>&1 </dev/null' sh "$lzhpack" "$work"
mkdir -p "$work/lhasa" "$work/bsdtar"
(cd "$work/lhasa" && lhasa xq "$work/all.lzh" >/dev/null)
bsdtar -xf "$work/all.lzh" -C "$work/bsdtar"
for f in $files; do
  check "ours $f"   cmp -s "$work/src/$f" "$work/ours/$f"
  check "lhasa $f"  cmp -s "$work/src/$f" "$work/lhasa/$f"
  check "bsdtar $f" cmp -s "$work/src/$f" "$work/bsdtar/$f"
done

# list agrees with lhasa's verbose list: method, size, CRC, name.
"$lzhpack" list "$work/all.lzh" | tail -n +2 | awk '{printf "%s %s %s %s\n", $1, $3, tolower($4), $5}' | sort >"$work/ours.list"
lhasa v "$work/all.lzh" | awk '$1 == "[generic]" {printf "%s %s %s %s\n", $5, $3, $6, $NF}' | sort >"$work/lhasa.list"
check "list agrees with lhasa" cmp -s "$work/ours.list" "$work/lhasa.list"
check "list has every member" test "$(wc -l <"$work/ours.list")" = "$count"

# A member whose file cannot be opened (a folder stands in its place) asks
# standard input for another name; at its end the member is not extracted
# and the others still are.
mkdir -p "$work/blocked/f000100.txt"
status=0
"$lzhpack" extract "$work/all.lzh" "$work/blocked" >/dev/null 2>"$work/blocked.err" </dev/null || status=$?
check "blocked member fails the extraction (exit $status)" test "$status" = 1
check "blocked member messages" grep -qx "Can't open $work/blocked/f000100.txt for writing." "$work/blocked.err"
check "blocked member not extracted" grep -qx "Not extracted" "$work/blocked.err"
check "the member before it is extracted" cmp -s "$work/src/f000100.bin" "$work/blocked/f000100.bin"
check "the member after it is extracted" cmp -s "$work/src/f004095.bin" "$work/blocked/f004095.bin"

# A flipped byte in the middle of the archive is caught.
cp "$work/all.lzh" "$work/bad.lzh"
python3 -c 'import sys; p = sys.argv[1]; d = bytearray(open(p, "rb").read()); d[len(d) // 2] ^= 0xFF; open(p, "wb").write(d)' "$work/bad.lzh"
status=0
"$lzhpack" test "$work/bad.lzh" >/dev/null 2>&1 </dev/null || status=$?
check "damaged archive fails (exit $status)" test "$status" = 1

echo "$((checks - fail)) passed, $fail failed"
test "$fail" = 0
