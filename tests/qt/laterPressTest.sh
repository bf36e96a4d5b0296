#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Real processes on one zandrel.ini: copy A's "set" of 555 fails while another program holds the
# file's lock, and other copies register before or after that press; A's close then saves what
# it kept unless a later press of that kind was saved. Usage: laterPressTest.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../support/xvfb.sh"
source "$(dirname "$0")/../support/store.sh"
make_scratch
start_xvfb "$scratch"
cd "$scratch"
fail() { echo "FAIL: $*"; cat "$scratch"/*.log; xdotool search --onlyvisible --name "." getwindowname %@ 2>/dev/null; exit 1; }

# A copy, started: its window's id in NAME_win, its focus on "get".
start_copy() {
  QT_QPA_PLATFORM=xcb "$program" >>"$scratch/$1.log" 2>&1 &
  eval "$1_pid=$!"
  local win
  win=$(timeout 10 xdotool search --all --sync --onlyvisible --pid "$!" --name '^zandrel$' | head -n1) ||
    fail "copy $1 showed no window"
  eval "$1_win=$win"
}
# Types digits into a copy's entry, Tab Tab from "get", then presses "set".
press() {
  local win=${1}_win
  xdotool windowfocus --sync "${!win}"
  sleep 0.3
  xdotool key --delay 50 Tab Tab
  xdotool type --delay 50 "$2"
  xdotool key --delay 50 Tab Return
}
close_copy() {
  local win=${1}_win pid=${1}_pid
  xdotool windowfocus --sync "${!win}"
  sleep 0.3
  xdotool key Escape
  wait_gone "${!pid}" 50 || fail "copy $1 did not end"
}
# Another copy registers a number and ends.
other_copy_sets() {
  start_copy B
  press B "$1"
  sleep 0.5
  close_copy B
}
# A's press of 555 while another program holds the lock: after the wait, the error box.
press_while_locked() {
  flock zandrel.ini sleep 4 &
  local holder=$!
  sleep 0.3
  press A 555
  timeout 10 xdotool search --sync --onlyvisible --name '^error$' >/dev/null || fail "no error box"
  xdotool key Return
  wait "$holder"
}

for row in "nothing between" "777 after the press" "777 then 111 after the press" \
  "777 before the press"; do
  printf '\x03\x00\x00\x00111\x00\x04\x00\x00\x004444\x00' >zandrel.ini
  start_copy A
  case "$row" in
    "nothing between")
      press_while_locked; expected="35 35 35" ;;
    "777 after the press")
      press_while_locked; other_copy_sets 777; expected="37 37 37" ;;
    "777 then 111 after the press")
      press_while_locked; other_copy_sets 777; other_copy_sets 111; expected="31 31 31" ;;
    "777 before the press")
      other_copy_sets 777; press_while_locked; expected="35 35 35" ;;
  esac
  close_copy A
  want="03 00 00 00 $expected 00 04 00 00 00 34 34 34 34 00"
  [ "$(store_bytes)" = "$want" ] || fail "$row: zandrel.ini holds '$(store_bytes)', not '$want'"
  echo "$row: A's close leaves '$want'"
done
