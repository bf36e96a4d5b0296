#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Makes every download from the commit checked out, into dist/ (or DIST): the Debian package, the
# Windows installer, the portable Windows program with README.md and LICENSE, and SHA256SUMS
# over them. The same commit gives the same bytes, whatever the folder, the time and the user.
# With ZANDREL_SIGN_PKCS12 (a code-signing certificate and key) and ZANDREL_SIGN_PASSWORD, the
# Windows program, the uninstaller inside the installer and the installer itself are signed with
# Authenticode; ZANDREL_SIGN_TIMESTAMP_URL names a time-stamp server.
# Usage: release.sh [DIST] [linux|windows]  (both when neither is named)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
dist=$(realpath -m "${1:-$repo/dist}")
platforms=${2:-linux windows}
"$repo/scripts/setup.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What is committed, not what the working tree holds: anyone can check out the same.
mkdir "$work/src"
git -C "$repo" archive --format=tar HEAD | tar -x -C "$work/src"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$repo" log -1 --format=%ct)}
export TZ=UTC LC_ALL=C.UTF-8
umask 022
version=$(sed -n 's/^project(zandrel VERSION \([0-9.]*\).*/\1/p' "$work/src/CMakeLists.txt")
sign=OFF
if [ -n "${ZANDREL_SIGN_PKCS12:-}" ]; then
  sign=ON
  echo "Signing the Windows files with $ZANDREL_SIGN_PKCS12"
else
  echo "No ZANDREL_SIGN_PKCS12: nothing is signed."
fi
mkdir -p "$dist"
files=()

if [[ " $platforms " == *" linux "* ]]; then
  cmake -S "$work/src" -B "$work/linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZANDREL_GUI=ON \
    -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF -DZANDREL_REPRODUCIBLE=ON >/dev/null
  cmake --build "$work/linux"
  (cd "$work/linux" && cpack -G DEB >/dev/null)
  cp "$work/linux/zandrel_${version}_amd64.deb" "$dist/"
  files+=("zandrel_${version}_amd64.deb")
fi

if [[ " $platforms " == *" windows "* ]]; then
  cmake -S "$work/src" -B "$work/windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF \
    -DZANDREL_REPRODUCIBLE=ON -DZANDREL_SIGN=$sign >/dev/null
  cmake --build "$work/windows"
  cp "$work/windows/win32/zandrel-$version-setup.exe" "$dist/"
  # The portable program in a folder of its own, members sorted and dated as the commit.
  python3 - "$dist/zandrel-$version-win64.zip" "zandrel-$version-win64" \
    "$work/windows/win32/zandrel.exe" "$work/src/README.md" "$work/src/LICENSE" <<'PY'
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
  files+=("zandrel-$version-setup.exe" "zandrel-$version-win64.zip")
fi

(cd "$dist" && sha256sum "${files[@]}" >SHA256SUMS)
echo "In $dist:"
(cd "$dist" && ls -l "${files[@]}" SHA256SUMS)
