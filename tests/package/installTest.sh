#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Installs the build into a scratch root (cmake --install, or a Debian package unpacked with
# dpkg-deb -x), checks that it is a complete, valid desktop application, and starts the installed
# program far enough to show its window.
#   installTest.sh cmake BUILD_DIR
#   installTest.sh deb PACKAGE.deb
set -euo pipefail
mode=$1
build=$(realpath "$2")
source "$(dirname "$0")/../support/xvfb.sh"
make_scratch
root=$scratch/root
fail() { echo "FAIL: $*"; exit 1; }

case "$mode" in
  cmake)
    DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
    docs=(copyright README.md README.ja.md)
    ;;
  deb)
    deb=$build
    [ "$(dpkg-deb -f "$deb" Package)" = zandrel ] || fail "package name"
    depends=$(dpkg-deb -f "$deb" Depends)
    # Qt's libraries by any suffix a release gives them (Debian 13's 64-bit time names: t64).
    names=" $(sed -E 's/ *\([^)]*\)//g; s/,/ /g' <<<"$depends") "
    for dep in fonts-ipafont-gothic libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
      [[ $names == *" $dep "* || $names == *" ${dep}t64 "* ]] || fail "Depends lacks $dep: $depends"
    done
    [ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "Recommends: qt6-wayland for native Wayland"
    dpkg-deb -x "$deb" "$root"
    docs=(copyright changelog.gz changelog.Debian.gz README.md README.ja.md)
    ;;
  *) fail "unknown mode $mode" ;;
esac

id=org.zandrel.zandrel
for f in usr/bin/zandrel usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
         usr/share/man/man1/zandrel.1.gz usr/share/man/ja/man1/zandrel.1.gz "${docs[@]/#/usr/share/doc/zandrel/}" \
         usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/$id.png; do
  [ -e "$root/$f" ] || fail "$f is not installed"
done
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
bash "$(dirname "$0")/metainfoCheck.sh" "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo"
for page in man1 ja/man1; do
  man -l "$root/usr/share/man/$page/zandrel.1.gz" | grep -q 'zandrel.ini' || fail "manual page $page"
done
grep -qx "Exec=zandrel" "$root/usr/share/applications/$id.desktop" || fail "Exec"
grep -qx "Icon=$id" "$root/usr/share/applications/$id.desktop" || fail "Icon"
for size in 16 24 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
    fail "the ${size}x$size icon"
done

start_xvfb "$scratch"
mkdir "$scratch/home"
cd "$scratch/home"
"$root/usr/bin/zandrel" >"$scratch/app.log" 2>&1 &
app_pid=$!
win=$(find_zandrel_window)
[ -n "$win" ] || { cat "$scratch/app.log"; fail "the installed program showed no window"; }
end_with_escape "$win" "$app_pid" || { cat "$scratch/app.log"; exit 1; }
app_pid=
echo "$mode install: files, desktop entry, metainfo and icons valid; the installed program ran"
