#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The installer under Wine, silently, as a user without administrator rights: installs (twice, as
# an update over itself would), checks the files, the Start-menu shortcut and its start-in
# folder, and the entry in Apps & features; with zandrel running, setup and the registered quiet
# uninstall must fail and change nothing, and the installer asks the user to close it in the
# system's language (Japanese or English); installed into another folder, the first installation
# goes; then the registered quiet uninstall removes all of it but the user's zandrel.ini.
#   installerTest.sh SETUP.exe BOXANSWER.exe
set -euo pipefail
setup=$(realpath "$1")
answer=$(realpath "$2")
version=$(basename "$setup" -setup.exe)
version=${version#zandrel-}
here=$(dirname "$0")
source "$here/../support/xvfb.sh"
source "$here/../support/wine.sh"
make_scratch
trap 'wine_stop; end_scratch' EXIT
wine_prefix "$scratch" null
fail() { echo "FAIL: $*"; exit 1; }
winvar() { wine cmd /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r'; }
unix() { winepath -u "$1" 2>/dev/null; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\zandrel'
regval() { wine reg query "$key" /v "$1" </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
# What a package manager runs: the registered quiet uninstall command; its exit status.
quiet_uninstall() {
  local command exe
  command=$(regval QuietUninstallString)
  exe=${command#\"}
  exe=${exe%%\"*}
  # shellcheck disable=SC2086
  wine "$exe" ${command#*\" } </dev/null
}

for round in first again; do
  wine "$setup" /S </dev/null || fail "setup /S ($round)"
  wineserver -w
done
inst=$(unix "$(winvar LOCALAPPDATA)\\Programs\\zandrel")
profile_win=$(winvar USERPROFILE)
lnk=$(unix "$(winvar APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\zandrel.lnk")
for f in "$inst/zandrel.exe" "$inst/uninstall.exe" "$inst/LICENSE.txt" "$inst/THIRD-PARTY-NOTICES.txt" "$lnk"; do
  [ -f "$f" ] || fail "$f is not installed"
done
cmp -s "$inst/zandrel.exe" "$(dirname "$setup")/zandrel.exe" || fail "the installed zandrel.exe is not the one built"

# The shortcut's start-in folder, read from the link file itself.
start_in=$(python3 - "$lnk" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 20)[0]
pos = 76
if flags & 0x1:
    pos += 2 + struct.unpack_from("<H", data, pos)[0]
if flags & 0x2:
    pos += struct.unpack_from("<I", data, pos)[0]
width = 2 if flags & 0x80 else 1
for bit in (0x4, 0x8, 0x10):
    if flags & bit:
        count = struct.unpack_from("<H", data, pos)[0]
        text = data[pos + 2:pos + 2 + count * width]
        pos += 2 + count * width
        if bit == 0x10:
            print(text.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0"))
PY
)
[ "${start_in,,}" = "${profile_win,,}" ] || fail "the shortcut starts in '$start_in', not the profile folder '$profile_win'"

[ "$(regval DisplayName)" = zandrel ] || fail "Apps & features: DisplayName '$(regval DisplayName)'"
[ "$(regval DisplayVersion)" = "$version" ] || fail "Apps & features: DisplayVersion"
regval DisplayIcon | grep -qi 'zandrel.exe' || fail "Apps & features: DisplayIcon"
regval UninstallString | grep -qi 'uninstall.exe' || fail "Apps & features: UninstallString"
installed_kib=$(( $(cat "$inst"/* | wc -c) / 1024 ))
[ "$(( $(regval EstimatedSize) ))" -ge "$installed_kib" ] ||
  fail "Apps & features: EstimatedSize $(( $(regval EstimatedSize) )) KiB, the files take $installed_kib"

# With zandrel running, its file can be neither replaced nor removed: both end with an error
# and leave everything as it was. (_?= runs the uninstaller in place, so that its exit code is
# its own, not that of the copy it otherwise starts.)
(cd "$scratch" && exec wine "$inst/zandrel.exe" </dev/null >/dev/null 2>&1) &
running=$!
# Wine names the process after the program once it has loaded it.
for _ in $(seq 100); do
  [[ "$(tr '\0' '\n' <"/proc/$running/cmdline" 2>/dev/null | head -n1)" == *zandrel.exe ]] && break
  sleep 0.1
done
status=0
wine "$setup" /S </dev/null || status=$?
[ "$status" -ne 0 ] || fail "setup /S succeeded while zandrel ran"
status=0
quiet_uninstall || status=$?
[ "$status" -ne 0 ] || fail "the registered quiet uninstall succeeded while zandrel ran"
for f in "$inst/zandrel.exe" "$inst/uninstall.exe" "$lnk"; do
  [ -f "$f" ] || fail "$f went while zandrel ran"
done
[ "$(regval DisplayName)" = zandrel ] || fail "the Apps & features entry went while zandrel ran"

# The same in the system's language: Wine's follows the locale it is started in. Shown, the setup
# and the uninstaller speak it from their first page; Install or Uninstall pressed, a box asks to
# close zandrel; answered Cancel, they change nothing and end as silent ones do.
mkdir "$scratch/locale"
for locale in ja_JP en_US; do
  localedef -i "$locale" -f UTF-8 "$scratch/locale/$locale.UTF-8" 2>/dev/null || fail "no $locale.UTF-8 locale to run in"
done
inst_win=$(winepath -w "$inst" 2>/dev/null)
while IFS='|' read -r locale run page box; do
  in_locale=(env LOCPATH="$scratch/locale" LC_ALL="$locale.UTF-8")
  case "$run" in
    setup) command=("$setup") ;;
    uninstall) command=("$inst/uninstall.exe" "_?=$inst_win") ;;
  esac
  "${in_locale[@]}" wine "$answer" "$run" 1 2 </dev/null >"$scratch/box.txt" 2>/dev/null &
  answering=$!
  status=0
  "${in_locale[@]}" wine "${command[@]}" </dev/null || status=$?
  wait "$answering" || fail "$locale, $run: no page, or no box asked to close zandrel"
  got=$(tr -d '\r' <"$scratch/box.txt" | paste -sd '|')
  [ "$got" = "$page||$box" ] || fail "$locale, $run: read '$got', not '$page||$box'"
  [ "$status" -eq 2 ] || fail "$locale, $run: ended with $status while zandrel ran, not 2"
done <<'ROWS'
ja_JP|setup|zandrel セットアップ:インストール フォルダ|zandrel セットアップ|zandrel が実行中です。zandrel を閉じてから [再試行] を選んでください。
en_US|setup|zandrel Setup: Installation Folder|zandrel Setup|zandrel is running. Close it, then choose Retry.
ja_JP|uninstall|zandrel アンインストール:確認|zandrel アンインストール|zandrel が実行中です。zandrel を閉じてから [再試行] を選んでください。
ROWS
[ -f "$inst/zandrel.exe" ] || fail "zandrel.exe went while zandrel ran"
kill -9 "$running" 2>/dev/null || true
wait "$running" 2>/dev/null || true

# Installed into another folder: the first installation goes, and the entry names the new one.
other_win='C:\zandrel-other'
other=$(unix "$other_win")
wine "$setup" /S "/D=$other_win" </dev/null || fail "setup /S /D= another folder"
wineserver -w
[ -f "$other/zandrel.exe" ] || fail "nothing installed in the other folder"
[ ! -e "$inst" ] || fail "the first installation is left beside the second: $(ls "$inst")"
[ "$(regval InstallLocation)" = "$other_win" ] || fail "Apps & features names $(regval InstallLocation)"
inst=$other

# A zandrel.ini in the user's folder and one even in the program's folder: neither is the
# uninstaller's to remove.
profile=$(unix "$profile_win")
printf '\0\0\0\0\0\0\0\0' >"$profile/zandrel.ini"
printf '\0\0\0\0\0\0\0\0' >"$inst/zandrel.ini"
quiet_uninstall || fail "the registered quiet uninstall"
wineserver -w
for f in "$inst/zandrel.exe" "$inst/uninstall.exe" "$inst/LICENSE.txt" "$inst/THIRD-PARTY-NOTICES.txt" "$lnk"; do
  [ ! -e "$f" ] || fail "$f is left after uninstalling"
done
[ -z "$(regval DisplayName)" ] || fail "the Apps & features entry is left"
[ -f "$profile/zandrel.ini" ] && [ -f "$inst/zandrel.ini" ] || fail "uninstalling removed a zandrel.ini"
echo "installer: installed twice, shortcut starts in the profile folder, Apps & features entry; moved to another folder; uninstalled all but zandrel.ini"
