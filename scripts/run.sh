#!/usr/bin/env bash
# Builds everything and starts the installer under Wine: the 32-bit one
# (build/win32) where this machine runs 32-bit programs, else the 64-bit one
# (build/win64); scripts/wine-arches.sh decides, and KEST_WINE_ARCHES=win64
# forces the 64-bit one.
#   With $DISPLAY set: the installer runs on that display until you close it.
#   Without one: it runs in a private Xvfb; a screenshot of the splash is
#   saved to build/run-screenshot.png and the installer is closed again.
# The Wine prefix is build/wine-run-win32 or build/wine-run-win64 (made on
# first use, kept between runs so that an installation can be tried across
# starts). It gets no program-group converter: like Windows from Vista on,
# the installer then makes its Start-menu entry with the shell's link
# object, as a player on a current Windows sees it. (The stand-in
# grpconv.exe is a test aid for the converter of older Windows versions.)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/build.sh

kind=""
for candidate in win32 win64; do
  if line=$(bash scripts/wine-arches.sh "$candidate"); then
    kind=$candidate
    break
  fi
  echo "run: $line"
done
if [ -z "$kind" ]; then
  echo "run: this machine's Wine runs neither kind of installer" >&2
  exit 1
fi
loader=${line#"$kind runs: "}
case $kind in
  win32) echo "run: the 32-bit installer build/win32/KestSetup.exe, under $loader" ;;
  win64) echo "run: the 64-bit installer build/win64/KestSetup.exe, under $loader" ;;
esac

export WINEPREFIX="$root/build/wine-run-$kind"
export WINEARCH=$kind
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
installer="$root/build/$kind/KestSetup.exe"

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}

if [ -z "${DISPLAY:-}" ]; then
  # A private X server on a display number it picks itself (-displayfd:
  # it writes the number once it takes clients). -noreset: no server reset
  # when a short-lived client (xdotool, import) leaves while Wine connects.
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$display_file" \
    >/dev/null 2>&1 &
  xvfb_pid=$!
  trap cleanup EXIT
  for _ in $(seq 100); do
    [ -n "$(tr -d '[:space:]' < "$display_file")" ] && break
    sleep 0.1
  done
  n=$(tr -d '[:space:]' < "$display_file")
  rm -f "$display_file"
  if [ -z "$n" ]; then
    echo "run: Xvfb did not start" >&2
    exit 1
  fi
  export DISPLAY=":$n"
  # No sound hardware either: the tune plays into a null device.
  export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$root/scripts/alsa-null.conf"
fi

if [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
  echo "run: making the Wine prefix $WINEPREFIX (once)"
  "$loader" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# Earlier runs placed the stand-in converter here; it goes again.
for place in windows windows/system32; do
  if cmp -s "$root/build/$kind/grpconv.exe" "$WINEPREFIX/drive_c/$place/grpconv.exe"; then
    rm -f "$WINEPREFIX/drive_c/$place/grpconv.exe"
  fi
done

# The private Xvfb has no window manager: there Wine is told to place and
# focus its windows itself, so that closing a dialog or a box does not wait
# about a second for a manager's answer (as the test prefixes are set up).
# On your own display the manager is yours: Wine's defaults are put back
# when an earlier headless run left these settings in the prefix.
no_manager_settings() {
  local reg_file
  reg_file=$(mktemp --suffix=.reg)
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"=%s\n"UseTakeFocus"=%s\n' \
    "$1" "$1" > "$reg_file"
  "$loader" regedit /S "$(winepath_of "$reg_file")" >/dev/null 2>&1 || true
  rm -f "$reg_file"
}
winepath_of() { echo "Z:${1//\//\\}"; }
if [ -n "$xvfb_pid" ]; then
  no_manager_settings '"N"'
elif grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  no_manager_settings '-'
fi

if [ -z "$xvfb_pid" ]; then
  echo "run: starting the installer on $DISPLAY"
  "$loader" "$installer"
  exit 0
fi

echo "run: no display; starting the installer in Xvfb on $DISPLAY"
"$loader" "$installer" &
wine_pid=$!
window=""
for _ in $(seq 1 60); do
  window=$(xdotool search --onlyvisible --name '^KestDemo$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.5
done
if [ -z "$window" ]; then
  echo "run: the installer's window did not appear" >&2
  exit 1
fi
sleep 1
shot="$root/build/run-screenshot.png"
import -window root "$shot"
echo "run: screenshot of the splash saved to $shot"
xdotool windowfocus "$window" key Escape
status=0
wait "$wine_pid" || status=$?
echo "run: installer closed (exit code $status)"
