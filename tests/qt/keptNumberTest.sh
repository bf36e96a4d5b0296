#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Real processes and a number kept from a failed "set", typed at on a private X server:
# - asked to end while the close box is open (SIGTERM as a session ends, SIGINT as Ctrl+C), a
#   copy closes the box, saves once more and ends with status 0;
# - copy A's 555 fails while another program holds the file's lock, and other copies register
#   before or after that press: A's close saves what it kept unless a later press of that kind
#   was saved.
# Usage: keptNumberTest.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../support/xvfb.sh"
source "$(dirname "$0")/../support/store.sh"
make_scratch
start_xvfb "$scratch"
cd "$scratch"
fail() { echo "FAIL: $*"; cat "$scratch"/*.log; exit 1; }

# A copy, started: its process in NAME_pid, its window in NAME_win, its focus on "get".
start_copy() {
  QT_QPA_PLATFORM=xcb "$program" >>"$scratch/$1.log" 2>&1 &
  eval "$1_pid=$!"
  local win
  win=$(timeout 10 xdotool search --all --sync --onlyvisible --pid "$!" --name '^zandrel$' | head -n1) ||
    fail "copy $1 showed no window"
  eval "$1_win=$win"
}
keys_to() { # NAME, then keys for its window
  local win=${1}_win
  xdotool windowfocus --sync "${!win}"
  sleep 0.3
  xdotool key --delay 50 "${@:2}"
}
# Types digits into a copy's entry, Tab Tab from "get", then presses "set".
press() {
  keys_to "$1" Tab Tab
  xdotool type --delay 50 "$2"
  xdotool key --delay 50 Tab Return
}
wait_for_error_box() {
  timeout 10 xdotool search --sync --onlyvisible --name '^error$' >/dev/null || fail "no $1"
}
ended_with_status_0() { # NAME, what ended it
  local pid=${1}_pid status=0
  wait_gone "${!pid}" 50 || fail "copy $1 still runs after $2"
  wait "${!pid}" || status=$?
  [ "$status" -eq 0 ] || fail "copy $1 ended with status $status after $2"
}
holds() { # the numbers3 digits as hex, then the numbers4 record's bytes
  local want="03 00 00 00 $1 00 $2"
  [ "$(store_bytes)" = "$want" ] || fail "zandrel.ini holds '$(store_bytes)', not '$want'"
}

for signal in TERM INT; do
  rm -f zandrel.ini
  mkdir zandrel.ini # nothing can replace a folder: the save fails
  start_copy A
  press A 123
  wait_for_error_box "error box"
  keys_to A Return
  keys_to A Escape # asks before closing: the close box
  wait_for_error_box "close box"
  rmdir zandrel.ini
  kill -"$signal" "$A_pid"
  ended_with_status_0 A "SIG$signal with the close box open"
  holds "31 32 33" "00 00 00 00"
  echo "SIG$signal with the close box open: saved the kept 123 and ended"
done

# Another copy registers a number and ends.
other_copy_sets() {
  start_copy B
  press B "$1"
  sleep 0.5
  keys_to B Escape
  ended_with_status_0 B Escape
}
# A's press of 555 while another program holds the lock: after the wait, the error box.
press_while_locked() {
  flock zandrel.ini sleep 4 &
  local holder=$!
  sleep 0.3
  press A 555
  wait_for_error_box "error box"
  xdotool key Return
  wait "$holder"
}
for row in "nothing between" "777 after the press" "777 then 111 after the press" \
  "777 before the press"; do
  printf '\x03\x00\x00\x00111\x00\x04\x00\x00\x004444\x00' >zandrel.ini
  start_copy A
  case "$row" in
    "nothing between") press_while_locked; expected="35 35 35" ;;
    "777 after the press") press_while_locked; other_copy_sets 777; expected="37 37 37" ;;
    "777 then 111 after the press")
      press_while_locked; other_copy_sets 777; other_copy_sets 111; expected="31 31 31" ;;
    "777 before the press") other_copy_sets 777; press_while_locked; expected="35 35 35" ;;
  esac
  keys_to A Escape
  ended_with_status_0 A "$row, then Escape"
  holds "$expected" "04 00 00 00 34 34 34 34 00"
  echo "$row: A's close leaves $expected in numbers3"
done
