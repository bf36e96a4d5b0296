#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Real processes and a number kept from a failed "set", typed at on a private X server:
# - asked to end while the close box is open (SIGTERM as a session ends, SIGINT as Ctrl+C), a
#   copy closes the box, saves once more and ends with status 0;
# - started with SIGHUP and SIGINT ignored (nohup), it keeps ignoring them;
# - copy A's 555 fails while another process holds the file's lock, and another copy registers
#   777 and then 111, the number A's press was noted against, again: A's close saves what it kept;
#   so it does where the file was out of reach at the press and then came back as it was, and
#   where the file was removed and written anew by a copy that had no numbers3 of its own.
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
  # A script's background job starts with SIGINT ignored, which the program would keep; the
  # second argument says otherwise.
  env "${2:---default-signal=INT}" QT_QPA_PLATFORM=xcb "$program" >>"$scratch/$1.log" 2>&1 &
  eval "$1_pid=$!"
  local win
  win=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$!" --name '^zandrel$' | head -n1) ||
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
  timeout 30 xdotool search --sync --onlyvisible --name '^error$' >/dev/null || fail "no $1"
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

# Started with SIGHUP and SIGINT ignored, as nohup and a background job start it, it keeps
# ignoring them; SIGTERM still ends it.
start_copy N --ignore-signal=HUP,INT
kill -HUP "$N_pid"
kill -INT "$N_pid"
xdotool sleep 0.5
kill -0 "$N_pid" 2>/dev/null || fail "SIGHUP or SIGINT ended a copy that was started ignoring them"
kill -TERM "$N_pid"
ended_with_status_0 N SIGTERM
echo "started ignoring SIGHUP and SIGINT: kept ignoring them, ended by SIGTERM"

# Another copy registers a number and ends.
other_copy_sets() {
  start_copy B
  press B "$1"
  sleep 0.5
  keys_to B Escape
  ended_with_status_0 B Escape
}
# A's press of 555 while another process holds the lock, until the error box shows.
press_while_locked() {
  flock zandrel.ini sh -c 'until [ -e released ]; do sleep 0.1; done' &
  local holder=$!
  until ! flock -n zandrel.ini true; do sleep 0.1; done
  press A 555
  wait_for_error_box "error box"
  touch released
  wait "$holder"
  rm released
  xdotool key Return
}
A_holds_111_4444() {
  printf '\x03\x00\x00\x00111\x00\x04\x00\x00\x004444\x00' >zandrel.ini
  start_copy A
}
A_closes() {
  keys_to A Escape
  ended_with_status_0 A Escape
}
# The file rewritten by another process, back to the record A's press was noted against.
A_holds_111_4444
press_while_locked
other_copy_sets 777
other_copy_sets 111
A_closes
holds "35 35 35" "04 00 00 00 34 34 34 34 00"
echo "777, then 111 again after the press: A's close leaves 555 in numbers3"

A_holds_111_4444
mv zandrel.ini real.ini
ln -s gone/real.ini zandrel.ini
press A 555
wait_for_error_box "error box"
xdotool key Return
mv -f real.ini zandrel.ini
A_closes
holds "35 35 35" "04 00 00 00 34 34 34 34 00"
echo "out of reach at the press, then back: A's close leaves 555 in numbers3"

A_holds_111_4444
press_while_locked
rm zandrel.ini
printf '\x00\x00\x00\x00\x04\x00\x00\x005555\x00' >zandrel.ini
A_closes
holds "35 35 35" "04 00 00 00 35 35 35 35 00"
echo "removed, then written by a copy with no numbers3: A's close leaves 555 beside 5555"
