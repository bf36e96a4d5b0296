#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Starts the built program as a user would, on a private X server (xcb) or natively on a private
# weston (wayland): registers a number with the keyboard, checks the file it wrote, opens the
# version box from the window menu, and ends the program with Escape, which must end the process.
# On X11, a warning before the window shows opens mid-screen.
set -euo pipefail
program=$(realpath "$1")
platform=${2:-xcb}
source "$(dirname "$0")/../support/xvfb.sh"
source "$(dirname "$0")/../support/store.sh"
make_scratch
start_xvfb "$scratch"
[ "$platform" = wayland ] && start_weston

cd "$scratch"
start_program "$program" "$platform"
# Focus starts on "get": Tab goes to "end", then to the entry.
xdotool key --delay 50 Tab Tab
xdotool type --delay 50 007
xdotool key --delay 50 Tab Return
# A save grows the file before it writes the numbers: wait for them.
expected="01 00 00 00 37 00 00 00 00 00"
for _ in $(seq 300); do [ -f zandrel.ini ] && [ "$(store_bytes)" = "$expected" ] && break; sleep 0.1; done
actual=$(store_bytes 2>&1 || true)
[ "$actual" = "$expected" ] || { echo "FAIL: zandrel.ini holds '$actual', expected '$expected'"; show_app_log; exit 1; }

# The window menu's version item by its accelerator. The box is modal: Escape then closes it and
# not the program, which the next Escape ends.
keys_then_wait_for_change shift+F10
keys_then_wait_for_change a
if [ "$platform" = xcb ]; then
  timeout 30 xdotool search --sync --onlyvisible --name '^zandrelのﾊﾞｰｼﾞｮﾝ情報$' >/dev/null ||
    { echo "FAIL: no version box"; exit 1; }
else
  wait_for_keyboard other || { echo "FAIL: no version box took the keyboard"; show_app_log; exit 1; }
fi
keys_then_wait_for_change Escape
# Wayland leaves it to the compositor to give the keyboard back to the main window.
if [ "$platform" = wayland ]; then
  wait_for_keyboard main || { echo "FAIL: the keyboard never came back to the main window"; show_app_log; exit 1; }
fi
wait_for_new_screen
kill -0 "$app_pid" 2>/dev/null || { echo "FAIL: Escape ended the program: no version box was open"; exit 1; }
end_with_escape "$target_win" "$app_pid" || { show_app_log; exit 1; }
app_pid=
if grep -q 'platform plugin' app.log; then echo "FAIL: Qt warned about its platform plugin"; show_app_log; exit 1; fi
if [ "$platform" = xcb ]; then
  # A record longer than its kind allows warns before the window shows: mid-screen, not at a corner.
  printf '\x04\x00\x00\x001234\x00\x00\x00\x00\x00' >zandrel.ini
  QT_QPA_PLATFORM=xcb "$program" >>app.log 2>&1 &
  app_pid=$!
  box=$(timeout 30 xdotool search --sync --onlyvisible --pid "$app_pid" --name '^zandrel$' | head -n1)
  centre() { xwininfo "$@" | awk '/upper-left X/{x=$NF} /upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF}
    END{printf "%d %d\n", x + w / 2, y + h / 2}'; }
  read -r bx by < <(centre -id "$box")
  read -r sx sy < <(centre -root)
  (( (bx - sx) ** 2 + (by - sy) ** 2 <= 8 )) || { echo "FAIL: the warning at start is at $bx,$by, not mid-screen"; exit 1; }
  kill "$app_pid"
  wait_gone "$app_pid" 50 || { echo "FAIL: the warning's program did not end"; exit 1; }
  app_pid=
fi
echo "real window ($platform): registered 007, wrote the file, opened the version box, ended"
