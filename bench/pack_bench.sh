#!/usr/bin/env bash
# Packing benchmark: "lzhpack create" against jlha (c1o5: level-1 headers,
# "-lh5-") on the same files in the same run. Prints, per file, the packed
# data size of each (extended headers left out, so only the compression is
# compared), the totals both ways (jlha stores what does not shrink as
# "-lh0-"; our installer archives are all "-lh5-", so ours is also shown
# with --allow-stored), the same totals at --best, and the wall time of
# packing every file into one archive, best of several runs, with the ratio.
#
# usage: pack_bench.sh LZHPACK [FOLDER]
#   FOLDER defaults to the benchmark corpus made by make_corpus.py.
set -euo pipefail
lzhpack=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/pack_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
runs=${PACK_BENCH_RUNS:-3}

if [ $# -ge 2 ]; then
  [ -d "$2" ] || { echo "pack_bench: no folder $2 (the sample game's is made by scripts/build.sh)"; exit 1; }
  corpus=$(realpath "$2")
else
  corpus=$work/corpus
  python3 "$here/make_corpus.py" "$corpus" >/dev/null
fi
command -v jlha >/dev/null || { echo "pack_bench: jlha is not installed (Debian package jlha-utils)"; exit 1; }

# Wall time of one command in milliseconds.
millis() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}

best_of() {
  local best=-1 t
  for _ in $(seq 1 "$runs"); do
    rm -f "$work"/*.lzh
    t=$(millis "$@")
    if [ "$best" -lt 0 ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best"
}

cd "$corpus"
files=$(ls)
ours_ms=$(best_of "$lzhpack" create --quiet "$work/ours.lzh" $files)
single_ms=$(best_of "$lzhpack" create --quiet --jobs 1 "$work/ours.lzh" $files)
best_ms=$(best_of "$lzhpack" create --quiet --best "$work/best.lzh" $files)
jlha_ms=$(best_of jlha c1o5 "$work/jlha.lzh" $files)
# The timed runs removed their archives; make them once more to measure.
"$lzhpack" create --quiet "$work/ours.lzh" $files
"$lzhpack" create --quiet --allow-stored "$work/stored.lzh" $files
"$lzhpack" create --quiet --best "$work/best.lzh" $files
jlha c1o5 "$work/jlha.lzh" $files >/dev/null

python3 - "$work/ours.lzh" "$work/stored.lzh" "$work/jlha.lzh" "$ours_ms" "$jlha_ms" "$corpus" "$single_ms" "$(nproc)" \
  "$work/best.lzh" "$best_ms" <<'PY'
import os, struct, sys

def members(path):
    """name -> (method, unpacked, packed data bytes without extended headers)"""
    data = open(path, "rb").read()
    at, out = 0, {}
    while data[at] != 0:
        size = data[at]
        body = data[at + 2:at + 2 + size]
        method = body[0:5].decode()
        packed, unpacked = struct.unpack("<II", body[5:13])
        name = body[20:20 + body[19]].decode("latin-1")
        extended, = struct.unpack("<H", body[size - 2:size])
        cursor = at + 2 + size
        ext_total = 0
        while extended:
            ext_total += extended
            cursor += extended
            extended, = struct.unpack("<H", data[cursor - 2:cursor])
        out[name] = (method, unpacked, packed - ext_total)
        at = at + 2 + size + packed
    return out

ours, stored, jlha = (members(p) for p in sys.argv[1:4])
ours_ms, jlha_ms, single_ms, cpus = int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[7]), int(sys.argv[8])
best, best_ms = members(sys.argv[9]), int(sys.argv[10])
corpus = sys.argv[6]
print("%-22s %10s %10s %10s  %s" % ("file", "size", "lzhpack", "jlha c1o5", "ours/jlha"))
tot = dict(size=0, ours=0, stored=0, jlha=0, c_ours=0, c_jlha=0, best=0, c_best=0)
worse = []
for name in sorted(ours):
    method_j, size, packed_j = jlha[name]
    _, _, packed_o = ours[name]
    _, _, packed_s = stored[name]
    print("%-22s %10d %10d %10d  %.4f %s" % (name, size, packed_o, packed_j, packed_o / max(packed_j, 1),
                                           "(jlha stored)" if method_j == "-lh0-" else ""))
    packed_b = best[name][2]
    tot["size"] += size; tot["ours"] += packed_o; tot["stored"] += packed_s; tot["jlha"] += packed_j
    tot["best"] += packed_b
    if method_j == "-lh5-":
        tot["c_ours"] += packed_o; tot["c_jlha"] += packed_j; tot["c_best"] += packed_b
        if packed_o > packed_j:
            worse.append(name)
print()
print("corpus: %s, %d files, %d bytes" % (corpus, len(ours), tot["size"]))
print("total, files jlha compresses : lzhpack %10d  jlha %10d  ratio %.4f" % (tot["c_ours"], tot["c_jlha"], tot["c_ours"] / tot["c_jlha"]))
print("total, all -lh5- (ours)      : lzhpack %10d  jlha %10d  ratio %.4f" % (tot["ours"], tot["jlha"], tot["ours"] / tot["jlha"]))
print("total, ours --allow-stored   : lzhpack %10d  jlha %10d  ratio %.4f" % (tot["stored"], tot["jlha"], tot["stored"] / tot["jlha"]))
print("total, files jlha compresses, --best : lzhpack %10d  jlha %10d  ratio %.4f" % (tot["c_best"], tot["c_jlha"], tot["c_best"] / tot["c_jlha"]))
print("total, all -lh5- (ours), --best      : lzhpack %10d  jlha %10d  ratio %.4f" % (tot["best"], tot["jlha"], tot["best"] / tot["jlha"]))
print("files jlha compresses where lzhpack is larger: %s" % (", ".join(worse) if worse else "none"))
print("packing wall time, best of runs, %d processors:" % cpus)
print("  lzhpack (one thread per processor) %5d ms  %5.1f MB/s  jlha/lzhpack %.2fx" %
      (ours_ms, tot["size"] / 1e6 / max(ours_ms / 1000, 1e-3), jlha_ms / max(ours_ms, 1)))
print("  lzhpack --jobs 1                   %5d ms  %5.1f MB/s  jlha/lzhpack %.2fx" %
      (single_ms, tot["size"] / 1e6 / max(single_ms / 1000, 1e-3), jlha_ms / max(single_ms, 1)))
print("  lzhpack --best                     %5d ms  %5.1f MB/s  jlha/lzhpack %.2fx" %
      (best_ms, tot["size"] / 1e6 / max(best_ms / 1000, 1e-3), jlha_ms / max(best_ms, 1)))
print("  jlha c1o5                          %5d ms  %5.1f MB/s" % (jlha_ms, tot["size"] / 1e6 / max(jlha_ms / 1000, 1e-3)))
PY
