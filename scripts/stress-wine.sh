#!/usr/bin/env bash
# Runs the whole Wine suite several times in a row, two tests at a time, to
# show that it does not fail by chance on a busy machine. Not part of the
# test command: it takes one suite's time per run.
#
#   stress-wine.sh [RUNS [KIND]]    RUNS times (default 3); KIND win32 or
#                                   win64 runs that kind's set alone, else
#                                   every kind this machine's Wine runs
#
# Builds first (scripts/build.sh). Each run's CTest output is kept in
# build/native/stress/run-N.log; every failure is reported with the
# failing checks, the exit codes of the programs the harness started and
# where it saved its diagnostics. Ends with a count of runs and failures,
# and status 1 when anything failed.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
kind=${2:-}
case $runs in ''|*[!0-9]*) echo "usage: stress-wine.sh [RUNS [win32|win64]]" >&2; exit 2 ;; esac
case $kind in ''|win32|win64) ;; *) echo "usage: stress-wine.sh [RUNS [win32|win64]]" >&2; exit 2 ;; esac

bash scripts/build.sh
echo "stress: Wine tests by kind of program:"
bash scripts/wine-arches.sh | sed 's/^/stress:   /'
native=$PWD/build/native
logs=$native/stress
rm -rf "$logs"
mkdir -p "$logs"
labels=(-L wine)
[ -n "$kind" ] && labels+=(-L "$kind")

failed_runs=0
failures=0
started=$(date +%s)
for ((run = 1; run <= runs; run++)); do
  log=$logs/run-$run.log
  run_started=$(date +%s)
  # Each run starts with no diagnostics of an earlier one.
  rm -rf "$native/wine-output"
  if (cd "$native" && ctest -j2 --output-on-failure "${labels[@]}" >"$log" 2>&1); then
    echo "stress: run $run of $runs passed in $(( $(date +%s) - run_started )) s ($(grep -E '^[0-9]+% tests passed' "$log"))"
    continue
  fi
  failed_runs=$((failed_runs + 1))
  echo "stress: run $run of $runs FAILED in $(( $(date +%s) - run_started )) s; log $log"
  while read -r test; do
    failures=$((failures + 1))
    echo "stress:   $test"
    # The test's own lines that say what went wrong.
    sed -n "/Start *[0-9]*: $test\$/,/Test *#[0-9]*: $test /p" "$log" |
      grep -E '^(FAIL|ERROR):|Error:|!= |ended with|still running|timed out|kestwine: diagnostics' |
      sed 's/^/stress:     /' || true
  done < <(sed -n 's/^ *[0-9]* - \([^ ]*\) (.*/\1/p' "$log")
  # How each program the harness started ended, as its diagnostics say.
  find "$native/wine-output" -name programs.txt 2>/dev/null | sort | while read -r programs; do
    echo "stress:     ${programs#"$native"/}: $(grep -v ': ended with 0$' "$programs" | tr '\n' ';')"
  done
  cp -a "$native/wine-output" "$logs/wine-output-$run" 2>/dev/null || true
done
echo "stress: $runs runs in $(( $(date +%s) - started )) s, $failed_runs failed, $failures failing tests"
[ "$failed_runs" -eq 0 ]
