#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Makes every download from the commit checked out, into dist/ (or DIST): the Debian source
# package (.dsc, .orig.tar.xz, .debian.tar.xz) and the package built from it, the Windows
# installer, the portable Windows program with README.md, README.ja.md, LICENSE and the runtime's
# notices, NEWS.md and LICENSE on their own, BUILDINFO (the commit, the publisher's settings, the Debian
# packages that built it) and SHA256SUMS over all of them. The same commit and settings give the
# same bytes, whatever the folder, the time, the user, the locale and the builder's git and
# compiler settings.
#
# The publisher's settings, which BUILDINFO records (--like BUILDINFO takes them from there):
#   ZANDREL_MAINTAINER        "Name <address>": the Debian package's maintainer; lintian must then
#                             be silent, and without one the release says what lintian reports
#   ZANDREL_HOMEPAGE          the publisher's page for zandrel: the package's Homepage, the
#                             metainfo's and the manifests' (which need one)
#   ZANDREL_URL_BASE          where the downloads will be published: debian/watch looks beside it,
#                             and winget's and Scoop's manifests for them go into winget/ and scoop/
# Signing, neither recorded nor needed to rebuild:
#   ZANDREL_SIGN_PKCS12       a code-signing certificate and key: the Windows program, the
#   ZANDREL_SIGN_PASSWORD     uninstaller inside the installer and the installer are signed with
#                             Authenticode at the commit's time, and their signatures go into
#                             zandrel-VERSION-authenticode.tar
#   ZANDREL_SIGN_TIMESTAMP_URL  a time-stamp server (then signing again gives other bytes)
#   ZANDREL_SIGNATURES        such a .tar: a rebuild attaches its signatures to its own build
#                             instead of signing, and so makes the published signed files
#   ZANDREL_SIGN_CAFILE       the certificates that the attached signatures are checked against
#   ZANDREL_GPG_KEY           an OpenPGP key: SHA256SUMS.asc, a detached signature of SHA256SUMS;
#                             and an apt repository signed with it in apt/, with the key as a
#                             keyring and a sources file for it (scripts/aptrepo.py); made only
#                             on Debian 12, the oldest release it serves, whose packages Debian
#                             13 installs too (a package built on 13 needs 13's libraries)
#   ZANDREL_APT_PREVIOUS      the previous release's apt/ (a folder or its address), whose
#                             packages the new repository carries forward
# The manifests, the signatures, the apt repository and dpkg's .buildinfo (which dates the build
# and lists every package installed) are made last, from the same bytes; SHA256SUMS lists the
# downloads, not them.
#
# A release is all or nothing: dist/ is replaced only once every download is made (and signed
# where asked); a failed run leaves it as it was. Keys, certificates and settings are checked
# before anything is built.
# Usage: release.sh [--trial] [--like BUILDINFO] [DIST] [linux|amd64|windows]  (every platform
#        when none is named: linux is the Debian packages for amd64 and arm64, amd64 those for
#        amd64 alone; --trial builds uncommitted changes too, and names every download trial-...)
set -euo pipefail
# One byte order for every list the release makes (SHA256SUMS above all), whatever the caller's.
export LC_ALL=C.UTF-8
# The system's tools, whose Debian packages BUILDINFO records, whatever comes first in the
# caller's PATH (a Python of their own, a compiler wrapper).
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
repo=$(cd "$(dirname "$0")/.." && pwd)
say() { echo "release: $*"; }
refuse() { echo "release.sh: $*" >&2; exit 1; }
trial= like= dist= platforms=
while [ $# -gt 0 ]; do
  case $1 in
    --trial) trial=1 ;;
    --like) like=$(realpath "${2:?--like names a BUILDINFO}"); shift ;;
    linux) platforms="$platforms linux arm64" ;;
    amd64) platforms="$platforms linux" ;;
    windows) platforms="$platforms windows" ;;
    -*) refuse "unknown option $1" ;;
    *) [ -z "$dist" ] || refuse "two folders named: $dist and $1"; dist=$1 ;;
  esac
  shift
done
dist=$(realpath -m "${dist:-$repo/dist}")
platforms=${platforms:-linux arm64 windows}
"$repo/scripts/setup.sh"

# What is committed, not what the working tree holds: anyone can check out the same.
changes=$(git -C "$repo" status --porcelain --untracked-files=no)
tree=HEAD
if [ -n "$changes" ] && [ -z "$trial" ]; then
  echo "release.sh: these changes are not committed, and a release is made of commits only:" >&2
  printf '%s\n' "$changes" >&2
  echo "Commit them, or make a trial release of the working tree with --trial." >&2
  exit 1
