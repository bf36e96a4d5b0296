#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Closes the program COUNT times on one platform (xcb or wayland), in turn with Escape, "end" and
# the window menu's Close, with keys and pointer motion arriving while it closes, and counts the
# processes still running 3 s later. Usage: closeLoopTest.sh PROGRAM PLATFORM [COUNT]
set -euo pipefail
program=$(realpath "$1")
platform=$2
count=${3:-100}
source "$(dirname "$0")/../support/xvfb.sh"
make_scratch
start_xvfb "$scratch"
[ "$platform" = wayland ] && start_weston
cd "$scratch"

closes=("Escape" "Tab Return" "shift+F10 c")
lingering=0
for i in $(seq "$count"); do
  start_program "$program" "$platform"
  keys=${closes[$(( i % ${#closes[@]} ))]}
  if [ "$keys" = "shift+F10 c" ]; then
    keys_then_wait_for_change shift+F10
    xdotool key c
  else
    # shellcheck disable=SC2086
    xdotool key --delay 30 $keys
  fi
  for _ in 1 2 3; do
    xdotool mousemove_relative 7 5 key --delay 5 shift ctrl mousemove_relative -- -7 -5 2>/dev/null || true
  done
  if ! wait_gone "$app_pid" 30; then
    lingering=$((lingering + 1))
    echo "still running after close $i ($keys)"
    show_app_log
    kill -9 "$app_pid" 2>/dev/null || true
  fi
  wait "$app_pid" 2>/dev/null || true
  app_pid=
done
echo "$platform: $count closes, $lingering lingering"
[ "$lingering" -eq 0 ]
