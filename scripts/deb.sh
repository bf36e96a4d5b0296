#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Builds the Debian package from a copy of the sources with Debian's own tools (dpkg-buildpackage,
# debhelper), into OUT. The changelog comes from NEWS.md, signed with MAINTAINER ("Name <address>";
# without one, "The zandrel developers", which lintian reports as lacking an address).
# Usage: deb.sh SOURCES OUT [MAINTAINER]
set -euo pipefail
src=$(realpath "$1")
out=$(realpath -m "$2")
maintainer=${3:-The zandrel developers}
version=$(sed -n 's/^project(zandrel VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
# dpkg-buildpackage writes beside the source folder: a folder of its own, named as Debian names it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a "$src" "$work/zandrel-$version"
tree=$work/zandrel-$version
python3 "$tree/res/linux/changelog.py" "$tree/NEWS.md" "$maintainer" "$tree/debian/changelog"
sed -i "s/^Maintainer: .*/Maintainer: $maintainer/" "$tree/debian/control"
(cd "$tree" && dpkg-buildpackage -b -us -uc >"$work/build.log" 2>&1) || { tail -n 60 "$work/build.log"; exit 1; }
mkdir -p "$out"
cp "$work/zandrel_${version}_amd64.deb" "$out/"
