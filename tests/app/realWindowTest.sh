#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Starts the built program on a private X server, as a user would: registers a number with the
# keyboard, checks the file it wrote, and ends it with Escape.
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../support/xvfb.sh"
make_scratch
work=$scratch
start_xvfb "$work"

cd "$work"
"$program" >"$work/app.log" 2>&1 &
app_pid=$!

win=$(find_zandrel_window)
[ -n "$win" ] || { echo "FAIL: no window named zandrel"; cat "$work/app.log"; exit 1; }
xdotool windowfocus --sync "$win"
sleep 0.3
# Focus starts on "get": Tab goes to "end", then to the entry.
xdotool key --delay 50 Tab Tab
xdotool type --delay 50 007
xdotool key --delay 50 Tab Return
for _ in $(seq 50); do [ -s "$work/zandrel.ini" ] && break; sleep 0.1; done
actual=$(od -An -tx1 "$work/zandrel.ini" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
expected="01 00 00 00 37 00 00 00 00 00"
[ "$actual" = "$expected" ] || { echo "FAIL: zandrel.ini holds '$actual', expected '$expected'"; exit 1; }

end_with_escape "$win" "$app_pid" || { cat "$work/app.log"; exit 1; }
app_pid=
echo "real window: started, registered 007, wrote the file, ended with Escape"
