#!/usr/bin/env bash
# The archive the installer carries: the sample game's 27 files as level-1
# "-lh5-" members that lhasa, bsdtar and our own reader extract to the game
# files; the files total more than the installer's free-space figure; the
# driver's version as exiftool reads it; and the folder check's refusals.
#
# The sample is made reproducibly: the generator, run again in another time
# zone, writes the same files, and they pack to the same archive bytes.
#
# usage: game_archive_check.sh ARCHIVE GAME_FOLDER CHECK_TOOL LZHPACK MAKE_GAME_DATA WORKDIR
set -u
archive=$1
folder=$2
check_tool=$3
lzhpack=$4
make_game_data=$5
work=$6
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work" || exit 1
cd "$work" || exit 1

python3 "$here/archive_layout.py" "$archive" --members 27 --crc-from "$folder" > layout.txt || fail "layout: $(tail -1 layout.txt)"
grep -qi '^kestdemo.exe ' layout.txt || fail "no kestdemo.exe member"
grep -qi '^mgldib.drv ' layout.txt || fail "no mgldib.drv member"

total=$(cat "$folder"/* | wc -c)
[ "$total" -gt 8500000 ] || fail "the game's files total $total bytes, not more than 8,500,000"
[ "$total" -lt 9000000 ] || fail "the game's files total $total bytes, far more than the shipped 8.6 MB"

mkdir lhasa-out bsdtar-out ours-out
(cd lhasa-out && lhasa -xq "$archive" >/dev/null 2>&1)
diff -r "$folder" lhasa-out >/dev/null || fail "lhasa extracts other files"
(cd bsdtar-out && bsdtar -xf "$archive" 2>/dev/null)
diff -r "$folder" bsdtar-out >/dev/null || fail "bsdtar extracts other files"
if "$lzhpack" extract "$archive" ours-out >/dev/null 2>ours.txt; then
  diff -r "$folder" ours-out >/dev/null || fail "our reader extracts other files"
else
  fail "our reader: $(head -3 ours.txt)"
fi

if command -v exiftool >/dev/null; then
  version=$(exiftool -FileVersionNumber -s3 "$folder/mgldib.drv")
  [ "$version" = "3.10.0.0" ] || fail "exiftool reads mgldib.drv version '$version'"
  "$check_tool" "$folder" | grep -q "mgldib.drv has file version $version" || fail "the folder check reads another version"
fi
title=$(strings -el "$folder/kestdemo.exe" | grep -c 'Rarivur Ivad Oraz'; strings "$folder/kestdemo.exe" | grep -c 'Rarivur Ivad Oraz')
echo "$title" | grep -q '[1-9]' || fail "kestdemo.exe does not carry its window title"

TZ=Pacific/Auckland "$make_game_data" again "$folder/kestdemo.exe" "$folder/mgldib.drv" || fail "make_game_data failed"
diff -r "$folder" again >/dev/null || fail "make_game_data writes other bytes on a second run"
TZ=Pacific/Auckland "$lzhpack" create --best --quiet --max-members 28 again.lzh again || fail "packing the second run"
cmp -s "$archive" again.lzh || fail "the sample packs to other bytes in another time zone"

# The folder check: the sample fits; damaged copies do not.
"$check_tool" "$folder" >/dev/null || fail "the sample folder is refused"
refuse() {
  local what=$1 expect=$2
  if "$check_tool" bad > out.txt 2>&1; then
    fail "folder check accepts $what"
  elif ! grep -q "$expect" out.txt; then
    fail "folder check on $what says: $(head -2 out.txt)"
  fi
}
fresh() { rm -rf bad && cp -a "$folder" bad; }
fresh; rm bad/kestdemo.exe; refuse "no kestdemo.exe" "no kestdemo.exe"
fresh; rm bad/mgldib.drv; refuse "no mgldib.drv" "no mgldib.drv"
fresh; head -c 300 "$folder/mgldib.drv" > bad/mgldib.drv; refuse "a cut mgldib.drv" "file version of mgldib.drv cannot be read"
fresh; cp "$folder/readme.txt" bad/mgldib.drv; refuse "a text file as mgldib.drv" "file version of mgldib.drv cannot be read"
fresh; for i in 1 2; do echo "$i" > "bad/extra$i.dat"; done; refuse "29 files" "at most 28"
fresh; : > 'bad/sub\name.dat'; refuse "a backslash in a name" "cannot be installed"
fresh; mkdir bad/music; refuse "a subfolder" "not a plain file"
fresh; mv bad/kestdemo.exe bad/KESTDEMO.EXE; "$check_tool" bad >/dev/null || fail "KESTDEMO.EXE (upper case) is refused"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "game archive check passed"
