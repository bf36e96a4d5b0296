# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Sourced by the tests that need a real display: starts a private Xvfb on a free display and
# exports DISPLAY, and on it, where asked, a private weston whose Wayland socket the program
# under test then uses. Call make_scratch first: it makes the scratch folder ($scratch) with a
# private XDG_RUNTIME_DIR and arranges for the program under test ($app_pid), the servers and the
# folder to go when the script exits.

make_scratch() {
  scratch=$(mktemp -d)
  app_pid=
  extra_pids=()
  mkdir -m 700 "$scratch/run"
  export XDG_RUNTIME_DIR="$scratch/run"
  trap 'end_scratch' EXIT
}

end_scratch() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  local pid
  for pid in "${extra_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  stop_xvfb
  rm -rf "$scratch"
}

# A private D-Bus session bus for this test alone, on a socket in $1.
start_session_bus() {
  dbus-daemon --session --nofork --address="unix:path=$1/bus" >"$1/dbus.log" 2>&1 &
  extra_pids+=($!)
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$1/bus"
  for _ in $(seq 300); do [ -S "$1/bus" ] && return 0; sleep 0.1; done
  echo "FAIL: the session bus did not start"; cat "$1/dbus.log"; return 1
}

start_xvfb() { # $1: a scratch folder
  local scratch=$1
  exec 3>"$scratch/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 300); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  [ -s "$scratch/display" ] || { echo "FAIL: Xvfb did not start"; cat "$scratch/xvfb.log"; return 1; }
  export DISPLAY=":$(head -n1 "$scratch/display")"
  export QT_QPA_PLATFORM=xcb
}

# weston with its X11 backend, as a window on the Xvfb: input that xdotool sends to that window
# reaches the Wayland clients through the compositor. Its own settings (none: the user's
# weston.ini stays out of it). Its clients log their protocol traffic to weston.log, and the
# desktop counts as up once its shell has said it is ready and weston has faded it in: a program
# started before then can show behind the fade, and keys sent meanwhile go nowhere. Sets app_env
# for starting a native Wayland client (no DISPLAY, so nothing can fall back to X11) that logs its
# protocol traffic, which tells when it has the keyboard.
start_weston() {
  : >"$scratch/weston.ini"
  WAYLAND_DEBUG=client weston --config="$scratch/weston.ini" --backend=x11-backend.so \
    --socket=zandrel-test --width=800 --height=600 --idle-time=0 >"$scratch/weston.log" 2>&1 &
  extra_pids+=($!)
  for _ in $(seq 300); do [ -S "$XDG_RUNTIME_DIR/zandrel-test" ] && break; sleep 0.1; done
  [ -S "$XDG_RUNTIME_DIR/zandrel-test" ] || { echo "FAIL: weston did not start"; tail -n 20 "$scratch/weston.log"; return 1; }
  weston_win=$(timeout 60 xdotool search --sync --class '^Weston Compositor$' 2>/dev/null | head -n1 || true)
  [ -n "$weston_win" ] || { echo "FAIL: no weston window"; return 1; }
  for _ in $(seq 600); do grep -q 'desktop_ready()' "$scratch/weston.log" && break; sleep 0.1; done
  grep -q 'desktop_ready()' "$scratch/weston.log" || { echo "FAIL: weston's desktop never got ready"; tail -n 20 "$scratch/weston.log"; return 1; }
  xdotool windowfocus --sync "$weston_win" 2>/dev/null || true
  wait_for_new_screen || { echo "FAIL: weston's desktop never held still"; return 1; }
  app_env=(env -u DISPLAY WAYLAND_DISPLAY=zandrel-test QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client)
}

# Waits, up to 20 s, until the program's protocol log shows the keyboard on its first window
# (main) or on another of its windows, a box it opened (other). libwayland writes an object as
# interface@id up to 1.22 (Debian 12), interface#id from 1.23 (Debian 13).
wait_for_keyboard() {
  local where=$1 first last
  for _ in $(seq 200); do
    first=$(grep -oE 'wl_keyboard[@#][0-9]+\.enter\([0-9]+, wl_surface[@#][0-9]+' "$scratch/app.log" 2>/dev/null |
      head -n1 | grep -oE 'wl_surface[@#][0-9]+' || true)
    last=$(grep -oE 'wl_keyboard[@#][0-9]+\.(enter\([0-9]+, wl_surface[@#][0-9]+|leave)' "$scratch/app.log" 2>/dev/null |
      tail -n1 | grep -oE 'wl_surface[@#][0-9]+' || true)
    if [ -n "$last" ]; then
      [ "$where" = main ] && [ "$last" = "$first" ] && return 0
      [ "$where" = other ] && [ "$last" != "$first" ] && return 0
    fi
    sleep 0.1
  done
  return 1
}

