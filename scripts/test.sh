#!/usr/bin/env bash
# Builds everything and runs every test, native and under Wine, ending with
# the test runner's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh "$@"
jobs=$(nproc 2>/dev/null || echo 2)
cd build/native
exec ctest --output-on-failure -j "$jobs"
