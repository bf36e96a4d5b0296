#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The release command as publishers and rebuilders use it, in as few builds as that takes:
# - signed with a throw-away certificate, a maintainer, a download address, a page and an OpenPGP
#   key named: source and binary packages that lintian passes in silence and that install as a
#   complete desktop application; one version in every download; every signature verifies;
#   winget's and Scoop's manifests that their schemas accept, whose hashes are the downloads' and
#   whose every address is a download or the page; a signature of SHA256SUMS that gpg accepts and
#   refuses for a changed one;
# - rebuilt from a second clone by an ordinary user without the keys, in an unfriendly
#   environment (git settings and an attributes file asking for CRLF line endings, compiler flags,
#   umask 077, a locale whose collation differs from C's, another time zone, a temporary folder on
#   tmpfs, an inherited SOURCE_DATE_EPOCH), the settings taken from BUILDINFO and the published
#   signatures attached: every download the same to the byte, SHA256SUMS included; its setup, run
#   with the manifest's silent switch, writes the manifest's Apps & features entry and returns the
#   code the manifest maps while zandrel runs, and what it installs verifies and runs;
# - what must leave dist/ as it was: a wrong signing password (said before anything is built),
#   uncommitted changes; and an unsigned trial release after another platform's, which replaces
#   all of dist/;
# - one version later, made by the publishing steps of docs/publishing.md as they stand, for
#   Linux on amd64 alone: an apt repository that carries the first one forward, and no LATEST
#   that would send Scoop to Windows downloads it does not hold.
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

version=$(sed -n '0,/^## /s/^## \([0-9.]*\) .*/\1/p' "$repo/NEWS.md")
downloads=("zandrel_${version}-1_amd64.deb" "zandrel-dbgsym_${version}-1_amd64.deb"
  "zandrel_${version}-1_arm64.deb" "zandrel-dbgsym_${version}-1_arm64.deb" "zandrel_$version.orig.tar.xz" "zandrel_${version}-1.debian.tar.xz"
  "zandrel_${version}-1.dsc" "zandrel-$version-setup.exe" "zandrel-$version-win64.zip" NEWS.md LICENSE LATEST
  BUILDINFO "zandrel-$version-authenticode.tar" screenshot.png)
maintainer="zandrel release test <release-test@example.org>"
homepage=https://example.org/zandrel
# A throw-away OpenPGP key, in a keyring of its own.
export GNUPGHOME=$scratch/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key 'zandrel release test <release-test@example.org>' ed25519 sign 1d 2>/dev/null
gpg_key=$(gpg --batch --with-colons --fingerprint 2>/dev/null | awk -F: '$1 == "fpr" && k == "" {k = $10} END {print k}')
# A throw-away code-signing certificate.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=zandrel test signing" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" -passout pass:throwaway \
  -out "$scratch/sign.p12"
base=https://downloads.example.org/zandrel
publisher=(ZANDREL_MAINTAINER="$maintainer" ZANDREL_HOMEPAGE="$homepage" ZANDREL_GPG_KEY="$gpg_key")

# The certificate named relative to where the release is started.
(cd "$scratch" && release first "${publisher[@]}" ZANDREL_URL_BASE="$base/$version" \
  ZANDREL_SIGN_PKCS12=sign.p12 ZANDREL_SIGN_PASSWORD=throwaway -- "$scratch/first") ||
  { cat "$scratch/first.log"; fail "release first"; }
grep -q 'no time stamp, so Windows stops accepting them when the certificate expires' "$scratch/first.log" ||
  fail "signing without a time-stamp server does not say what that means"
