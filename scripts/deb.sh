#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Builds the Debian source package from a copy of the sources, then the binary package from that
# source package, with Debian's own tools (dpkg-source, dpkg-buildpackage, debhelper), into OUT:
# zandrel_VERSION.orig.tar.xz (the sources without debian/), zandrel_VERSION-1.debian.tar.xz and
# .dsc, zandrel_VERSION-1_amd64.deb, its debug symbols zandrel-dbgsym_VERSION-1_amd64.deb and dpkg's
# record of its build, zandrel_VERSION-1_amd64.buildinfo; and zandrel_VERSION-1_source.changes, which
# describes an upload of the source package.
# The publisher's settings go into debian/: MAINTAINER ("Name <address>") signs the changelog and
# is control's Maintainer, HOMEPAGE is control's Homepage and copyright's Source, DOWNLOADS (the
# address of the release's downloads) tells debian/watch where newer releases appear and
# upstream/metadata (and the metainfo) where the release notes and the screenshot are. Dated by SOURCE_DATE_EPOCH.
# Usage: deb.sh SOURCES OUT [MAINTAINER [HOMEPAGE [DOWNLOADS]]]
set -euo pipefail
src=$(realpath "$1")
out=$(realpath -m "$2")
maintainer=${3:-}
homepage=${4:-}
downloads=${5:-}
: "${SOURCE_DATE_EPOCH:?deb.sh: SOURCE_DATE_EPOCH must date the sources}"
version=$(sed -n '0,/^## /s/^## \([0-9.]*\) .*/\1/p' "$src/NEWS.md")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "deb.sh: $*" >&2; exit 1; }

# The committed changelog is NEWS.md's, as the Debian maintainer who committed it signed it.
committed=$(dpkg-parsechangelog -l "$src/debian/changelog" -SMaintainer)
"$src/res/linux/changelog.py" "$src/NEWS.md" "$committed" "$work/changelog"
cmp -s "$work/changelog" "$src/debian/changelog" ||
  fail "debian/changelog is not NEWS.md's: write it with res/linux/changelog.py NEWS.md '$committed' debian/changelog"

tree=$work/zandrel-$version
cp -a "$src" "$tree"
tar -C "$work" --exclude="zandrel-$version/debian" --sort=name --mtime="@$SOURCE_DATE_EPOCH" \
  --owner=0 --group=0 --numeric-owner --mode=u=rwX,go=rX --format=gnu -cf - "zandrel-$version" |
  xz -6 -T1 >"$work/zandrel_$version.orig.tar.xz"
if [ -n "$maintainer" ]; then
  "$tree/res/linux/changelog.py" "$tree/NEWS.md" "$maintainer" "$tree/debian/changelog"
fi
awk -v maintainer="${maintainer:-$committed}" -v homepage="$homepage" '
  /^Maintainer: / { print "Maintainer: " maintainer; next }
  /^Standards-Version: / && homepage != "" { print "Homepage: " homepage }
  { print }' "$src/debian/control" >"$tree/debian/control"
# Whom to write to: the maintainer named, in every file that names a contact.
if [ -n "$maintainer" ]; then
  sed -i "s|^Upstream-Contact: .*|Upstream-Contact: $maintainer|" "$tree/debian/copyright"
  sed -i "s|^Contact: .*|Contact: $maintainer|" "$tree/debian/upstream/metadata"
fi
# Where the sources are published: the copyright's Source and upstream/metadata's pages.
if [ -n "$homepage" ]; then
  sed -i "s|^Upstream-Contact: .*|&\nSource: $homepage|" "$tree/debian/copyright"
  echo "Documentation: $homepage" >>"$tree/debian/upstream/metadata"
fi
if [ -n "$downloads" ]; then
  printf 'Changelog: %s/NEWS.md\nScreenshots: %s/screenshot.png\n' "${downloads%/}" "${downloads%/}" \
    >>"$tree/debian/upstream/metadata"
  # A release's downloads in a folder named by its version (v1.0.0.1 as a release tag names it,
  # too): uscan looks through the folders beside it.
  parent=${downloads%/}
  last=${parent##*/}
  [[ $last == *"$version" ]] && parent="${parent%/*}/${last%"$version"}(\\d[\\d.]*)"
  printf 'version=4\n%s/ zandrel_@ANY_VERSION@\\.orig\\.tar\\.xz\n' "$parent" >"$tree/debian/watch"
fi

(cd "$work" && dpkg-source -b "zandrel-$version" >"$work/build.log" 2>&1) ||
  { tail -n 30 "$work/build.log"; fail "dpkg-source could not make the source package"; }
# What an upload of the source package names, for the maintainer to sign.
(cd "$work/zandrel-$version" && dpkg-genchanges -S >"$work/zandrel_${version}-1_source.changes" 2>>"$work/build.log") ||
  { tail -n 30 "$work/build.log"; fail "dpkg-genchanges could not describe the source package"; }
# The binary package from the source package, as anyone who takes the .dsc builds it: dated, as
# dpkg dates it there, by the changelog, so that their package is this one to the byte. Without
# its tests, which the test command runs: the package is the same with them. On every core: the
# package is the same on any number of them.
mkdir "$work/binary"
(cd "$work/binary" && dpkg-source -x "../zandrel_$version-1.dsc" "zandrel-$version" &&
  cd "zandrel-$version" && SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -STimestamp) \
    DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" DEB_BUILD_PROFILES=nocheck dpkg-buildpackage -b -us -uc) >>"$work/build.log" 2>&1 ||
  { tail -n 60 "$work/build.log"; fail "the package did not build"; }
mkdir -p "$out"
cp "$work/zandrel_$version.orig.tar.xz" "$work/zandrel_$version-1.debian.tar.xz" "$work/zandrel_$version-1.dsc" \
  "$work/binary/zandrel_$version-1_amd64.deb" "$work/binary/zandrel-dbgsym_$version-1_amd64.deb" \
  "$work/binary/zandrel_$version-1_amd64.buildinfo" "$work/zandrel_${version}-1_source.changes" "$out/"
