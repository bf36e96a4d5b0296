#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The release command as publishers and rebuilders use it:
# - twice, from two clones, the second in an unfriendly environment (git settings and an
#   attributes file asking for CRLF line endings, compiler flags, umask 077, a locale whose
#   collation differs from C's, another time zone, a temporary folder on tmpfs, an inherited
#   SOURCE_DATE_EPOCH): every download must be the same to the byte, SHA256SUMS included;
# - the first with a maintainer named, whose source and binary packages lintian must pass in
#   silence and which installs as a complete desktop application; every download carries the one
#   version;
# - signed with a throw-away certificate: every signature verifies, the signed setup installs
#   and its program runs under Wine; a rebuild that attaches the published signatures gives the
#   published SHA256SUMS, also for an ordinary user who takes the settings from BUILDINFO;
# - with a download address, a page and an OpenPGP key named: winget's and Scoop's manifests that
#   their schemas accept, whose hashes are the downloads' and whose every address is a download or
#   the page, and a signature of SHA256SUMS that gpg accepts and refuses for a changed one; the
#   setup, run with the manifest's silent switch, writes the manifest's Apps & features entry and
#   returns the code it maps while zandrel runs;
# - what must leave dist/ as it was: a wrong signing password (said before anything is built),
#   uncommitted changes; and a trial release after another platform's, which replaces all of dist/.
# - one version later (a throw-away commit), an apt repository that carries the first one forward.
# ZANDREL_KEEP_RELEASE names a folder to keep the first and the later release in.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/support/wine.sh"
scratch=$(mktemp -d)
shm=$(mktemp -d /dev/shm/zandrel-release.XXXXXX)
trap 'wine_stop; rm -rf "$scratch" "$shm"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

release() { # $1: a name for this build; then environment settings; then -- and release.sh's arguments
  local name=$1
  shift
  local settings=()
  while [ "$1" != -- ]; do settings+=("$1"); shift; done
  shift
  [ -d "$scratch/$name-clone" ] || env "${settings[@]}" git clone -q "$repo" "$scratch/$name-clone"
  env "${settings[@]}" "$scratch/$name-clone/scripts/release.sh" "$@" >"$scratch/$name.log" 2>&1
}
listing() { (cd "$1" && find . -type f -exec sha256sum {} + | sort); }

