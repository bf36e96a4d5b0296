#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Makes every download from the commit checked out, into dist/ (or DIST): the Debian package, the
# Windows installer, the portable Windows program with README.md, LICENSE and the runtime's
# notices, BUILDINFO (the commit and the tools) and SHA256SUMS over all of them. The same commit
# gives the same bytes, whatever the folder, the time, the user and the builder's settings.
#
#   ZANDREL_MAINTAINER        "Name <address>": the package's maintainer; lintian must then be
#                             silent, and without one the release says what lintian reports
#   ZANDREL_SIGN_PKCS12       a code-signing certificate and key: the Windows program, the
#   ZANDREL_SIGN_PASSWORD     uninstaller inside the installer and the installer are signed with
#                             Authenticode at the commit's time, and their signatures go into
#                             zandrel-VERSION-authenticode.tar
#   ZANDREL_SIGN_TIMESTAMP_URL  a time-stamp server (then signing again gives other bytes)
#   ZANDREL_SIGNATURES        such a .tar: a rebuild attaches its signatures to its own build
#                             instead of signing, and so makes the published signed files
#   ZANDREL_SIGN_CAFILE       the certificates that the attached signatures are checked against
#   ZANDREL_URL_BASE          where the downloads will be published: winget's and Scoop's
#                             manifests for them go into winget/ and scoop/
#   ZANDREL_RELEASE_NOTES_URL the release notes' address for winget (ZANDREL_URL_BASE/NEWS.md)
#   ZANDREL_GPG_KEY           an OpenPGP key: SHA256SUMS.asc, a detached signature of SHA256SUMS
#                             The manifests and the signature are made last, from the same bytes;
#                             SHA256SUMS lists the downloads, not them.
#
# A release is all or nothing: dist/ is replaced only once every download is made (and signed
# where asked); a failed run leaves it as it was.
# Usage: release.sh [--trial] [DIST] [linux|windows]  (both platforms when neither is named;
#        --trial builds uncommitted changes too, and names every download trial-...)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
trial=
if [ "${1:-}" = --trial ]; then
  trial=1
  shift
fi
dist=$(realpath -m "${1:-$repo/dist}")
platforms=${2:-linux windows}
say() { echo "release: $*"; }
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

# Paths made absolute: the builds run elsewhere.
sign_vars=()
[ -z "${ZANDREL_SIGN_PKCS12:-}" ] || sign_vars+=("ZANDREL_SIGN_PKCS12=$(realpath "$ZANDREL_SIGN_PKCS12")"
  "ZANDREL_SIGN_PASSWORD=${ZANDREL_SIGN_PASSWORD:-}" "ZANDREL_SIGN_TIMESTAMP_URL=${ZANDREL_SIGN_TIMESTAMP_URL:-}")
[ -z "${ZANDREL_SIGN_CAFILE:-}" ] || sign_vars+=("ZANDREL_SIGN_CAFILE=$(realpath "$ZANDREL_SIGN_CAFILE")")

umask 022
stage=$(mktemp -d "$dist.partial.XXXXXX")
work=$(mktemp -d)
trap 'rm -rf "$work" "$stage"' EXIT
mkdir "$work/src" "$work/home" "$work/tmp"
# The builder's git settings (line endings above all) do not reach the archive.
git -C "$repo" -c core.autocrlf=false -c core.eol=lf -c tar.umask=022 archive --format=tar "$tree" |
  tar -x -C "$work/src"
version=$(sed -n 's/^project(zandrel VERSION \([0-9.]*\).*/\1/p' "$work/src/CMakeLists.txt")
# Nothing from the builder's environment but the path and the signing settings: no compiler,
# flags, locale, time zone or home folder of theirs.
clean=(env -i "PATH=$PATH" "HOME=$work/home" "TMPDIR=$work/tmp" TZ=UTC LC_ALL=C.UTF-8
  "SOURCE_DATE_EPOCH=$epoch" "${sign_vars[@]}")
prefix=${trial:+trial-}

if [[ " $platforms " == *" linux "* ]]; then
  deb=${prefix}zandrel_${version}_amd64.deb
  "${clean[@]}" "$work/src/scripts/deb.sh" "$work/src" "$work/linux" ${ZANDREL_MAINTAINER:+"$ZANDREL_MAINTAINER"}
  mv "$work/linux/zandrel_${version}_amd64.deb" "$stage/$deb"
  report=$("${clean[@]}" lintian --tag-display-limit 0 "$stage/$deb" 2>&1 | grep -v 'running with root privileges' || true)
  if [ -z "${ZANDREL_MAINTAINER:-}" ]; then
    say "no ZANDREL_MAINTAINER: the package names no maintainer's address, and lintian reports:"
    printf '%s\n' "$report"
  elif [ -n "$report" ]; then
    printf '%s\n' "$report"
    say "lintian is not silent on the package"
    exit 1
  fi
