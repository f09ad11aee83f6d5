#!/usr/bin/env bash
# The two installers as they ship: the 32-bit one a PE32 GUI program for
# i386, the 64-bit one a PE32+ GUI program for x86-64; each needing no DLL
# beside it and importing at load time only DLLs on the system's known-DLL
# list, which Windows never takes from the program's folder; each carrying a
# GAMEDATA archive with the same member names, whose game program and
# display driver are built for the installer's own processor. And every
# function the 32-bit installer imports at load time is on the allowlist
# win32_imports.txt beside this script: each there was looked up and found
# in Windows 2000 or earlier, so a new import fails here until someone has.
#
# usage: check_installers.sh LZHPACK WIN32_TREE WIN64_TREE WORKDIR
set -u
export LC_ALL=C
lzhpack=$1
win32_tree=$2
win64_tree=$3
work=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work" || exit 1

# DLLs on the known-DLL list of every Windows from 7 on (the registry's
# Session Manager\KnownDLLs, kernel32 loaded into every process anyway):
# an import of one of them is always the system's own copy. Others (winmm,
# version, comctl32 ...) would be searched for in the installer's folder
# first, so the installer loads them from the system directory at run time.
known_dlls=" advapi32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll "

# check_tree TREE OBJDUMP KIND: KIND is the `file` description of the tree's
# programs, e.g. "PE32 executable (GUI) Intel 80386".
check_tree() {
  local tree=$1 objdump=$2 kind=$3 name=$(basename "$1")
  local installer=$tree/KestSetup.exe
  if [ ! -f "$installer" ]; then
    fail "$name: no KestSetup.exe"
    return
  fi
  file -b "$installer" | grep -q "^$kind, for MS Windows" ||
    fail "$name: KestSetup.exe is a $(file -b "$installer"), not a $kind"

  local dll imports
  imports=$("$objdump" -p "$installer" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  case " $(echo $imports) " in
    *" kernel32.dll "*) ;;
    *) fail "$name: no imports read from KestSetup.exe (kernel32.dll missing): $imports" ;;
  esac
  for dll in $imports; do
    case $known_dlls in
      *" $dll "*) ;;
      *) fail "$name: KestSetup.exe imports $dll, which is not a known DLL" ;;
    esac
  done
  local beside
  beside=$(find "$tree" -maxdepth 1 -iname '*.dll' -printf '%f ')
  [ -z "$beside" ] || fail "$name: DLLs beside the installer: $beside"

  mkdir -p "$work/$name/files"
  wrestool -x --raw --type=MYDATA --name=GAMEDATA "$installer" > "$work/$name/gamedata.lzh"
  if [ ! -s "$work/$name/gamedata.lzh" ]; then
    fail "$name: KestSetup.exe carries no GAMEDATA"
    return
  fi
  "$lzhpack" list "$work/$name/gamedata.lzh" | awk 'NR > 1 { print $NF }' | sort > "$work/$name/members.txt"
  "$lzhpack" extract "$work/$name/gamedata.lzh" "$work/$name/files" > /dev/null ||
    fail "$name: its GAMEDATA does not extract whole"
  file -b "$work/$name/files/kestdemo.exe" | grep -q "^$kind, for MS Windows" ||
    fail "$name: its kestdemo.exe is a $(file -b "$work/$name/files/kestdemo.exe")"
  file -b "$work/$name/files/mgldib.drv" | grep -q "^${kind%% *} executable (DLL) .*${kind##*) }, for MS Windows" ||
    fail "$name: its mgldib.drv is a $(file -b "$work/$name/files/mgldib.drv")"
}

check_tree "$win32_tree" i686-w64-mingw32-objdump "PE32 executable (GUI) Intel 80386"

# check_imported_functions INSTALLER OBJDUMP ALLOWLIST: every DLL!function
# pair of the import table must be a line's first word in the allowlist.
check_imported_functions() {
  local installer=$1 objdump=$2 allowlist=$3
  "$objdump" -p "$installer" | awk '
    /DLL Name:/ { dll = tolower($3); next }
    /^$/ { dll = "" }
    dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll "!" $3 }
  ' | sort -u > "$work/win32/imports.txt"
  [ -s "$work/win32/imports.txt" ] || { fail "win32: no imported function read"; return; }
  grep -v '^\s*\(#\|$\)' "$allowlist" | awk '{ print tolower($1) }' | sort -u > "$work/win32/allowed.txt"
  local unlisted
  unlisted=$(comm -23 <(tr 'A-Z' 'a-z' < "$work/win32/imports.txt" | sort -u) "$work/win32/allowed.txt")
  [ -z "$unlisted" ] || fail "win32: imports not on $(basename "$allowlist"): $(echo $unlisted)"
}
check_imported_functions "$win32_tree/KestSetup.exe" i686-w64-mingw32-objdump \
  "$(dirname "$0")/win32_imports.txt"
check_tree "$win64_tree" x86_64-w64-mingw32-objdump "PE32+ executable (GUI) x86-64"

if [ -s "$work/win32/members.txt" ] && [ -s "$work/win64/members.txt" ]; then
  diff "$work/win32/members.txt" "$work/win64/members.txt" > "$work/members.diff" ||
    fail "the two installers carry other members: $(head -5 "$work/members.diff")"
  grep -qx 'kestdemo.exe' "$work/win32/members.txt" || fail "no kestdemo.exe member"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "installers check passed: $(wc -l < "$work/win32/members.txt") members in each"
