#!/usr/bin/env bash
# The decode benchmark on the 9 MB corpus: makes the corpus
# (make_corpus.py), packs it as level-1 -lh5- with jlha c1o5 and, when
# given, with lzhpack create, and runs decode_bench on each archive,
# which prints MB/s for our decoder, libarchive and lhasa and our ratios.
#
# With lzhpack given and hyperfine installed, the whole programs follow, in
# three hyperfine batches on the jlha archive (the fastest batch of each
# command counts): "lzhpack test" and "lzhpack extract"
# (into a new folder each run, on tmpfs where /dev/shm allows) against
# "bsdtar -xOf" (output to /dev/null) and lhasa's test and extract; the
# peers' median wall times over ours are printed as ratios, and the same for
# CPU time (user and system), which other work on the machine sways less.
#
# usage: run_decode_bench.sh DECODE_BENCH [LZHPACK] [ROUNDS] [RUNS]
#   RUNS: runs of each command per batch (10)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bench=$1
lzhpack=${2:-}
rounds=${3:-9}
runs=${4:-10}

work=$(mktemp -d)
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d -p "$work")
trap 'rm -rf "$work" "$scratch"' EXIT
python3 "$here/make_corpus.py" "$work/corpus"
(cd "$work/corpus" && jlha c1o5 "$work/jlha.lzh" ./* >/dev/null 2>&1)
echo "== corpus packed by jlha c1o5 (stores incompressible files as -lh0-)"
"$bench" "$work/jlha.lzh" "$rounds"
if [ -z "$lzhpack" ]; then
  exit 0
fi
"$lzhpack" create --allow-stored --quiet "$work/lzhpack.lzh" "$work/corpus" >/dev/null
echo "== corpus packed by lzhpack create --allow-stored"
"$bench" "$work/lzhpack.lzh" "$rounds"

if ! command -v hyperfine >/dev/null; then
  echo "(hyperfine is not installed: no whole-program figures)"
  exit 0
fi
# In batches, each command's runs in a row within a batch: a stretch in
# which the machine runs slower then sways one batch of one command, and
# the fastest batch of each is the figure.
batches=3
echo "== whole programs on the jlha archive, $batches batches of $runs runs each, the fastest batch of each"
archive=$work/jlha.lzh
for batch in $(seq 1 "$batches"); do
  hyperfine --shell=none --style basic --warmup 5 --runs "$runs" \
    --export-json "$work/whole$batch.json" \
    --prepare "rm -rf $scratch/ours $scratch/lhasa" \
    -n "lzhpack test" "$lzhpack test $archive" \
    -n "lzhpack extract" "$lzhpack extract $archive $scratch/ours" \
    -n "bsdtar -xOf" "bsdtar -xOf $archive" \
    -n "lhasa t" "lhasa tq $archive" \
    -n "lhasa x" "lhasa xqfw=$scratch/lhasa $archive" >/dev/null
done
python3 - "$work"/whole*.json <<'PY'
import json, sys
results = {}
for path in sys.argv[1:]:
    for r in json.load(open(path))["results"]:
        kept = results.get(r["command"])
        if kept is None or r["median"] < kept["median"]:
            results[r["command"]] = r
def wall(name):
    return results[name]["median"] * 1000
def cpu(name):  # user and system time: less swayed by other work on the machine
    return (results[name]["user"] + results[name]["system"]) * 1000
print("median wall ms: " + ", ".join("%s %.1f" % (n, wall(n)) for n in results))
print("mean CPU ms:    " + ", ".join("%s %.1f" % (n, cpu(n)) for n in results))
for ours, peers in (("lzhpack test", ("bsdtar -xOf", "lhasa t")),
                    ("lzhpack extract", ("bsdtar -xOf", "lhasa x"))):
    for peer in peers:
        print("  %-16s %5.2f times as fast as %-12s (CPU time: %5.2f)"
              % (ours, wall(peer) / wall(ours), peer, cpu(peer) / cpu(ours)))
PY
