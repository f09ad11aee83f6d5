#!/usr/bin/env bash
# Builds the shipped installer a second time, in a tree of its own and in a
# time zone fourteen hours from UTC, and checks that it comes out byte for
# byte as the build tree's, with its game program, driver and archive.
#
# usage: check_reproducible.sh SOURCE HOST_TOOLS WINDOWS_TREE ARCH WORKDIR
#   ARCH is the tree's processor (i686 or x86_64)
set -u
source=$1
host_tools=$2
tree=$3
arch=$4
work=$5
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work" || exit 1
export TZ=Pacific/Kiritimati
if ! cmake -S "$source" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw.cmake" \
     -DKEST_WINDOWS_ARCH="$arch" -DCMAKE_BUILD_TYPE=Release \
     -DKEST_HOST_TOOLS_DIR="$host_tools" > "$work/configure.log" 2>&1; then
  tail -20 "$work/configure.log"
  echo "FAIL: the second tree does not configure"
  exit 1
fi
if ! cmake --build "$work" --target KestSetup -j "$(nproc 2>/dev/null || echo 2)" > "$work/build.log" 2>&1; then
  tail -20 "$work/build.log"
  echo "FAIL: the second build fails"
  exit 1
fi

for file in KestSetup.exe game/gamedata.lzh game/files/kestdemo.exe game/files/mgldib.drv; do
  if ! cmp "$tree/$file" "$work/$file"; then
    fail "$file differs between two builds ($(cmp -l "$tree/$file" "$work/$file" 2>/dev/null | wc -l) bytes)"
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s) (the build tree $tree must be built from these sources: run the build first)"
  exit 1
fi
echo "reproducible: $arch KestSetup.exe built twice gives the same $(stat -c %s "$work/KestSetup.exe") bytes"
