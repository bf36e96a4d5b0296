#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Drives the program through AT-SPI, as a screen reader or switch access does, on a private X
# server, session bus and accessibility bus: the actions on the radio buttons and the check box
# must act as clicks do.
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/xvfb.sh"
make_scratch
start_xvfb "$scratch"
start_session_bus "$scratch"
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$scratch/a11y.log" 2>&1 &
extra_pids+=($!)

cd "$scratch"
# 41 for three digits, 42 for four.
printf '\x02\x00\x00\x00\x34\x31\x00\x02\x00\x00\x00\x34\x32\x00' >zandrel.ini
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_program "$program" xcb

timeout 60 /usr/bin/python3 "$here/atspiCheck.py" || { cat "$scratch/app.log" "$scratch/a11y.log"; exit 1; }
end_with_escape "$target_win" "$app_pid"
app_pid=
