#!/usr/bin/env bash
# Sets up the machine and builds everything: host tools and tests in
# build/native, the installers and the Windows programs in build/win32 and
# build/win64.
# Extra arguments go to the host tree's cmake configure step
# (for example -DKEST_GAME_FOLDER=/path/to/game).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

werror=OFF
[ -n "${CI:-}" ] && werror=ON
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build/native \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKEST_WERROR="$werror" "$@" >/dev/null
cmake --build build/native -j "$jobs"
echo "build: installers at build/win32/KestSetup.exe (32-bit) and build/win64/KestSetup.exe (64-bit), host tools in build/native/"
