#!/usr/bin/env bash
# "lzhpack create --jobs 4" over a folder of several files, run by a build
# of lzhpack with ThreadSanitizer: the packing threads must share nothing
# they write. The archive it makes must then test sound with the ordinary
# build, and equal the one a single thread makes.
#
# usage: parallel_create_tsan.sh LZHPACK_TSAN LZHPACK WORKDIR
set -u
tsan=$1
lzhpack=$2
work=$3

rm -rf "$work" && mkdir -p "$work/in" || exit 1
cd "$work" || exit 1

# Eight members of different kinds and sizes, so that the threads pack
# several at once and finish at different times.
python3 - <<'PY'
import random
r = random.Random(4711)
words = [b"level ", b"door ", b"key ", b"the ", b"monster ", b"gate ", b"\r\n"]
for i in range(8):
    size = 20000 + 15000 * i
    if i % 2 == 0:
        data = b"".join(r.choice(words) for _ in range(size // 4))[:size]
    else:
        data = bytes(r.getrandbits(8) for _ in range(size // 8)) * 8
    open("in/member%d.bin" % i, "wb").write(data)
PY

# halt_on_error: the first report ends the run with exit status 66.
export TSAN_OPTIONS="halt_on_error=1 exitcode=66"
"$tsan" create --jobs 4 --quiet parallel.lzh in > tsan.out 2>&1
status=$?
if [ $status -ne 0 ]; then
    cat tsan.out
    echo "FAIL: lzhpack create --jobs 4 under ThreadSanitizer exited with $status"
    exit 1
fi
if ! "$lzhpack" test parallel.lzh > test.out 2>&1; then
    cat test.out
    echo "FAIL: the archive made by four threads does not test sound"
    exit 1
fi
"$lzhpack" create --jobs 1 --quiet single.lzh in > /dev/null 2>&1 || { echo "FAIL: --jobs 1"; exit 1; }
# The header time stamps come from the files, so both archives are equal.
if ! cmp -s parallel.lzh single.lzh; then
    echo "FAIL: four threads packed other bytes than one"
    exit 1
fi
echo "ok: 8 members packed by 4 threads under ThreadSanitizer, no report"
