#!/usr/bin/env bash
# Builds both installers signed, in trees of their own, with a throwaway
# certificate authority and code-signing certificate made here, and checks
# what a publisher relies on: the signature verifies against that
# authority, a signed installer still carries its game archive, two signed
# builds give the same bytes, the checksums file catches a changed byte, and
# a wrong password stops the build with its message and no installer left.
# The signed installers are left in WORKDIR/signed-win32 and signed-win64
# for the end-to-end install of a signed installer.
#
# usage: check_signing.sh SOURCE HOST_TOOLS WORKDIR
set -u
source=$1
host_tools=$2
work=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
jobs=$(nproc 2>/dev/null || echo 2)

rm -rf "$work" && mkdir -p "$work/keys" || exit 1
keys=$work/keys
# One signing time for every build here, after the certificate's start.
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(date +%s)

# The authority, and a code-signing certificate it issues, whose key is
# kept under a password.
printf 'kest-test-password\n' > "$keys/password"
printf 'not-the-password\n' > "$keys/wrong-password"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/ca.key" -out "$keys/ca.pem" \
  -days 2 -subj "/CN=Kest Test Authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
  >/dev/null 2>&1 || { echo "FAIL: openssl made no authority"; exit 1; }
openssl req -newkey rsa:2048 -keyout "$keys/publisher.key" -passout "file:$keys/password" \
  -out "$keys/publisher.csr" -subj "/CN=Kest Test Publisher" >/dev/null 2>&1 &&
printf 'extendedKeyUsage=codeSigning\nkeyUsage=digitalSignature\n' > "$keys/publisher.ext" &&
openssl x509 -req -in "$keys/publisher.csr" -CA "$keys/ca.pem" -CAkey "$keys/ca.key" \
  -CAcreateserial -days 2 -extfile "$keys/publisher.ext" -out "$keys/publisher.pem" \
  >/dev/null 2>&1 || { echo "FAIL: openssl made no code-signing certificate"; exit 1; }

# configure TREE ARCH PASSWORD_FILE: a Windows tree signing with the key.
configure() {
  cmake -S "$source" -B "$work/$1" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw.cmake" \
    -DKEST_WINDOWS_ARCH="$2" -DCMAKE_BUILD_TYPE=Release -DKEST_HOST_TOOLS_DIR="$host_tools" \
    -DKEST_SIGN_CERT="$keys/publisher.pem" -DKEST_SIGN_KEY="$keys/publisher.key" \
    -DKEST_SIGN_PASSWORD_FILE="$3" -DKEST_SIGN_URL=https://brevald.example/kestdemo \
    > "$work/$1-configure.log" 2>&1
}

# build TREE: the installer alone; its output in TREE-build.log.
build() {
  cmake --build "$work/$1" --target KestSetup -j "$jobs" > "$work/$1-build.log" 2>&1
}

for arch in i686 x86_64; do
  tree=tree-$arch
  if ! configure "$tree" "$arch" "$keys/password" || ! build "$tree"; then
    tail -20 "$work/$tree-build.log" 2>/dev/null
    fail "the signed $arch tree does not build"
    continue
  fi
  installer=$work/$tree/KestSetup.exe
  verdict=$(osslsigncode verify -CAfile "$keys/ca.pem" -in "$installer" 2>&1)
  echo "$verdict" | grep -qx "Succeeded" ||
    fail "$arch: the signature does not verify: $(echo "$verdict" | tail -n 3 | tr '\n' ' ')"
  echo "$verdict" | grep -q "Kest Test Publisher" || fail "$arch: the signer is not named"

  # The game archive rides on unchanged.
  wrestool -x --raw --type=MYDATA --name=GAMEDATA "$installer" > "$work/$arch-gamedata.lzh"
  cmp -s "$work/$arch-gamedata.lzh" "$work/$tree/game/gamedata.lzh" ||
    fail "$arch: the signed installer does not carry the game archive"

  # Linked and signed again: the same bytes.
  cp "$installer" "$work/$arch-first.exe"
  rm -f "$installer"
  if build "$tree"; then
    cmp -s "$installer" "$work/$arch-first.exe" ||
      fail "$arch: two signed builds differ ($(cmp -l "$installer" "$work/$arch-first.exe" | wc -l) bytes)"
  else
    fail "$arch: the second signed build fails"
  fi

  # The checksums file: sound as written, and it catches one changed byte.
  (cd "$work/$tree" && sha256sum -c --quiet SHA256SUMS) || fail "$arch: SHA256SUMS does not check"
  mkdir -p "$work/$arch-changed"
  cp "$installer" "$work/$tree/SHA256SUMS" "$work/$arch-changed/"
  python3 -c 'import sys; data = bytearray(open(sys.argv[1], "rb").read()); data[4096] ^= 0xFF
open(sys.argv[1], "wb").write(data)' "$work/$arch-changed/KestSetup.exe"
  if (cd "$work/$arch-changed" && sha256sum -c --quiet SHA256SUMS) >/dev/null 2>&1; then
    fail "$arch: SHA256SUMS passes an installer with a changed byte"
  fi

  kind=win32
  [ "$arch" = x86_64 ] && kind=win64
  mkdir -p "$work/signed-$kind"
  cp "$installer" "$work/signed-$kind/KestSetup.exe"
done

# A wrong password stops the build, saying why, with no installer left.
tree=tree-i686
if [ -d "$work/$tree" ] && configure "$tree" i686 "$keys/wrong-password"; then
  rm -f "$work/$tree/KestSetup.exe"
  if build "$tree"; then
    fail "a wrong password did not stop the build"
  else
    grep -q "osslsigncode refused (wrong certificate, key or password?)" "$work/$tree-build.log" ||
      fail "the build stopped without the signing message: $(tail -n 5 "$work/$tree-build.log")"
  fi
  [ -e "$work/$tree/KestSetup.exe" ] && fail "an installer was left after the signing failed"
  [ -e "$work/$tree/KestSetup.exe.signing" ] && fail "a half-signed installer was left"
  [ -e "$work/$tree/SHA256SUMS" ] && fail "the checksums of a failed build were left"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "signing: both installers signed, verified, byte-identical when built twice"
