#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The release command twice, from two clones in two folders at two times: every download must be
# the same to the byte (diffoscope names what differs where it is installed). Then once more for
# Windows with a throw-away self-signed certificate: every signature must verify, and the signed
# installer and program must run under Wine.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/support/wine.sh"
scratch=$(mktemp -d)
trap 'wine_stop; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

release() { # $1: a name for this build; further arguments to release.sh after its folder
  local name=$1
  shift
  git clone -q "$repo" "$scratch/$name-clone"
  "$scratch/$name-clone/scripts/release.sh" "$scratch/$name" "$@" >"$scratch/$name.log" 2>&1 ||
    { cat "$scratch/$name.log"; fail "release $name"; }
}

release first
grep -qx 'No ZANDREL_SIGN_PKCS12: nothing is signed.' "$scratch/first.log" || fail "an unsigned release does not say so"
version=$(sed -n 's/^project(zandrel VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
expected=("zandrel_${version}_amd64.deb" "zandrel-$version-setup.exe" "zandrel-$version-win64.zip")
(cd "$scratch/first" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match the files"
[ "$(cd "$scratch/first" && ls | sort)" = "$(printf '%s\n' "${expected[@]}" SHA256SUMS | sort)" ] ||
  fail "dist holds $(ls "$scratch/first")"
sleep 2
release second
for file in "${expected[@]}"; do
  if ! cmp -s "$scratch/first/$file" "$scratch/second/$file"; then
    command -v diffoscope >/dev/null && diffoscope "$scratch/first/$file" "$scratch/second/$file" | head -n 60
    fail "$file differs between two builds of one commit"
  fi
done
echo "two builds of one commit: ${#expected[@]} downloads alike to the byte"

# A throw-away code-signing certificate.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=zandrel test signing" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" -passout pass:throwaway \
  -out "$scratch/sign.p12"
ZANDREL_SIGN_PKCS12=$scratch/sign.p12 ZANDREL_SIGN_PASSWORD=throwaway release signed windows
verify() { osslsigncode verify -CAfile "$scratch/cert.pem" -in "$1" >"$scratch/verify.log" 2>&1 ||
  { cat "$scratch/verify.log"; fail "the signature of $(basename "$1") does not verify"; }; }
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$scratch/signed/zandrel-$version-win64.zip" "$scratch/portable"
verify "$scratch/portable/zandrel-$version-win64/zandrel.exe"
verify "$scratch/signed/zandrel-$version-setup.exe"

wine_prefix "$scratch" null
wine "$scratch/signed/zandrel-$version-setup.exe" /S </dev/null || fail "the signed setup"
wineserver -w
inst=$(winepath -u "$(wine cmd /c echo '%LOCALAPPDATA%' </dev/null 2>/dev/null | tr -d '\r')\\Programs\\zandrel")
verify "$inst/uninstall.exe"
verify "$inst/zandrel.exe"
(cd "$scratch" && exec wine "$inst/zandrel.exe" </dev/null >/dev/null 2>&1) &
program=$!
sleep 3
kill -0 "$program" 2>/dev/null || fail "the signed program did not run"
{ kill -9 "$program" && wait "$program"; } 2>/dev/null || true
echo "signed: zandrel.exe, the setup and the uninstaller it installs verify; the signed program runs"