(cd "$scratch/first" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match the files"
# The apt repository only where its packages install on every Debian it serves.
repository=(apt zandrel-archive-keyring.gpg zandrel.sources)
if [ "$(. /etc/os-release && echo "${ID:-} ${VERSION_ID:-}")" != "debian 12" ]; then
  repository=()
  grep -q 'no apt repository: its packages must be built on Debian 12' "$scratch/first.log" ||
    fail "a release on another Debian than 12 does not say why it has no apt repository"
fi
[ "$(cd "$scratch/first" && ls | sort)" = "$(printf '%s\n' "${downloads[@]}" SHA256SUMS SHA256SUMS.asc \
  "zandrel_${version}-1_amd64.buildinfo" "zandrel_${version}-1_arm64.buildinfo" "zandrel_${version}-1_source.changes" \
  "${repository[@]}" winget scoop | sort)" ] ||
  fail "dist holds $(ls "$scratch/first")"
grep -qx "commit: $(git -C "$repo" rev-parse HEAD)" "$scratch/first/BUILDINFO" || fail "BUILDINFO names no commit"
# The publisher's contact wherever a released file names one; no placeholder.
for tarball in "$scratch/first/zandrel_$version.orig.tar.xz" "$scratch/first/zandrel_${version}-1.debian.tar.xz"; do
  tar -xJOf "$tarball"
done | grep -a '@inval[i]d' && fail "a placeholder address in the released sources"

# The one version in every download: the package, its changelog, manual page and metainfo; the
# program's version record, no debug build; the installer's name.
deb=$scratch/first/zandrel_${version}-1_amd64.deb
dpkg-deb -x "$deb" "$scratch/deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || fail "package version"
[ "$(dpkg-deb -f "$deb" Maintainer)" = "$maintainer" ] || fail "the maintainer named did not reach the package"
zcat "$scratch/deb/usr/share/doc/zandrel/changelog.Debian.gz" | sed -n 1p | grep -qF "zandrel ($version-1)" || fail "changelog version"
zcat "$scratch/deb/usr/share/doc/zandrel/changelog.Debian.gz" | grep -qF -- "-- $maintainer  " || fail "changelog maintainer"
zcat "$scratch/deb/usr/share/man/man1/zandrel.1.gz" | grep -qF "\"zandrel $version\"" || fail "manual page version"
grep -qF "<release version=\"$version\"" "$scratch/deb/usr/share/metainfo/org.zandrel.zandrel.metainfo.xml" ||
  fail "metainfo version"
grep -qF "<image>$base/$version/screenshot.png</image>" "$scratch/deb/usr/share/metainfo/org.zandrel.zandrel.metainfo.xml" ||
  fail "the metainfo names no published screenshot"
# The arm64 package: the same files but the program, which is arm64's.
arm64=$scratch/first/zandrel_${version}-1_arm64.deb
dpkg-deb -x "$arm64" "$scratch/arm64"
[ "$(dpkg-deb -f "$arm64" Architecture)" = arm64 ] || fail "the arm64 package's architecture"
file "$scratch/arm64/usr/bin/zandrel" | grep -q 'ARM aarch64' || fail "the arm64 package's program: $(file "$scratch/arm64/usr/bin/zandrel")"
[ "$(listing "$scratch/deb" | grep -v ' ./usr/bin/zandrel$')" = "$(listing "$scratch/arm64" | grep -v ' ./usr/bin/zandrel$')" ] ||
  fail "the arm64 package's files differ from amd64's: $(diff <(listing "$scratch/deb") <(listing "$scratch/arm64"))"
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
assert names == {"zandrel.exe", "README.md", "README.ja.md", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt"}, names
PY
echo "first release: $(ls "$scratch/first" | wc -l) files, version $version throughout"

# One version later, by the publishing steps as docs/publishing.md writes them: the notes under a new
# heading (by hand there), then each command, the release's with a folder and a platform.
later=${version%.*}.$((${version##*.} + 1))
git clone -q "$repo" "$scratch/later-clone"
sed -i "0,/^## /s//## $later ($(date -u +%F))\n\n- A later release.\n\n## /" "$scratch/later-clone/NEWS.md"
steps=$(awk '/^<!-- The publishing steps/ {on = 1; next} on && /^    / {print substr($0, 5); next} on && NF {exit}' "$repo/docs/publishing.md")
[ "$(wc -l <<<"$steps")" -ge 3 ] || fail "no publishing steps in docs/publishing.md: $steps"
(cd "$scratch/later-clone" && export "${publisher[@]}" ZANDREL_URL_BASE="$base/$later" ZANDREL_APT_PREVIOUS="$scratch/first/apt" \
  GIT_AUTHOR_NAME=test GIT_AUTHOR_EMAIL=test@example.org GIT_COMMITTER_NAME=test GIT_COMMITTER_EMAIL=test@example.org &&
  while read -r step; do
    step=${step//VERSION/$later}
    [[ $step != scripts/release.sh* ]] || step="$step $scratch/later amd64"
    echo "+ $step"
    eval "$step" || exit 1
  done <<<"$steps") >"$scratch/later.log" 2>&1 || { cat "$scratch/later.log"; fail "release later, by the README's steps"; }
[ ! -e "$scratch/later/LATEST" ] || fail "a release without the Windows downloads writes LATEST"
if [ ${#repository[@]} -gt 0 ]; then
  # The first release's packages carried forward, arm64's too, beside the later one's (for amd64
  # alone: what a later arm64 build would prove, the first one has).
  held=$(awk 'BEGIN {RS = ""} {
    match($0, /\nArchitecture: [^\n]*/); arch = substr($0, RSTART + 15, RLENGTH - 15)
    match($0, /\nVersion: [^\n]*/); print arch, substr($0, RSTART + 10, RLENGTH - 10) }' "$scratch/later/apt/Packages" | sort)
  [ "$held" = "$(printf '%s\n' "amd64 $version-1" "amd64 $later-1" "arm64 $version-1")" ] ||
    fail "the later repository holds $held"
  grep -qx 'Architectures: amd64 arm64' "$scratch/later/apt/Release" || fail "the repository's Release names $(grep Architectures "$scratch/later/apt/Release")"
  # A user's apt update that read the first InRelease still finds its indexes after the later
  # repository replaced the first.
  for index in Packages.xz Sources.xz; do
    [ -f "$scratch/later/apt/by-hash/SHA256/$(sha256sum <"$scratch/first/apt/$index" | cut -d' ' -f1)" ] ||
      fail "the later repository lacks the first one's $index by its hash"
  done
fi
# For its source package and its apt repository on another Debian.
[ -z "${ZANDREL_KEEP_RELEASE:-}" ] || { mkdir "$ZANDREL_KEEP_RELEASE" && cp -r "$scratch/first" "$scratch/later" "$ZANDREL_KEEP_RELEASE"; }

# The package installs and runs. (That lintian is silent on the packages, the release itself
# checks where a maintainer is named, as here.)
bash "$repo/tests/package/installTest.sh" deb "$deb" || fail "installing the package"

# The signatures: every one verifies.
verify() { osslsigncode verify -CAfile "$scratch/cert.pem" -in "$1" >"$scratch/verify.log" 2>&1 ||
  { cat "$scratch/verify.log"; fail "the signature of $(basename "$1") does not verify"; }; }
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$scratch/first/zandrel-$version-win64.zip" "$scratch/portable"
verify "$scratch/portable/zandrel-$version-win64/zandrel.exe"
verify "$scratch/first/zandrel-$version-setup.exe"

# The manifests: their schemas accept them, and they name the downloads by their hashes.
schemas=$repo/../shared/schemas
if [ -d "$schemas" ]; then
  /usr/bin/python3 - "$schemas" "$scratch/first" "$base/$version" "$version" "$homepage" <<'PY' || fail "the manifests"
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
             "winget/zandrel.zandrel.locale.ja-JP.yaml": "winget-1.10.0/manifest.locale.1.10.0.json",
             "scoop/zandrel.json": "scoop/schema.json"}
for manifest, schema in manifests.items():
    jsonschema.Draft7Validator(load(f"{schemas}/{schema}")).validate(load(f"{dist}/{manifest}"))
setup, portable = f"zandrel-{version}-setup.exe", f"zandrel-{version}-win64.zip"
installers = {i["InstallerType"]: i for i in load(f"{dist}/winget/zandrel.zandrel.installer.yaml")["Installers"]}
for kind, name in ("nullsoft", setup), ("zip", portable):
    assert installers[kind]["InstallerUrl"] == f"{base}/{name}", installers[kind]["InstallerUrl"]
    assert installers[kind]["InstallerSha256"].lower() == sha256(name), f"the hash of {name}"
locale = load(f"{dist}/winget/zandrel.zandrel.locale.en-US.yaml")
assert locale["Description"] and locale["PublisherSupportUrl"] == homepage, "Description, PublisherSupportUrl"
ja = load(f"{dist}/winget/zandrel.zandrel.locale.ja-JP.yaml")
assert "数字" in ja["ShortDescription"] and ja["PackageVersion"] == version, "the ja-JP locale"
zip = load(f"{dist}/scoop/zandrel.json")["architecture"]["64bit"]
assert zip["url"] == f"{base}/{portable}" and zip["hash"] == sha256(portable), "the zip"
# Every address is the publisher's page, a download (this release's or, autoupdate, the next's),
# or LATEST beside the releases' folders.
downloads = {homepage, f"{base.rpartition('/')[0]}/LATEST"} | {f"{base}/{name}" for name in os.listdir(dist)}
for manifest in manifests:
    for address in re.findall(r'[a-z]+://[^"\s]+', open(f"{dist}/{manifest}", encoding="utf-8").read()):
        assert address.replace("$version", version) in downloads or "aka.ms/winget-manifest" in address, f"{manifest}: {address}"
PY
  # Downloads in a folder named as a release tag names it: the next version's are beside it.
  mkdir "$scratch/tagged"
  cp "$scratch/first/zandrel-$version-setup.exe" "$scratch/first/zandrel-$version-win64.zip" "$scratch/tagged/"
  python3 "$repo/scripts/manifests.py" "$scratch/tagged" "$version" "$base/v$version" 2026-01-01 "$homepage"
  grep -qF "\"$base/v\$version/zandrel-\$version-win64.zip\"" "$scratch/tagged/scoop/zandrel.json" &&
    grep -qF "\"$base/LATEST\"" "$scratch/tagged/scoop/zandrel.json" ||
    fail "Scoop's autoupdate or checkver misses a folder named v$version: $(cat "$scratch/tagged/scoop/zandrel.json")"
  checked="valid, true to the downloads, every address a download or the publisher's page"
else
  echo "SKIPPED: no schemas in $schemas to check the manifests against"
  checked="made, not checked"
fi
cp -r "$scratch/first/winget" "$scratch/manifests"
# The signature of SHA256SUMS: gpg accepts it, and refuses it for a changed SHA256SUMS.
gpg --batch --verify "$scratch/first/SHA256SUMS.asc" "$scratch/first/SHA256SUMS" 2>/dev/null ||
  fail "gpg does not accept the signature of SHA256SUMS"
sed 's/^./0/' "$scratch/first/SHA256SUMS" >"$scratch/changed-SHA256SUMS"
gpg --batch --verify "$scratch/first/SHA256SUMS.asc" "$scratch/changed-SHA256SUMS" 2>/dev/null &&
  fail "gpg accepts the signature for a changed SHA256SUMS"
gpg --batch --verify "$scratch/first/zandrel_${version}-1_source.changes" 2>/dev/null ||
  fail "gpg does not accept the signature of the source upload's .changes"
grep -q "zandrel_${version}-1.dsc\$" "$scratch/first/zandrel_${version}-1_source.changes" || fail "the .changes names no .dsc"
echo "winget and Scoop manifests $checked; SHA256SUMS and the source .changes signed"

# The same commit rebuilt by an ordinary user without the keys, the settings taken from BUILDINFO
# and the published signatures attached, in an environment whose settings would change the bytes
# if they reached the build: en_US.UTF-8 sorts "zandrel_" before "zandrel-", C does not.
folder=$(tar -tvf "$scratch/first/zandrel-$version-authenticode.tar" | sed -n 1p)
[[ $folder == drwxr-xr-x*' ./' ]] || fail "the signatures' folder is not open to every user: $folder"
rebuilder=$scratch/rebuilder rebuilt=$scratch/rebuilder/dist
mkdir -p "$rebuilder/home/.config/git" "$scratch/locale"
git config -f "$rebuilder/home/.gitconfig" core.autocrlf true
printf '* text=auto eol=crlf\n' >"$rebuilder/home/.config/git/attributes"
localedef -i en_US -f UTF-8 "$scratch/locale/en_US.UTF-8" 2>/dev/null || fail "no en_US.UTF-8 locale to build in"
HOME="$rebuilder/home" git clone -q "$repo" "$rebuilder/clone"
cp "$scratch/first/zandrel-$version-authenticode.tar" "$scratch/first/BUILDINFO" "$scratch/cert.pem" "$rebuilder/"
chmod 711 "$scratch"
as_rebuilder=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody: "$rebuilder" "$shm"
  as_rebuilder=(runuser -u nobody --)
fi
# A python3 of the rebuilder's own first in PATH, which the release must not take for Debian's.
mkdir "$rebuilder/bin"
printf '#!/bin/sh\necho "not Debian'"'"'s python3" >&2\nexit 1\n' >"$rebuilder/bin/python3"
chmod 755 "$rebuilder/bin/python3"
# From a folder the rebuilder can enter, wherever the caller's is (root's home, a 0700 folder).
(umask 077 && cd "$rebuilder" && "${as_rebuilder[@]}" env HOME="$rebuilder/home" TMPDIR="$shm" CXXFLAGS=-march=native CFLAGS=-O0 \
  PATH="$rebuilder/bin:$PATH" \
  LOCPATH="$scratch/locale" LANG=en_US.UTF-8 TZ=Pacific/Kiritimati SOURCE_DATE_EPOCH=1 \
  ZANDREL_SIGNATURES="$rebuilder/zandrel-$version-authenticode.tar" ZANDREL_SIGN_CAFILE="$rebuilder/cert.pem" \
  "$rebuilder/clone/scripts/release.sh" --like "$rebuilder/BUILDINFO" "$rebuilt" >"$scratch/rebuilt.log" 2>&1) ||
  { cat "$scratch/rebuilt.log"; fail "release rebuilt"; }
grep -q 'ignoring SOURCE_DATE_EPOCH=1' "$scratch/rebuilt.log" || fail "an inherited SOURCE_DATE_EPOCH is not said"
grep -q 'ignoring CXXFLAGS=-march=native' "$scratch/rebuilt.log" || fail "CXXFLAGS from the environment are not said"
for file in "${downloads[@]}" SHA256SUMS; do
  if ! cmp -s "$scratch/first/$file" "$rebuilt/$file"; then
    command -v diffoscope >/dev/null && diffoscope "$scratch/first/$file" "$rebuilt/$file" | head -n 60
    fail "$file differs between two builds of one commit"
  fi
done
echo "an ordinary user's rebuild in an unfriendly environment, the published signatures and settings attached: every download alike to the byte"

# What must leave dist/ as it was.
before=$(listing "$scratch/first")
release badpass ZANDREL_SIGN_PKCS12="$scratch/sign.p12" ZANDREL_SIGN_PASSWORD=wrong -- "$scratch/first" windows &&
  fail "a release with a wrong password succeeded"
grep -q "cannot open .*sign.p12 with ZANDREL_SIGN_PASSWORD" "$scratch/badpass.log" || fail "a wrong password is not said before the build"
[ "$(listing "$scratch/first")" = "$before" ] || fail "a failed release changed dist"
echo "changed" >>"$scratch/badpass-clone/README.md"
release badpass -- "$scratch/first" windows && fail "a release of uncommitted changes succeeded"
grep -q 'not committed' "$scratch/badpass.log" || fail "a refused dirty tree is not said"
[ "$(listing "$scratch/first")" = "$before" ] || fail "a refused release changed dist"
# An unsigned trial of those changes, for Windows alone, into the same dist/: only its files remain.
release badpass -- --trial "$scratch/first" windows || { cat "$scratch/badpass.log"; fail "a trial release"; }
grep -q 'no ZANDREL_SIGN_PKCS12: nothing is signed' "$scratch/badpass.log" || fail "an unsigned release does not say so"
trial=("zandrel-$version-setup.exe" "zandrel-$version-win64.zip" NEWS.md LICENSE LATEST BUILDINFO SHA256SUMS)
[ "$(cd "$scratch/first" && ls | sort)" = "$(printf 'trial-%s\n' "${trial[@]}" | sort)" ] ||
  fail "after a trial release dist holds $(ls "$scratch/first")"
(cd "$scratch/first" && sha256sum -c --quiet trial-SHA256SUMS) || fail "the trial's SHA256SUMS"
grep -q 'uncommitted changes (a trial release)' "$scratch/first/trial-BUILDINFO" || fail "a trial is not named so"
echo "dist: a wrong password and uncommitted changes left it as it was; a trial replaced all of it"

# The signed setup as winget runs it: the manifest's silent switch, then the manifest's entry in
# Apps & features; with zandrel running, the code the manifest maps to "close the program".
manifest() { /usr/bin/python3 -c 'import sys, yaml; print(eval(sys.argv[2], yaml.safe_load(open(sys.argv[1]))))' \
  "$scratch/manifests/zandrel.zandrel.installer.yaml" "$1"; }
# A nullsoft installer's silent switch is winget's own, which the manifest leaves to it.
silent=$(manifest '[i for i in Installers if i["InstallerType"] == "nullsoft"][0].get("InstallerSwitches", {}).get("Silent", "/S")')
wine_prefix "$scratch" null
# shellcheck disable=SC2086
wine "$rebuilt/zandrel-$version-setup.exe" $silent </dev/null || fail "the signed setup"
wineserver -w
entry='Installers[0]["AppsAndFeaturesEntries"][0]'
key="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(manifest "$entry[\"ProductCode\"]")"
for name in DisplayName Publisher DisplayVersion; do
  value=$(wine reg query "$key" /v "$name" </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$name *REG_SZ *//p")
  [ "$value" = "$(manifest "$entry[\"$name\"]")" ] ||
    fail "Apps & features: $name is '$value', the manifest says '$(manifest "$entry[\"$name\"]")'"
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
[ "$status" = "$(manifest '[c["InstallerReturnCode"] for c in Installers[0]["ExpectedReturnCodes"] if c["ReturnResponse"] == "packageInUse"][0]')" ] ||
  fail "with zandrel running the setup returned $status, which the manifest does not map to packageInUse"
{ kill -9 "$program" && wait "$program"; } 2>/dev/null || true
echo "signed: zandrel.exe, the setup and the uninstaller it installs verify; the signed program runs;"
echo "installed with the manifest's switch: its Apps & features entry; while zandrel runs, its exit code"
