#!/usr/bin/env bash
# Runs the archive fuzzer for the tests.
#   run_fuzzer.sh bounded FUZZER WORKDIR SEEDS RUNS
#       fuzzes for RUNS inputs from a fixed seed, starting from the seed
#       corpus; new inputs go to WORKDIR (the committed seeds stay as they
#       are) and any crashing input to WORKDIR/crash-*.
#   run_fuzzer.sh replay FUZZER DIR
#       runs every input file in DIR (the inputs that once crashed it).
set -euo pipefail
mode=$1
fuzzer=$2
case "$mode" in
  bounded)
    work=$3 seeds=$4 runs=$5
    rm -rf "$work"
    mkdir -p "$work/corpus"
    exec "$fuzzer" -runs="$runs" -seed=1 -max_len=8192 -timeout=10 \
      -artifact_prefix="$work/" "$work/corpus" "$seeds"
    ;;
  replay)
    dir=$3
    inputs=()
    for f in "$dir"/*; do
      case "$(basename "$f")" in README*) ;; *) [ -f "$f" ] && inputs+=("$f") ;; esac
    done
    if [ ${#inputs[@]} -eq 0 ]; then
      echo "no regression inputs in $dir"
      exit 0
    fi
    exec "$fuzzer" -timeout=10 "${inputs[@]}"
    ;;
  *)
    echo "usage: run_fuzzer.sh bounded|replay ..." >&2
    exit 2
    ;;
esac