version=$(sed -n 's/^project(zandrel VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
downloads=("zandrel_${version}-1_amd64.deb" "zandrel_$version.orig.tar.xz" "zandrel_${version}-1.debian.tar.xz"
  "zandrel_${version}-1.dsc" "zandrel-$version-setup.exe" "zandrel-$version-win64.zip" NEWS.md LICENSE BUILDINFO)
maintainer="zandrel release test <release-test@example.org>"
homepage=https://example.org/zandrel
# A throw-away OpenPGP key, in a keyring of its own.
export GNUPGHOME=$scratch/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key 'zandrel release test <release-test@example.org>' ed25519 sign 1d 2>/dev/null
gpg_key=$(gpg --batch --with-colons --fingerprint 2>/dev/null | awk -F: '$1 == "fpr" {print $10; exit}')
# Its apt repository published at file:/srv/zandrel/apt, for a fresh Debian system to take.
publisher=(ZANDREL_MAINTAINER="$maintainer" ZANDREL_HOMEPAGE="$homepage" ZANDREL_GPG_KEY="$gpg_key")

release first "${publisher[@]}" ZANDREL_URL_BASE="file:///srv/zandrel/$version" -- "$scratch/first" ||
  { cat "$scratch/first.log"; fail "release first"; }
grep -q 'no ZANDREL_SIGN_PKCS12: nothing is signed' "$scratch/first.log" || fail "an unsigned release does not say so"
(cd "$scratch/first" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match the files"
[ "$(cd "$scratch/first" && ls | sort)" = "$(printf '%s\n' "${downloads[@]}" SHA256SUMS SHA256SUMS.asc \
  "zandrel_${version}-1_amd64.buildinfo" apt zandrel-archive-keyring.gpg zandrel.sources winget scoop | sort)" ] ||
  fail "dist holds $(ls "$scratch/first")"
grep -qx "commit: $(git -C "$repo" rev-parse HEAD)" "$scratch/first/BUILDINFO" || fail "BUILDINFO names no commit"

# The one version in every download: the package, its changelog, manual page and metainfo; the
# program's version record, no debug build; the installer's name.
deb=$scratch/first/zandrel_${version}-1_amd64.deb
dpkg-deb -x "$deb" "$scratch/deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || fail "package version"
[ "$(dpkg-deb -f "$deb" Maintainer)" = "$maintainer" ] || fail "the maintainer named did not reach the package"
zcat "$scratch/deb/usr/share/doc/zandrel/changelog.Debian.gz" | head -n 1 | grep -qF "zandrel ($version-1)" || fail "changelog version"
zcat "$scratch/deb/usr/share/doc/zandrel/changelog.Debian.gz" | grep -qF -- "-- $maintainer  " || fail "changelog maintainer"
zcat "$scratch/deb/usr/share/man/man1/zandrel.1.gz" | grep -qF "\"zandrel $version\"" || fail "manual page version"
grep -qF "<release version=\"$version\"" "$scratch/deb/usr/share/metainfo/org.zandrel.zandrel.metainfo.xml" ||
  fail "metainfo version"
python3 - "$scratch/first/zandrel-$version-win64.zip" "$version" <<'PY' || fail "zandrel.exe's version record"
import struct, sys, zipfile
archive, version = zipfile.ZipFile(sys.argv[1]), sys.argv[2]
exe = next(archive.read(n) for n in archive.namelist() if n.endswith("/zandrel.exe"))
at = exe.index(struct.pack("<I", 0xFEEF04BD))
_, _, ms, ls, _, _, mask, flags = struct.unpack_from("<8I", exe, at)
found = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
assert found == version, f"version {found}"
assert flags & mask & 1 == 0, "the debug flag"
names = {n.split("/", 1)[1] for n in archive.namelist()}
assert names == {"zandrel.exe", "README.md", "LICENSE", "THIRD-PARTY-NOTICES.txt"}, names
PY
echo "first release: $(ls "$scratch/first" | wc -l) files, version $version throughout"

# One version later (a throw-away commit), its repository carrying the first one's forward.
later=${version%.*}.$((${version##*.} + 1))
git clone -q "$repo" "$scratch/later-clone"
(cd "$scratch/later-clone" && sed -i "s/^project(zandrel VERSION $version/project(zandrel VERSION $later/" CMakeLists.txt &&
  sed -i "0,/^## /s//## $later ($(date -u +%F))\n\n- A later release.\n\n## /" NEWS.md &&
  python3 res/linux/changelog.py NEWS.md "$(dpkg-parsechangelog -SMaintainer)" debian/changelog &&
  git -c user.name=test -c user.email=test@example.org commit -qam "$later")
release later "${publisher[@]}" ZANDREL_URL_BASE="file:///srv/zandrel/$later" ZANDREL_APT_PREVIOUS="$scratch/first/apt" \
  -- "$scratch/later" linux || { cat "$scratch/later.log"; fail "release later"; }
[ "$(sed -n 's/^Version: //p' "$scratch/later/apt/Packages" | sort)" = "$(printf '%s\n' "$version-1" "$later-1")" ] ||
  fail "the later repository holds $(sed -n 's/^Version: //p' "$scratch/later/apt/Packages")"
# For its source package and its apt repository on another Debian.
[ -z "${ZANDREL_KEEP_RELEASE:-}" ] || { mkdir "$ZANDREL_KEEP_RELEASE" && cp -r "$scratch/first" "$scratch/later" "$ZANDREL_KEEP_RELEASE"; }

# Debian's checker says nothing of either package with a maintainer named (a Standards-Version
# newer than Debian 12's lintian knows aside); the package installs and runs.
lintian --tag-display-limit 0 --suppress-tags newer-standards-version "$scratch/first/zandrel_${version}-1.dsc" "$deb" 2>&1 |
  grep -v 'running with root privileges' | grep . && fail "lintian is not silent"
bash "$repo/tests/package/installTest.sh" deb "$deb" || fail "installing the package"

# The same commit from a builder whose settings would change the bytes if they reached the build:
# en_US.UTF-8 sorts "zandrel_" before "zandrel-", C does not.
mkdir -p "$scratch/home/.config/git" "$scratch/locale"
git config -f "$scratch/home/.gitconfig" core.autocrlf true
printf '* text=auto eol=crlf\n' >"$scratch/home/.config/git/attributes"
localedef -i en_US -f UTF-8 "$scratch/locale/en_US.UTF-8" 2>/dev/null || fail "no en_US.UTF-8 locale to build in"
(umask 077 && release second HOME="$scratch/home" TMPDIR="$shm" CXXFLAGS=-march=native CFLAGS=-O0 \
  LOCPATH="$scratch/locale" LANG=en_US.UTF-8 TZ=Pacific/Kiritimati SOURCE_DATE_EPOCH=1 \
  -- --like "$scratch/first/BUILDINFO" "$scratch/second") || { cat "$scratch/second.log"; fail "release second"; }
grep -q 'ignoring SOURCE_DATE_EPOCH=1' "$scratch/second.log" || fail "an inherited SOURCE_DATE_EPOCH is not said"
grep -q 'ignoring CXXFLAGS=-march=native' "$scratch/second.log" || fail "CXXFLAGS from the environment are not said"
for file in "${downloads[@]}" SHA256SUMS; do
  if ! cmp -s "$scratch/first/$file" "$scratch/second/$file"; then
    command -v diffoscope >/dev/null && diffoscope "$scratch/first/$file" "$scratch/second/$file" | head -n 60
    fail "$file differs between two builds of one commit"
  fi
done
echo "two builds of one commit, the second in an unfriendly environment: every download alike to the byte"

# A throw-away code-signing certificate.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=zandrel test signing" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" -passout pass:throwaway \
  -out "$scratch/sign.p12"
base=https://downloads.example.org/zandrel/$version
# The certificate named relative to where the release is started.
(cd "$scratch" && release signed ZANDREL_SIGN_PKCS12=sign.p12 ZANDREL_SIGN_PASSWORD=throwaway \
  ZANDREL_URL_BASE="$base" ZANDREL_HOMEPAGE="$homepage" ZANDREL_GPG_KEY="$gpg_key" -- "$scratch/signed" windows) ||
  { cat "$scratch/signed.log"; fail "release signed"; }
grep -q 'no time stamp, so Windows stops accepting them when the certificate expires' "$scratch/signed.log" ||
  fail "signing without a time-stamp server does not say what that means"
verify() { osslsigncode verify -CAfile "$scratch/cert.pem" -in "$1" >"$scratch/verify.log" 2>&1 ||
  { cat "$scratch/verify.log"; fail "the signature of $(basename "$1") does not verify"; }; }
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$scratch/signed/zandrel-$version-win64.zip" "$scratch/portable"
verify "$scratch/portable/zandrel-$version-win64/zandrel.exe"
verify "$scratch/signed/zandrel-$version-setup.exe"

# The manifests: their schemas accept them, and they name the downloads by their hashes.
schemas=$repo/../shared/schemas
if [ -d "$schemas" ]; then
  /usr/bin/python3 - "$schemas" "$scratch/signed" "$base" "$version" "$homepage" <<'PY' || fail "the manifests"
import hashlib, json, os, re, sys, yaml, jsonschema
schemas, dist, base, version, homepage = sys.argv[1:]
def load(path):
    with open(path, encoding="utf-8") as f:
        return yaml.safe_load(f) if path.endswith(".yaml") else json.load(f)
def sha256(name):
    with open(f"{dist}/{name}", "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()
manifests = {"winget/zandrel.zandrel.yaml": "winget-1.10.0/manifest.version.1.10.0.json",
             "winget/zandrel.zandrel.installer.yaml": "winget-1.10.0/manifest.installer.1.10.0.json",
             "winget/zandrel.zandrel.locale.en-US.yaml": "winget-1.10.0/manifest.defaultLocale.1.10.0.json",
             "scoop/zandrel.json": "scoop/schema.json"}
for manifest, schema in manifests.items():
    jsonschema.Draft7Validator(load(f"{schemas}/{schema}")).validate(load(f"{dist}/{manifest}"))
installer = load(f"{dist}/winget/zandrel.zandrel.installer.yaml")["Installers"][0]
setup = f"zandrel-{version}-setup.exe"
assert installer["InstallerUrl"] == f"{base}/{setup}", installer["InstallerUrl"]
assert installer["InstallerSha256"].lower() == sha256(setup), "the setup's hash"
zip = load(f"{dist}/scoop/zandrel.json")["architecture"]["64bit"]
assert zip["url"] == f"{base}/zandrel-{version}-win64.zip" and zip["hash"] == sha256(f"zandrel-{version}-win64.zip"), "the zip"
# Every address is the publisher's page or a download, this release's or (autoupdate) the next's.
downloads = {homepage} | {f"{base}/{name}" for name in os.listdir(dist)}
for manifest in manifests:
    for address in re.findall(r'[a-z]+://[^"\s]+', open(f"{dist}/{manifest}", encoding="utf-8").read()):
        assert address.replace("$version", version) in downloads or "aka.ms/winget-manifest" in address, f"{manifest}: {address}"
PY
  checked="valid, true to the downloads, every address a download or the publisher's page"
else
  echo "SKIPPED: no schemas in $schemas to check the manifests against"
  checked="made, not checked"
fi
cp -r "$scratch/signed/winget" "$scratch/manifests"
# The signature of SHA256SUMS: gpg accepts it, and refuses it for a changed SHA256SUMS.
gpg --batch --verify "$scratch/signed/SHA256SUMS.asc" "$scratch/signed/SHA256SUMS" 2>/dev/null ||
  fail "gpg does not accept the signature of SHA256SUMS"
sed 's/^./0/' "$scratch/signed/SHA256SUMS" >"$scratch/changed-SHA256SUMS"
gpg --batch --verify "$scratch/signed/SHA256SUMS.asc" "$scratch/changed-SHA256SUMS" 2>/dev/null &&
  fail "gpg accepts the signature for a changed SHA256SUMS"
echo "winget and Scoop manifests $checked; SHA256SUMS signed"

# A rebuilder without the key, an ordinary user, attaches the published signatures to their own
# build, the publisher's settings taken from BUILDINFO, and gets the published files.
folder=$(tar -tvf "$scratch/signed/zandrel-$version-authenticode.tar" | head -n 1)
[[ $folder == drwxr-xr-x*' ./' ]] || fail "the signatures' folder is not open to every user: $folder"
rebuilder=$scratch/rebuilder rebuilt=$scratch/rebuilder/dist
chmod 711 "$scratch"
git clone -q "$repo" "$rebuilder/clone"
cp "$scratch/signed/zandrel-$version-authenticode.tar" "$scratch/signed/BUILDINFO" "$scratch/cert.pem" "$rebuilder/"
as_rebuilder=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody: "$rebuilder"
  as_rebuilder=(runuser -u nobody --)
fi
"${as_rebuilder[@]}" env HOME="$rebuilder" ZANDREL_SIGNATURES="$rebuilder/zandrel-$version-authenticode.tar" \
  ZANDREL_SIGN_CAFILE="$rebuilder/cert.pem" "$rebuilder/clone/scripts/release.sh" --like "$rebuilder/BUILDINFO" \
  "$rebuilt" windows >"$scratch/rebuilt.log" 2>&1 || { cat "$scratch/rebuilt.log"; fail "release rebuilt"; }
cmp -s "$scratch/signed/SHA256SUMS" "$rebuilt/SHA256SUMS" ||
  { diff "$scratch/signed/SHA256SUMS" "$rebuilt/SHA256SUMS"; fail "a rebuild with the signatures attached differs"; }
echo "signed at the commit's time: an ordinary user's rebuild with the published signatures and settings gives the published SHA256SUMS"

# What must leave dist/ as it was.
before=$(listing "$scratch/signed")
release badpass ZANDREL_SIGN_PKCS12="$scratch/sign.p12" ZANDREL_SIGN_PASSWORD=wrong -- "$scratch/signed" windows &&
  fail "a release with a wrong password succeeded"
grep -q "cannot open .*sign.p12 with ZANDREL_SIGN_PASSWORD" "$scratch/badpass.log" || fail "a wrong password is not said before the build"
[ "$(listing "$scratch/signed")" = "$before" ] || fail "a failed release changed dist"
echo "changed" >>"$scratch/badpass-clone/README.md"
release badpass -- "$scratch/signed" windows && fail "a release of uncommitted changes succeeded"
grep -q 'not committed' "$scratch/badpass.log" || fail "a refused dirty tree is not said"
[ "$(listing "$scratch/signed")" = "$before" ] || fail "a refused release changed dist"
# A trial of those changes, for the other platform, into the same dist/: only its files remain.
release badpass -- --trial "$scratch/signed" linux || { cat "$scratch/badpass.log"; fail "a trial release"; }
trial=("zandrel_${version}-1_amd64.deb" "zandrel_${version}-1_amd64.buildinfo" NEWS.md LICENSE BUILDINFO SHA256SUMS)
[ "$(cd "$scratch/signed" && ls | sort)" = "$(printf 'trial-%s\n' "${trial[@]}" | sort)" ] ||
  fail "after a trial release dist holds $(ls "$scratch/signed")"
(cd "$scratch/signed" && sha256sum -c --quiet trial-SHA256SUMS) || fail "the trial's SHA256SUMS"
grep -q 'uncommitted changes (a trial release)' "$scratch/signed/trial-BUILDINFO" || fail "a trial is not named so"
echo "dist: a wrong password and uncommitted changes left it as it was; a trial replaced all of it"

# The signed setup as winget runs it: the manifest's silent switch, then the manifest's entry in
# Apps & features; with zandrel running, the code the manifest maps to "close the program".
manifest() { /usr/bin/python3 -c 'import sys, yaml; print(eval(sys.argv[2], yaml.safe_load(open(sys.argv[1]))))' \
  "$scratch/manifests/zandrel.zandrel.installer.yaml" "$1"; }
silent=$(manifest 'InstallerSwitches["Silent"]')
wine_prefix "$scratch" null
# shellcheck disable=SC2086
wine "$rebuilt/zandrel-$version-setup.exe" $silent </dev/null || fail "the signed setup"
wineserver -w
key="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(manifest 'AppsAndFeaturesEntries[0]["ProductCode"]')"
for name in DisplayName Publisher DisplayVersion; do
  value=$(wine reg query "$key" /v "$name" </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$name *REG_SZ *//p")
  [ "$value" = "$(manifest "AppsAndFeaturesEntries[0][\"$name\"]")" ] ||
    fail "Apps & features: $name is '$value', the manifest says '$(manifest "AppsAndFeaturesEntries[0][\"$name\"]")'"
done
inst=$(winepath -u "$(wine cmd /c echo '%LOCALAPPDATA%' </dev/null 2>/dev/null | tr -d '\r')\\Programs\\zandrel")
verify "$inst/uninstall.exe"
verify "$inst/zandrel.exe"
(cd "$scratch" && exec wine "$inst/zandrel.exe" </dev/null >/dev/null 2>&1) &
program=$!
sleep 3
kill -0 "$program" 2>/dev/null || fail "the signed program did not run"
status=0
# shellcheck disable=SC2086
wine "$rebuilt/zandrel-$version-setup.exe" $silent </dev/null || status=$?
[ "$status" = "$(manifest '[c["InstallerReturnCode"] for c in ExpectedReturnCodes if c["ReturnResponse"] == "packageInUse"][0]')" ] ||
  fail "with zandrel running the setup returned $status, which the manifest does not map to packageInUse"
{ kill -9 "$program" && wait "$program"; } 2>/dev/null || true
echo "signed: zandrel.exe, the setup and the uninstaller it installs verify; the signed program runs;"
echo "installed with the manifest's switch: its Apps & features entry; while zandrel runs, its exit code"
