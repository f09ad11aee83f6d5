#!/usr/bin/env bash
# Installs every package the build and the tests need, and nothing that is
# already there. Safe to run again: when all is present it only checks.
set -euo pipefail

# Packages from Debian's own archive. "name:arch" selects another architecture.
PACKAGES=(
  cmake make g++ clang libclang-rt-14-dev python3
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb xdotool imagemagick x11-utils
  libgtest-dev googletest
  lhasa libarchive-tools jlha-utils libarchive-dev liblhasa-dev
  icoutils libimage-exiftool-perl
  hyperfine strace file
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else echo "setup: need root (or sudo) to run: $*" >&2; exit 1
  fi
}

package_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${PACKAGES[@]}"; do
  package_installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#PACKAGES[@]} packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
as_root apt-get update -q
as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "setup: done"
