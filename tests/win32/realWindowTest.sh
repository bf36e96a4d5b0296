#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The Windows program under Wine on a private X server, used with the keyboard as a person would:
# registers 007, checks the bytes of zandrel.ini, moves the kind with an arrow key and registers
# 0042 there, opens the version box from the system menu, ends with Escape; then starts again and
# ends with Alt+F4; then, with a number kept from a failed save, the session ends while the close
# box is open. Each run must end the process with status 0. (That a second close request opens no
# second box is the core's to decide, and its tables show it.)
set -euo pipefail
exe=$(realpath "$1")
here=$(dirname "$0")
source "$here/../support/xvfb.sh"
source "$here/../support/wine.sh"
source "$here/../support/store.sh"
make_scratch
trap 'wine_stop; end_scratch' EXIT
start_xvfb "$scratch"
wine_prefix "$scratch"
mkdir "$scratch/work"
cd "$scratch/work"
fail() { echo "FAIL: $*"; cat "$scratch/app.log" 2>/dev/null; exit 1; }

start() {
  wine "$exe" >"$scratch/app.log" 2>&1 &
  app_pid=$!
  win=$(find_zandrel_window)
  [ -n "$win" ] || fail "no window named zandrel"
  # Wine gives the window the keyboard itself; keys typed before that are lost.
  for _ in $(seq 100); do [ "$(xdotool getwindowfocus 2>/dev/null)" = "$win" ] && break; sleep 0.1; done
  [ "$(xdotool getwindowfocus)" = "$win" ] || fail "the window never took the keyboard"
  sleep 0.3
}
# The file as expected, waited for: a save grows the file before it writes the numbers.
holds() {
  for _ in $(seq 300); do [ -f zandrel.ini ] && [ "$(store_bytes)" = "$1" ] && return 0; sleep 0.1; done
  fail "zandrel.ini holds '$(store_bytes 2>/dev/null)' $2, not '$1'"
}
ended_with_status_0() {
  wait_gone "$app_pid" 100 || fail "still running after $1"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=
  [ "$status" -eq 0 ] || fail "exit status $status after $1"
}

start
# The focus starts on "get"; Tab goes to "end", to the checked kind, then to the entry.
xdotool key --delay 80 Tab Tab Tab
xdotool type --delay 80 007
xdotool key --delay 80 Tab Return
holds "01 00 00 00 37 00 00 00 00 00" "after 007"

# "set", disabled now, has handed the focus on to "使用"; Tab passes "get" and "end" to the
# checked kind, and Down checks "numbers4", whose entry then takes 0042.
xdotool key --delay 80 Tab Tab Tab Down Tab
xdotool type --delay 80 0042
xdotool key --delay 80 Tab Return
holds "01 00 00 00 37 00 02 00 00 00 34 32 00" "after 0042"

# Our item is the system menu's last; Wine adds an "About Wine" item that shares its letter A.
keys_then_wait_for_change alt+space
xdotool key --delay 150 Up Return
box=$(timeout 30 xdotool search --sync --onlyvisible --name '^zandrelのﾊﾞｰｼﾞｮﾝ情報$' 2>/dev/null | head -n1 || true)
[ -n "$box" ] || fail "no version box"
keys_then_wait_for_change Escape
kill -0 "$app_pid" 2>/dev/null || fail "Escape ended the program: no version box was open"
xdotool key Escape
ended_with_status_0 Escape

start
xdotool key alt+F4
ended_with_status_0 Alt+F4
[ "$(store_bytes)" = "01 00 00 00 37 00 02 00 00 00 34 32 00" ] || fail "the close changed zandrel.ini"

# A folder in the file's place: "set" fails and the number is kept; Escape then asks before closing.
rm zandrel.ini
mkdir zandrel.ini
start
xdotool key --delay 80 Tab Tab Tab
xdotool type --delay 80 123
xdotool key --delay 80 Tab Return
timeout 30 xdotool search --sync --onlyvisible --name '^error$' >/dev/null || fail "no error box"
keys_then_wait_for_change Return
keys_then_wait_for_change Escape
timeout 30 xdotool search --sync --onlyvisible --name '^error$' >/dev/null || fail "no close box"
# The session ends while that box is open: the program saves and ends.
rmdir zandrel.ini
wine wineboot --end-session >/dev/null 2>&1 || true
ended_with_status_0 "the end of the session with the close box open"
holds "03 00 00 00 31 32 33 00 00 00 00 00" "after the end of the session"
echo "real window under Wine: registered 007 and 0042 by keyboard, opened the version box, ended by Escape and Alt+F4; the end of the session with the close box open saved the kept number"
