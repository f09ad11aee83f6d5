#!/usr/bin/env bash
# The decode benchmark on the 9 MB corpus: makes the corpus
# (make_corpus.py), packs it as level-1 -lh5- with jlha c1o5 and, when
# given, with lzhpack create, and runs decode_bench on each archive,
# which prints MB/s for our decoder, libarchive and lhasa and our ratios.
#
# usage: run_decode_bench.sh DECODE_BENCH [LZHPACK] [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bench=$1
lzhpack=${2:-}
rounds=${3:-9}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_corpus.py" "$work/corpus"
(cd "$work/corpus" && jlha c1o5 "$work/jlha.lzh" ./* >/dev/null 2>&1)
echo "== corpus packed by jlha c1o5 (stores incompressible files as -lh0-)"
"$bench" "$work/jlha.lzh" "$rounds"
if [ -n "$lzhpack" ]; then
  "$lzhpack" create --allow-stored --quiet "$work/lzhpack.lzh" "$work/corpus" >/dev/null
  echo "== corpus packed by lzhpack create --allow-stored"
  "$bench" "$work/lzhpack.lzh" "$rounds"
fi
