# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Sourced by the tests that need a real X server: starts a private Xvfb on a free display and
# exports DISPLAY. Call make_scratch first: it makes the scratch folder ($scratch) and arranges
# for the program under test ($app_pid), Xvfb and the folder to go when the script exits.

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
  for _ in $(seq 50); do [ -S "$1/bus" ] && return 0; sleep 0.1; done
  echo "FAIL: the session bus did not start"; cat "$1/dbus.log"; return 1
}

start_xvfb() { # $1: a scratch folder
  local scratch=$1
  exec 3>"$scratch/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  [ -s "$scratch/display" ] || { echo "FAIL: Xvfb did not start"; cat "$scratch/xvfb.log"; return 1; }
  export DISPLAY=":$(head -n1 "$scratch/display")"
  export QT_QPA_PLATFORM=xcb
}

stop_xvfb() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
}

# Prints the id of the visible window named zandrel, waiting up to 20 s; empty when none shows.
find_zandrel_window() {
  timeout 20 xdotool search --sync --onlyvisible --name '^zandrel$' 2>/dev/null | head -n1 || true
}

# Ends the program whose window is $1 with Escape and checks that process $2 exits with 0.
end_with_escape() {
  local win=$1 pid=$2 status=0
  xdotool windowfocus --sync "$win"
  xdotool key Escape
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then echo "FAIL: still running after Escape"; return 1; fi
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; return 1; }
}
