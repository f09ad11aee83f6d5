#!/usr/bin/env bash
# Builds everything and runs every test, native and under Wine, ending with
# the test runner's summary. The Wine tests run once for each kind of
# Windows program this machine's Wine runs (scripts/wine-arches.sh says
# which; KEST_WINE_ARCHES=win32, win64 or "win32 win64" narrows the choice);
# the tests of a kind it cannot run are reported as skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh "$@"
jobs=$(nproc 2>/dev/null || echo 2)
echo "test: Wine tests by kind of program:"
bash scripts/wine-arches.sh | sed 's/^/test:   /'
cd build/native
exec ctest --output-on-failure -j "$jobs"
