#!/usr/bin/env bash
# Installs every package the build and the tests need, and nothing that is
# already there. Safe to run again: when all is present it only checks.
#
# The 32-bit Wine is a step of its own, after everything else: the build and
# the 64-bit tests need none of it, and it is the one package that a package
# registry answering only in part can make impossible. When it cannot be
# installed, set-up says why in one line, writes the reason where the Wine
# probe (scripts/wine-arches.sh) finds it, and still ends with status 0: the
# 32-bit tests are then reported as skipped with that reason.
#
# Environment:
#   KEST_WINE32_NOTE=FILE   where the reason goes (default
#                           build/wine32-not-installed.txt in the checkout)
#   KEST_APT_PAUSE=SECONDS  pause between two tries of a fetch (default 5)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# Packages from Debian's own archive, all of this machine's architecture.
PACKAGES=(
  cmake make g++ clang libclang-rt-14-dev python3
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64
  xvfb xdotool imagemagick x11-utils
  libgtest-dev googletest
  lhasa libarchive-tools jlha-utils libarchive-dev liblhasa-dev
  icoutils libimage-exiftool-perl
  hyperfine strace file
  osslsigncode openssl
)
# The 32-bit Wine, from the i386 architecture.
WINE32=wine32:i386

WINE32_NOTE=${KEST_WINE32_NOTE:-$here/../build/wine32-not-installed.txt}
FETCH_TRIES=3
FETCH_PAUSE=${KEST_APT_PAUSE:-5}
# Rounds of pinning shared library pairs for the 32-bit Wine (one round per
# set of pairs the resolver names).
PIN_ROUNDS=8

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else echo "setup: need root (or sudo) to run: $*" >&2; return 1
  fi
}

package_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# apt_get ARGS...: apt-get as root, non-interactive, with apt's own retries
# of a download. Its output is kept in $apt_output for the caller to read.
apt_output=""
apt_get() {
  apt_output=$(as_root env DEBIAN_FRONTEND=noninteractive \
                 apt-get -q -o Acquire::Retries=3 "$@" 2>&1)
}

# The last error apt printed (its "E: " line), or its last line.
apt_error() {
  local line
  line=$(printf '%s\n' "$apt_output" | grep '^E: ' | tail -n 1)
  [ -n "$line" ] || line=$(printf '%s\n' "$apt_output" | grep -v '^\s*$' | tail -n 1)
  printf '%s' "${line:-no message}"
}

# retry COMMAND...: runs it up to FETCH_TRIES times, pausing between tries,
# until it succeeds; fails when every try failed.
retry() {
  local try
  for ((try = 1; try <= FETCH_TRIES; try++)); do
    "$@" && return 0
    [ "$try" -lt "$FETCH_TRIES" ] && sleep "$FETCH_PAUSE"
  done
  return 1
}

# Fetches the package indexes. An index that still cannot be fetched is a
# warning: the indexes that came are used.
update_indexes() {
  retry apt_get update && return 0
  printf '%s\n' "$apt_output" | grep '^\(E\|W\): ' | sed 's/^/setup: warning: /' >&2
  echo "setup: warning: some package indexes could not be fetched; going on with the others" >&2
}

# Installs the given packages, trying again when a fetch fails.
install_packages() {
  retry apt_get install -y --no-install-recommends "$@"
}

# The versions apt offers of a package for one architecture, newest first.
offered_versions() {
  local name=$1 arch=$2
  apt-cache madison "$name:$arch" 2>/dev/null |
    awk -F'|' -v arch=" $arch " 'index($3, arch) { gsub(/ /, "", $2); print $2 }'
}

# shared_version NAME: the newest version of NAME offered both for i386 and
# for this machine's architecture, or nothing.
shared_version() {
  local name=$1 native version
  native=$(dpkg --print-architecture)
  local theirs
  theirs=$(offered_versions "$name" "$native")
  for version in $(offered_versions "$name" i386); do
    if printf '%s\n' "$theirs" | grep -qxF "$version"; then
      echo "$version"
      return 0
    fi
  done
  return 1
}

# The i386 packages the resolver names as not installable ("Depends:
# NAME:i386 (...) but it is not going to be installed", or a Breaks line of
# a library pair) in $apt_output.
named_i386_packages() {
  printf '%s\n' "$apt_output" |
    sed -n -e 's/.*Depends: \([^ ]*\):i386 .* but it is not going to be installed.*/\1/p' \
           -e 's/^ *\([^ ]*\):i386 : Breaks: \1 .*/\1/p' |
    sort -u
}

# Installs the 32-bit Wine the second way: the release's own suite is
# preferred, and each library pair that both architectures must carry at one
# version (Multi-Arch: same) and that the resolver names is pinned to a
# version both have. Round by round, for whatever pairs the resolver names.
install_wine32_pinned() {
  local release pins=() round name version native_version new
  release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
  if [ -z "$release" ]; then
    apt_output="E: the release's name is not in /etc/os-release"
    return 1
  fi
  for ((round = 1; round <= PIN_ROUNDS; round++)); do
    if apt_get install -s -y --no-install-recommends -t "$release" --allow-downgrades \
         "$WINE32" "${pins[@]}"; then
      echo "setup: installing $WINE32 from $release${pins[*]:+ with ${pins[*]}}"
      install_packages -t "$release" --allow-downgrades "$WINE32" "${pins[@]}"
      return
    fi
    new=0
    for name in $(named_i386_packages); do
      case " ${pins[*]} " in *" $name:i386="*) continue ;; esac
      native_version=$(dpkg-query -W -f='${Version}' "$name" 2>/dev/null) || continue
      version=$(shared_version "$name") || continue
      [ "$version" != "$native_version" ] || continue
      pins+=("$name:i386=$version" "$name=$version")
      new=1
    done
    [ "$new" -eq 1 ] || return 1
  done
  return 1
}

# Installs the 32-bit Wine; when it cannot be had, says why in one line and
# leaves the reason for the probe.
install_wine32() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    note_wine32_missing "the i386 architecture could not be added to dpkg"
    return
  fi
  if install_packages "$WINE32"; then
    rm -f "$WINE32_NOTE"
    return
  fi
  local first_error
  first_error=$(apt_error)
  echo "setup: $WINE32 did not install ($first_error); trying again with the release's own suite"
  if install_wine32_pinned; then
    rm -f "$WINE32_NOTE"
    return
  fi
  note_wine32_missing "apt-get could not install $WINE32 ($(apt_error))"
}

note_wine32_missing() {
  echo "setup: the 32-bit Wine is not installed: $1; the 32-bit tests will be skipped"
  mkdir -p "$(dirname "$WINE32_NOTE")" && printf '%s\n' "$1" > "$WINE32_NOTE"
}

missing=()
for p in "${PACKAGES[@]}"; do
  package_installed "$p" || missing+=("$p")
done
wine32_missing=0
package_installed "$WINE32" || wine32_missing=1

if [ ${#missing[@]} -eq 0 ] && [ "$wine32_missing" -eq 0 ]; then
  rm -f "$WINE32_NOTE"
  echo "setup: all $((${#PACKAGES[@]} + 1)) packages present"
  exit 0
fi

# The i386 indexes come with the same fetch as the others.
if [ "$wine32_missing" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
update_indexes
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! install_packages "${missing[@]}"; then
    printf '%s\n' "$apt_output" | tail -n 20 >&2
    echo "setup: could not install ${missing[*]}: $(apt_error)" >&2
    exit 1
  fi
fi
[ "$wine32_missing" -eq 1 ] && install_wine32
echo "setup: done"
exit 0