fi

if [[ " $platforms " == *" windows "* ]]; then
  sign=ON
  sign_env=()
  if [ -n "${ZANDREL_SIGNATURES:-}" ]; then
    mkdir "$work/signatures-in"
    tar -x -C "$work/signatures-in" -f "$ZANDREL_SIGNATURES"
    sign_env=("ZANDREL_SIGNATURES=$work/signatures-in")
    say "attaching the signatures in $ZANDREL_SIGNATURES to this build"
  elif [ -n "${ZANDREL_SIGN_PKCS12:-}" ]; then
    say "signing the Windows files with $ZANDREL_SIGN_PKCS12"
  else
    sign=OFF
    say "no ZANDREL_SIGN_PKCS12: nothing is signed"
  fi
  mkdir "$work/signatures"
  "${clean[@]}" "${sign_env[@]}" "ZANDREL_SIGNATURES_OUT=$work/signatures" \
    cmake -S "$work/src" -B "$work/windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF \
    -DZANDREL_REPRODUCIBLE=ON -DZANDREL_SIGN=$sign >/dev/null
  "${clean[@]}" "${sign_env[@]}" "ZANDREL_SIGNATURES_OUT=$work/signatures" cmake --build "$work/windows" >/dev/null
  cp "$work/windows/win32/zandrel-$version-setup.exe" "$stage/${prefix}zandrel-$version-setup.exe"
  # The portable program in a folder of its own, members sorted and dated as the commit.
  SOURCE_DATE_EPOCH=$epoch python3 - "$stage/${prefix}zandrel-$version-win64.zip" "zandrel-$version-win64" \
    "$work/windows/win32/zandrel.exe" "$work/src/README.md" "$work/src/LICENSE" \
    "$work/windows/win32/THIRD-PARTY-NOTICES.txt" <<'PY'
import os, sys, time, zipfile
out, folder, *paths = sys.argv[1:]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for path in sorted(paths, key=os.path.basename):
        info = zipfile.ZipInfo(f"{folder}/{os.path.basename(path)}", stamp)
        info.external_attr = (0o755 if path.endswith(".exe") else 0o644) << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3
        with open(path, "rb") as data:
            archive.writestr(info, data.read(), compresslevel=9)
PY
  if [ "$sign" = ON ]; then
    # What a rebuilder attaches to their own unsigned build to make these signed files.
    tar -C "$work/signatures" --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner \
      --mode=0644 --format=gnu -cf "$stage/${prefix}zandrel-$version-authenticode.tar" .
  fi
fi

tool() { "$@" 2>&1 | head -n 1 || true; }
{
  echo "zandrel $version"
  echo "commit: $commit${trial:+ with uncommitted changes (a trial release)}"
  echo "date: $(git -C "$repo" log -1 --format=%cI HEAD) (SOURCE_DATE_EPOCH=$epoch)"
  echo "g++: $(tool g++ --version)"
  echo "x86_64-w64-mingw32-g++-posix: $(tool x86_64-w64-mingw32-g++-posix --version)"
  echo "Qt: $(dpkg-query -W -f '${Version}' qt6-base-dev 2>/dev/null || true)"
  echo "makensis: $(tool makensis -VERSION)"
  echo "dpkg: $(dpkg-query -W -f '${Version}' dpkg 2>/dev/null || true)"
  echo "debhelper: $(dpkg-query -W -f '${Version}' debhelper 2>/dev/null || true)"
  echo "osslsigncode: $(tool osslsigncode --version)"
} >"$stage/${prefix}BUILDINFO"
(cd "$stage" && sha256sum -- * >"${prefix}SHA256SUMS")

if [ -n "${ZANDREL_URL_BASE:-}" ]; then
  if [ -n "$trial" ] || [ ! -f "$stage/zandrel-$version-setup.exe" ]; then
    say "no manifests: they describe the Windows downloads of a release that is no trial"
  else
    python3 "$work/src/scripts/manifests.py" "$stage" "$version" "$ZANDREL_URL_BASE" \
      "$(date -u -d "@$epoch" +%F)" "${ZANDREL_RELEASE_NOTES_URL:-${ZANDREL_URL_BASE%/}/NEWS.md}"
    say "winget and Scoop manifests for $ZANDREL_URL_BASE in winget/ and scoop/"
  fi
fi
if [ -n "${ZANDREL_GPG_KEY:-}" ]; then
  gpg --batch --yes --local-user "$ZANDREL_GPG_KEY" --armor --detach-sign \
    --output "$stage/${prefix}SHA256SUMS.asc" "$stage/${prefix}SHA256SUMS"
  say "SHA256SUMS signed with $(gpg --batch --with-colons --fingerprint "$ZANDREL_GPG_KEY" | awk -F: '$1 == "fpr" {print $10; exit}')"
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
