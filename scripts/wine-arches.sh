#!/usr/bin/env bash
# Which kinds of Windows program this machine's Wine can run: the probe that
# the run command and the Wine tests ask.
#
#   wine-arches.sh         one line per kind, "win32" then "win64"
#   wine-arches.sh KIND    the line of that kind alone; exit status 0 when it
#                          runs, 1 when it does not
#
# Each line is either
#   KIND runs: LOADER
# with the Wine loader that runs that kind, or
#   KIND skipped: REASON
#
# A kind runs when its loader answers --version: /usr/lib/wine/wine for
# 32-bit programs, /usr/lib/wine/wine64 for 64-bit ones. (/usr/bin/wine tries
# the 32-bit loader first, so it is never used.) Machines whose kernel runs
# no 32-bit code have a 32-bit loader that cannot start.
#
# The environment can narrow the choice:
#   KEST_WINE_ARCHES=win64      run only that kind (win32, win64, or both,
#                               separated by commas or spaces)
#   KEST_WINE32_LOADER=PATH     another 32-bit loader (likewise
#   KEST_WINE64_LOADER=PATH     KEST_WINE64_LOADER), e.g. one that fails
#   KEST_WINE32_NOTE=FILE       where scripts/setup.sh left the reason the
#                               32-bit Wine could not be installed (default
#                               build/wine32-not-installed.txt)
set -u
here=$(cd "$(dirname "$0")" && pwd)
wine32_note=${KEST_WINE32_NOTE:-$here/../build/wine32-not-installed.txt}

loader_of() {
  case $1 in
    win32) echo "${KEST_WINE32_LOADER:-/usr/lib/wine/wine}" ;;
    win64) echo "${KEST_WINE64_LOADER:-/usr/lib/wine/wine64}" ;;
  esac
}

# probe KIND: prints the kind's line; status 0 when it runs.
probe() {
  local kind=$1 loader chosen answer
  if [ -n "${KEST_WINE_ARCHES:-}" ]; then
    chosen=" $(echo "$KEST_WINE_ARCHES" | tr ',' ' ') "
    case $chosen in
      *" $kind "*) ;;
      *) echo "$kind skipped: KEST_WINE_ARCHES=$KEST_WINE_ARCHES leaves it out"; return 1 ;;
    esac
  fi
  loader=$(loader_of "$kind")
  if [ ! -e "$loader" ]; then
    if [ "$kind" = win32 ] && [ -s "$wine32_note" ]; then
      echo "$kind skipped: 32-bit Wine is not installed: $(head -n 1 "$wine32_note")"
      return 1
    fi
    echo "$kind skipped: no Wine loader at $loader (package wine32 or wine64 missing)"
    return 1
  fi
  if ! answer=$("$loader" --version 2>&1 </dev/null); then
    # The shell's own complaint names this script and a line: keep its end.
    answer=$(echo "$answer" | head -n 1 | sed 's/^.*: line [0-9]*: //')
    if [ "$kind" = win32 ] && echo "$answer" | grep -q 'Exec format error'; then
      echo "$kind skipped: this machine runs no 32-bit code ($answer)"
    else
      echo "$kind skipped: $loader --version fails (${answer:-no answer})"
    fi
    return 1
  fi
  echo "$kind runs: $loader"
}

case ${1:-} in
  "")
    probe win32
    probe win64
    exit 0
    ;;
  win32|win64)
    probe "$1"
    ;;
  *)
    echo "usage: wine-arches.sh [win32|win64]" >&2
    exit 2
    ;;
esac
