#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# A number whose save failed is kept in memory; asked to end (SIGTERM, as a desktop session ends),
# the program tries the save once more, with no box, and ends. Usage: endRequestTest.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../support/xvfb.sh"
source "$(dirname "$0")/../support/store.sh"
make_scratch
start_xvfb "$scratch"
cd "$scratch"
mkdir zandrel.ini # nothing can replace a folder: the save fails
start_program "$program" xcb
# Focus starts on "get": Tab goes to "end", then to the entry; then "set".
xdotool key --delay 50 Tab Tab
xdotool type --delay 50 123
keys_then_wait_for_change Tab Return
timeout 10 xdotool search --sync --onlyvisible --name '^error$' >/dev/null ||
  { echo "FAIL: no error box"; cat app.log; exit 1; }
keys_then_wait_for_change Return
rmdir zandrel.ini
kill -TERM "$app_pid"
wait_gone "$app_pid" 50 || { echo "FAIL: still running after SIGTERM"; exit 1; }
status=0
wait "$app_pid" || status=$?
app_pid=
actual=$(store_bytes)
expected="03 00 00 00 31 32 33 00 00 00 00 00"
[ "$actual" = "$expected" ] || { echo "FAIL: zandrel.ini holds '$actual', expected '$expected'"; exit 1; }
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; exit 1; }
echo "asked to end: saved the kept 123 and ended"
