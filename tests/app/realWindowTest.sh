#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Starts the built program on a private X server, as a user would: registers a number with the
# keyboard, checks the file it wrote, and ends it with Escape.
set -euo pipefail
program=$(realpath "$1")
work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# -displayfd picks a free display and tells us its number.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb

cd "$work"
"$program" >"$work/app.log" 2>&1 &
app_pid=$!

win=$(timeout 20 xdotool search --sync --onlyvisible --name '^zandrel$' | head -n1) || true
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

xdotool key Escape
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then echo "FAIL: still running after Escape"; exit 1; fi
wait "$app_pid" && status=0 || status=$?
app_pid=
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; cat "$work/app.log"; exit 1; }
echo "real window: started, registered 007, wrote the file, ended with Escape"