elif [ -n "$changes" ]; then
  tree=$(git -C "$repo" stash create)
fi
commit=$(git -C "$repo" rev-parse HEAD)
epoch=$(git -C "$repo" log -1 --format=%ct HEAD)
if [ -n "${SOURCE_DATE_EPOCH:-}" ] && [ "$SOURCE_DATE_EPOCH" != "$epoch" ]; then
  say "ignoring SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH from the environment: a release is dated by its commit ($epoch)"
fi
for name in CC CXX CPP CFLAGS CXXFLAGS CPPFLAGS LDFLAGS DEB_BUILD_OPTIONS DEB_BUILD_PROFILES \
  $(compgen -e | grep -E '^DEB_[A-Z]+FLAGS' || true); do
  [ -z "${!name:-}" ] || say "ignoring $name=${!name} from the environment: a release builds with its own flags"
done
say "commit $commit ($(git -C "$repo" log -1 --format=%cI HEAD))${trial:+, with uncommitted changes: a trial}"

# A rebuild takes the publisher's settings from the published BUILDINFO, read as data.
settings=(ZANDREL_MAINTAINER ZANDREL_HOMEPAGE ZANDREL_URL_BASE)
if [ -n "$like" ]; then
  grep -qx "commit: $commit" "$like" ||
    refuse "$like is of $(sed -n 's/^commit: //p' "$like"), not of the commit checked out ($commit): check that one out"
  for name in "${settings[@]}"; do
    value=$(sed -n "s/^  $name=//p" "$like")
    [ -z "${!name:-}" ] || [ "${!name}" = "$value" ] || say "ignoring $name=${!name}: $like says '$value'"
    printf -v "$name" '%s' "$value"
  done
fi
[ -z "${ZANDREL_URL_BASE:-}" ] || [ -n "${ZANDREL_HOMEPAGE:-}" ] ||
  refuse "ZANDREL_URL_BASE without ZANDREL_HOMEPAGE: the manifests need the publisher's page (winget's PackageUrl, Scoop's homepage and checkver)"

# The apt repository serves Debian 12 and 13 alike, so its packages are built on the oldest.
apt_repository=
if [ -n "${ZANDREL_GPG_KEY:-}" ] && [[ " $platforms " == *" linux "* ]] && [ -z "$trial" ]; then
  if [ "$(. /etc/os-release && echo "${ID:-} ${VERSION_ID:-}")" = "debian 12" ]; then
    apt_repository=1
  else
    say "no apt repository: its packages must be built on Debian 12, the oldest release it serves, and this is $(. /etc/os-release && echo "$PRETTY_NAME")"
  fi
fi

# Keys and certificates, before anything is built.
if [ -n "${ZANDREL_GPG_KEY:-}" ]; then
  echo | gpg --batch --local-user "$ZANDREL_GPG_KEY" --detach-sign -o /dev/null 2>/dev/null ||
    refuse "gpg cannot sign with ZANDREL_GPG_KEY=$ZANDREL_GPG_KEY (no such secret key, expired, or it needs a passphrase that no agent has)"