# What the program's log says beyond its protocol traffic, and on Wayland how many key presses
# and releases reached it: where a test's keys went missing, whether the program ever saw them.
show_app_log() {
  grep -vE '^\[ *[0-9]+\.[0-9]+\] ' "$scratch/app.log" || true
  [ "${target_win:-}" = "${weston_win:-none}" ] || return 0
  echo "keys that reached the program: $(grep -cE 'wl_keyboard[@#][0-9]+\.key\(' "$scratch/app.log" || true)"
  grep -E 'wl_keyboard[@#][0-9]+\.(enter|leave)\(' "$scratch/app.log" | tail -n 4 || true
}

# Starts the program under test ($1) on the platform asked for ($2: xcb or wayland), in the
# current directory, output to $scratch/app.log. Waits until it can take input; sets app_pid and
# target_win (the window that takes the keys: the program's own on X11, weston's on Wayland).
start_program() {
  local program=$1 platform=$2
  if [ "$platform" = wayland ]; then
    local before
    # weston fades its desktop in, and a program just closed fades out: first the screen as it
    # stands without this program.
    wait_for_new_screen
    before=$(screen_sum)
    "${app_env[@]}" "$program" >"$scratch/app.log" 2>&1 &
    app_pid=$!
    target_win=$weston_win
    # No window can be looked up through Wayland: the program is ready once weston shows it and
    # has given it the keyboard.
    wait_for_new_screen "$before" || { echo "FAIL: weston never showed the program"; show_app_log; return 1; }
    kill -0 "$app_pid" 2>/dev/null || { echo "FAIL: the program ended at start"; show_app_log; return 1; }
    xdotool windowfocus --sync "$target_win" 2>/dev/null || true
    wait_for_keyboard main || { echo "FAIL: weston never gave the program the keyboard"; show_app_log; return 1; }
  else
    QT_QPA_PLATFORM=xcb "$program" >"$scratch/app.log" 2>&1 &
    app_pid=$!
    target_win=$(find_zandrel_window)
    [ -n "$target_win" ] || {
      echo "FAIL: no window named zandrel; the program $(kill -0 "$app_pid" 2>/dev/null && echo runs || echo ended)"
      cat "$scratch/app.log"; return 1; }
    xdotool windowfocus --sync "$target_win" 2>/dev/null || true
  fi
  sleep 0.3
}

# A checksum of everything the screen shows: menus and boxes are windows of their own on X11, and
# on Wayland all of it is drawn inside weston's window.
screen_sum() { xwd -root -silent 2>/dev/null | md5sum; }

# Presses the keys given and waits, up to 10 s, until the screen shows something new: a menu or a
# box opened or closed. On a busy machine a menu takes a moment to open, and keys sent before it
# has would go to the window beneath. What the screen shows for a second before, a blinking text
# cursor included, does not count as new.
keys_then_wait_for_change() {
  local seen=() sum
  for _ in $(seq 11); do seen+=("$(screen_sum)"); sleep 0.1; done
  xdotool key --delay 50 "$@"
  for _ in $(seq 100); do
    sum=$(screen_sum)
    printf '%s\n' "${seen[@]}" | grep -qxF "$sum" || return 0
    sleep 0.1
  done
  echo "FAIL: the screen did not change after the keys $*"
  return 1
}

# Waits, up to 20 s, for the screen to change from the checksum $1 (if given) and then to hold
# still for a fifth of a second.
wait_for_new_screen() {
  local before=${1:-} last= sum
  for _ in $(seq 100); do
    sum=$(screen_sum)
    [ "$sum" != "$before" ] && [ "$sum" = "$last" ] && return 0
    last=$sum
    sleep 0.2
  done
  return 1
}

# Waits up to $2 tenths of a second for process $1 to end; fails if it does not.
wait_gone() {
  local pid=$1 tenths=${2:-50}
  for _ in $(seq "$tenths"); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  ! kill -0 "$pid" 2>/dev/null
}

# Waits for the server to be gone: the next test's Xvfb may otherwise take the display number
# whose lock this one has just given up while its socket still answers.
stop_xvfb() {
  [ -n "${xvfb_pid:-}" ] || return 0
  kill "$xvfb_pid" 2>/dev/null || true
  wait_gone "$xvfb_pid" 50 || kill -9 "$xvfb_pid" 2>/dev/null || true
}

# Prints the id of the visible window named zandrel, waiting up to 20 s; empty when none shows.
# Asked again and again rather than with --sync, which gives up at the first error it meets.
find_zandrel_window() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name '^zandrel$' 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
}

# Ends the program whose window (or, on Wayland, weston's) is $1 with Escape and checks that
# process $2 ends, with status 0.
end_with_escape() {
  local win=$1 pid=$2 status=0
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  xdotool key Escape
  wait_gone "$pid" || { echo "FAIL: still running after Escape"; return 1; }
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; return 1; }
}
