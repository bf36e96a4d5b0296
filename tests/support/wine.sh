# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Sourced by whatever runs the Windows program under Wine: a private, quiet 64-bit prefix in a
# folder of the caller's, which nothing outside that folder sees or keeps.
#   wine_prefix DIR [null]   makes DIR/prefix and exports what Wine needs; "null": no display at
#                            all, dialogs are still created and driven by messages.
#   wine_stop                ends that prefix's wineserver and waits for it.

wine_prefix() {
  local dir=$1 graphics=${2:-}
  export WINEPREFIX=$dir/prefix WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # The first start writes menus and file associations into the XDG folders: keep them here.
  export XDG_DATA_HOME=$dir/xdg/data XDG_CONFIG_HOME=$dir/xdg/config XDG_CACHE_HOME=$dir/xdg/cache
  mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
  # A persistent wineserver left in the prefix by an earlier shell would never end, and every
  # wait below would wait for it: it goes first.
  wineserver -k 2>/dev/null || true
  wineboot --init >"$dir/wineboot.log" 2>&1 </dev/null || { cat "$dir/wineboot.log"; return 1; }
  wineserver -w
  # "ＭＳ Ｐゴシック" and its kin shown in IPA's Japanese faces, as a Japanese Windows would show
  # them; Tahoma (title bars and menus) falls back to them for Japanese. Managed=N: without a
  # window manager Wine places and focuses windows itself, and closes them at once.
  local reg=$dir/setup.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    if [ -z "${ZANDREL_WINE_NO_JAPANESE_FONTS:-}" ]; then
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
      for face in 'ＭＳ Ｐゴシック' 'MS PGothic' 'ＭＳ ゴシック' 'MS Gothic' 'MS UI Gothic'; do
        printf '"%s"="IPAPGothic"\r\n' "$face"
      done
      printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
      printf '"Tahoma"=hex(7):%s\r\n\r\n' \
        "$(printf 'ipagp.ttf,IPAPGothic\0\0' | iconv -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',,' | sed 's/^,//; s/,$//')"
    fi
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
    if [ "$graphics" = null ]; then
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Graphics"="null"\r\n\r\n'
    fi
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
  wine regedit /S "$(winepath -w "$reg")" </dev/null >/dev/null 2>&1
  wineserver -w
}

wine_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}