fi
if [[ " $platforms " == *" windows "* ]] && [ -n "${ZANDREL_SIGN_PKCS12:-}" ] && [ -z "${ZANDREL_SIGNATURES:-}" ]; then
  certificate=$(openssl pkcs12 -in "$ZANDREL_SIGN_PKCS12" -passin fd:3 -nokeys -clcerts 3< <(printf '%s\n' "${ZANDREL_SIGN_PASSWORD:-}") 2>/dev/null |
    openssl x509 -noout -enddate 2>/dev/null) ||
    refuse "cannot open $ZANDREL_SIGN_PKCS12 with ZANDREL_SIGN_PASSWORD (a wrong password, or no PKCS#12 file)"
  expires=$(date -u -d "${certificate#notAfter=}" +%F)
  [ "$(date -u -d "${certificate#notAfter=}" +%s)" -gt "$(date +%s)" ] || refuse "the certificate in $ZANDREL_SIGN_PKCS12 expired on $expires"
  [ -n "${ZANDREL_SIGN_TIMESTAMP_URL:-}" ] ||
    say "no ZANDREL_SIGN_TIMESTAMP_URL: the signatures carry no time stamp, so Windows stops accepting them when the certificate expires ($expires)"
fi

# Paths made absolute: the builds run elsewhere.
sign_vars=()
[ -z "${ZANDREL_SIGN_PKCS12:-}" ] || sign_vars+=("ZANDREL_SIGN_PKCS12=$(realpath "$ZANDREL_SIGN_PKCS12")"
  "ZANDREL_SIGN_PASSWORD=${ZANDREL_SIGN_PASSWORD:-}" "ZANDREL_SIGN_TIMESTAMP_URL=${ZANDREL_SIGN_TIMESTAMP_URL:-}")
[ -z "${ZANDREL_SIGN_CAFILE:-}" ] || sign_vars+=("ZANDREL_SIGN_CAFILE=$(realpath "$ZANDREL_SIGN_CAFILE")")

umask 022
stage=$(mktemp -d "$dist.partial.XXXXXX")
work=$(mktemp -d)
# Whatever a build left unwritable still goes.
trap 'chmod -R u+rwX "$work" 2>/dev/null; rm -rf "$work" "$stage"' EXIT
mkdir "$work/src" "$work/home" "$work/tmp"
python3 "$repo/scripts/sources.py" "$repo" "$tree" "$work/src" "$epoch"
# The version and its date: NEWS.md's newest heading, "## VERSION (DATE)", their one place.
read -r version released < <(sed -n '0,/^## /s/^## \([0-9.]*\) (\([0-9-]*\))$/\1 \2/p' "$work/src/NEWS.md") || true
[ -n "${version:-}" ] || refuse "NEWS.md's newest heading is not \"## VERSION (YYYY-MM-DD)\": add the release's notes under one"
[ -n "$trial" ] || [ -n "$like" ] || git -C "$repo" tag --points-at HEAD | grep -qx "v$version" ||
  say "the commit is not tagged v$version (git tag v$version), as a published release's is"
# Nothing from the builder's environment but the path and the signing settings: no compiler,
# flags, locale, time zone or home folder of theirs.
clean=(env -i "PATH=$PATH" "HOME=$work/home" "TMPDIR=$work/tmp" TZ=UTC LC_ALL=C.UTF-8
  "SOURCE_DATE_EPOCH=$epoch" "${sign_vars[@]}")
prefix=${trial:+trial-}
# A build's log is shown only where it fails.
logged() { # $1: what is built; then the command
  local what=$1
  shift
  "$@" >"$work/build.log" 2>&1 || { tail -n 60 "$work/build.log"; refuse "$what failed"; }
}

if [[ " $platforms " == *" linux "* ]]; then
  logged "the Debian packages" "${clean[@]}" "$work/src/scripts/deb.sh" "$work/src" "$work/linux" \
    "${ZANDREL_MAINTAINER:-}" "${ZANDREL_HOMEPAGE:-}" "${ZANDREL_URL_BASE:-}"
fi
# The same source package built for arm64 with Debian's cross toolchain, as Debian's cross
# builders build it, in the arm64 build system (scripts/cross.sh), dated by the changelog too.
arm64=()
if [[ " $platforms " == *" arm64 "* ]]; then
  mkdir "$work/arm64"
  cp "$work/linux/zandrel_$version-1.dsc" "$work/linux/zandrel_$version.orig.tar.xz" \
    "$work/linux/zandrel_$version-1.debian.tar.xz" "$work/arm64/"
  logged "the arm64 package" "${clean[@]}" "$work/src/scripts/cross.sh" run "$work/arm64" sh -c '
    dpkg-source -x "zandrel_$1-1.dsc" src && cd src && SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -STimestamp) \
      DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" DEB_BUILD_PROFILES="cross nocheck" dpkg-buildpackage -a arm64 -b -us -uc' - "$version"
  cp "$work/arm64/zandrel_$version-1_arm64.deb" "$work/arm64/zandrel-dbgsym_$version-1_arm64.deb" \
    "$work/arm64/zandrel_$version-1_arm64.buildinfo" "$work/linux/"
  arm64=("$work/linux/zandrel_${version}-1_arm64.deb")
fi
if [[ " $platforms " == *" linux "* ]]; then
  # A Standards-Version newer than the builder's lintian knows is no fault of the package.
  report=$("${clean[@]}" lintian --tag-display-limit 0 --suppress-tags newer-standards-version \
    "$work/linux/zandrel_$version-1.dsc" "$work/linux/zandrel_${version}-1_amd64.deb" "${arm64[@]}" 2>&1 |
    grep -v 'running with root privileges' || true)
  # A trial is for trying the program: the source package's files name each other, and would
  # not unpack under a trial's names.
  [ -z "$trial" ] || rm "$work/linux"/*.dsc "$work/linux"/*.tar.xz "$work/linux"/*.changes
  for file in "$work/linux"/*; do
    mv "$file" "$stage/$prefix$(basename "$file")"
  done
  if [ -z "${ZANDREL_MAINTAINER:-}" ]; then
    say "no ZANDREL_MAINTAINER: the packages name no maintainer's address, and lintian reports:"
    printf '%s\n' "$report"
  elif [ -n "$report" ]; then
    printf '%s\n' "$report"
    refuse "lintian is not silent on the packages"
  fi
fi

if [[ " $platforms " == *" windows "* ]]; then
  sign=ON
  sign_env=()
  if [ -n "${ZANDREL_SIGNATURES:-}" ]; then
    mkdir "$work/signatures-in"
    tar -x -C "$work/signatures-in" -f "$ZANDREL_SIGNATURES" --no-same-owner
    # Published with a folder mode that shut out everyone but root: readable all the same.
    chmod -R u+rwX "$work/signatures-in"
    sign_env=("ZANDREL_SIGNATURES=$work/signatures-in")
    say "attaching the signatures in $ZANDREL_SIGNATURES to this build"
  elif [ -n "${ZANDREL_SIGN_PKCS12:-}" ]; then
    say "signing the Windows files with $ZANDREL_SIGN_PKCS12"
  else
    sign=OFF
    say "no ZANDREL_SIGN_PKCS12: nothing is signed"
  fi
  mkdir "$work/signatures"
  windows=("${clean[@]}" "${sign_env[@]}" "ZANDREL_SIGNATURES_OUT=$work/signatures")
  logged "the Windows build" "${windows[@]}" cmake -S "$work/src" -B "$work/windows" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel -DZANDREL_TESTS=OFF \
    -DZANDREL_BENCH=OFF -DZANDREL_REPRODUCIBLE=ON -DZANDREL_SIGN=$sign
  logged "the Windows build" "${windows[@]}" cmake --build "$work/windows"
  cp "$work/windows/win32/zandrel-$version-setup.exe" "$stage/${prefix}zandrel-$version-setup.exe"
  # The portable program in a folder of its own, members sorted and dated as the commit.
  SOURCE_DATE_EPOCH=$epoch python3 - "$stage/${prefix}zandrel-$version-win64.zip" "zandrel-$version-win64" \
    "$work/windows/win32/zandrel.exe" "$work/src/README.md" "$work/src/README.ja.md" "$work/src/LICENSE" \
    "$work/windows/win32/THIRD-PARTY-NOTICES.txt" <<'PY'
import os, sys, time, zipfile
out, folder, *paths = sys.argv[1:]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
# Named for Windows, which opens a file by its extension, as the installer names it.
names = {"LICENSE": "LICENSE.txt"}
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for path in sorted(paths, key=lambda p: names.get(os.path.basename(p), os.path.basename(p))):
        name = os.path.basename(path)
        info = zipfile.ZipInfo(f"{folder}/{names.get(name, name)}", stamp)
        info.external_attr = (0o755 if path.endswith(".exe") else 0o644) << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3
        with open(path, "rb") as data:
            archive.writestr(info, data.read(), compresslevel=9)
PY
  if [ "$sign" = ON ]; then
    # What a rebuilder attaches to their own unsigned build to make these signed files.
    tar -C "$work/signatures" --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner \
      --mode=u=rwX,go=rX --format=gnu -cf "$stage/${prefix}zandrel-$version-authenticode.tar" .
  fi
fi
# The release notes and the licence on their own, for the manifests to link; the version alone,
# which the publisher also puts beside the releases' folders, for Scoop to find the newest: only
# where this release holds the Windows downloads that Scoop and winget are sent to.
cp "$work/src/NEWS.md" "$stage/${prefix}NEWS.md"
cp "$work/src/LICENSE" "$stage/${prefix}LICENSE"
[ ! -f "$stage/${prefix}zandrel-$version-win64.zip" ] || echo "$version" >"$stage/${prefix}LATEST"
# The screenshot the metainfo names, where the downloads' address is known.
[ -z "${ZANDREL_URL_BASE:-}" ] || cp "$work/src/docs/screenshot.png" "$stage/${prefix}screenshot.png"

{
  echo "zandrel $version"
  echo "commit: $commit${trial:+ with uncommitted changes (a trial release)}"
  echo "date: $(git -C "$repo" log -1 --format=%cI HEAD) (SOURCE_DATE_EPOCH=$epoch)"
  echo "publisher's settings (scripts/release.sh --like BUILDINFO rebuilds with them):"
  for name in "${settings[@]}"; do
    [ -z "${!name:-}" ] || echo "  $name=${!name}"
  done
  echo "built on $(. /etc/os-release && echo "$PRETTY_NAME") with these Debian packages:"
  dpkg-query -W -f '  ${Package} ${Version}\n' cmake ninja-build g++ qt6-base-dev dpkg-dev debhelper \
    lintian xz-utils g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev \
    nsis osslsigncode python3 2>/dev/null
  if [ -d "$work/arm64" ]; then
    echo "the arm64 package built on $("$work/src/scripts/cross.sh" run "$work/arm64" sh -c '. /etc/os-release && echo "$PRETTY_NAME"'), the arm64 build system (scripts/cross.sh), with:"
    "$work/src/scripts/cross.sh" run "$work/arm64" dpkg-query -W -f '  ${Package}:${Architecture} ${Version}\n' \
      cmake ninja-build dpkg-dev debhelper python3 gcc-12-aarch64-linux-gnu g++-12-aarch64-linux-gnu \
      binutils-aarch64-linux-gnu libc6-dev-arm64-cross libstdc++-12-dev-arm64-cross qt6-base-dev:arm64
  fi
} >"$stage/${prefix}BUILDINFO"
(cd "$stage" && GLOBIGNORE="*.buildinfo:*.changes" && sha256sum -- * >"${prefix}SHA256SUMS")

if [ -n "${ZANDREL_URL_BASE:-}" ]; then
  if [ -n "$trial" ] || [ ! -f "$stage/zandrel-$version-setup.exe" ]; then
    say "no manifests: they describe the Windows downloads of a release that is no trial"
  else
    python3 "$work/src/scripts/manifests.py" "$stage" "$version" "$ZANDREL_URL_BASE" "$released" "$ZANDREL_HOMEPAGE"
    say "winget and Scoop manifests for $ZANDREL_URL_BASE in winget/ and scoop/"
  fi
fi
if [ -n "${ZANDREL_GPG_KEY:-}" ]; then
  gpg --batch --yes --local-user "$ZANDREL_GPG_KEY" --armor --detach-sign \
    --output "$stage/${prefix}SHA256SUMS.asc" "$stage/${prefix}SHA256SUMS"
  say "SHA256SUMS signed with $(gpg --batch --with-colons --fingerprint "$ZANDREL_GPG_KEY" | awk -F: '$1 == "fpr" && k == "" {k = $10} END {print k}')"
  # The source upload's description, signed as an upload to Debian is; it names the .dsc and its
  # files by their hashes. The .dsc itself stays unsigned, so that anyone's rebuild of it is
  # this one to the byte.
  for changes in "$stage"/*_source.changes; do
    [ -e "$changes" ] || continue
    gpg --batch --yes --local-user "$ZANDREL_GPG_KEY" --clearsign --output "$changes.signed" "$changes"
    mv "$changes.signed" "$changes"
    say "$(basename "$changes") signed"
  done
  if [ -n "$apt_repository" ]; then
    # One address for every release's repository: beside the release's folder where that is
    # named by its version (v1.0.0.1 as a release tag names it, too).
    repository=${ZANDREL_URL_BASE%/}
    [[ ${repository##*/} != *"$version" ]] || repository=${repository%/*}
    python3 "$work/src/scripts/aptrepo.py" "$stage" "$ZANDREL_GPG_KEY" "$epoch" "${repository:+$repository/apt}" \
      "${ZANDREL_APT_PREVIOUS:-}" "$stage"/zandrel_"${version}"-1_*.deb
    say "an apt repository in apt/${repository:+, for $repository/apt/ (zandrel.sources)}${ZANDREL_APT_PREVIOUS:+, with the packages of $ZANDREL_APT_PREVIOUS}"
  fi
fi

# Every download is made: now, and only now, they replace what dist/ held.
chmod 755 "$stage"
if [ -e "$dist" ]; then
  mv "$dist" "$work/old-dist"
fi
mv "$stage" "$dist"
sed "s/^/  /" "$dist/${prefix}BUILDINFO"
say "in $dist:"
(cd "$dist" && ls -lR)
