#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# A number whose save failed is kept in memory, and closing asks about it. Asked to end while that
# box is open (SIGTERM as a desktop session ends, SIGINT as Ctrl+C in its terminal), the program
# closes the box, tries the save once more and ends with status 0. Usage: endRequestTest.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../support/xvfb.sh"
source "$(dirname "$0")/../support/store.sh"
make_scratch
start_xvfb "$scratch"
cd "$scratch"
for signal in TERM INT; do
  rm -f zandrel.ini
  mkdir zandrel.ini # nothing can replace a folder: the save fails
  start_program "$program" xcb
  # Focus starts on "get": Tab goes to "end", then to the entry; then "set".
  xdotool key --delay 50 Tab Tab
  xdotool type --delay 50 123
  keys_then_wait_for_change Tab Return
  timeout 10 xdotool search --sync --onlyvisible --name '^error$' >/dev/null ||
    { echo "FAIL: no error box"; show_app_log; exit 1; }
  keys_then_wait_for_change Return
  # Escape asks before closing: the close box.
  keys_then_wait_for_change Escape
  timeout 10 xdotool search --sync --onlyvisible --name '^error$' >/dev/null ||
    { echo "FAIL: no close box"; show_app_log; exit 1; }
  rmdir zandrel.ini
  kill -"$signal" "$app_pid"
  wait_gone "$app_pid" 50 || { echo "FAIL: still running after SIG$signal with the close box open"; exit 1; }
  status=0
  wait "$app_pid" || status=$?
  app_pid=
  actual=$(store_bytes)
  expected="03 00 00 00 31 32 33 00 00 00 00 00"
  [ "$actual" = "$expected" ] || { echo "FAIL: zandrel.ini holds '$actual', expected '$expected'"; exit 1; }
  [ "$status" -eq 0 ] || { echo "FAIL: exit status $status after SIG$signal"; exit 1; }
  echo "SIG$signal with the close box open: saved the kept 123 and ended"
done
