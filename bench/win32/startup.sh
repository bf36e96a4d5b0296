#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The Windows start-up benchmark under Wine on a private X server, in a fresh prefix, after
# scripts/build.sh windows -DZANDREL_BENCH=ON. Usage: startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../../build-win}")
runs=${2:-21}
source "$here/../../tests/support/xvfb.sh"
source "$here/../../tests/support/wine.sh"
make_scratch
trap 'wine_stop; end_scratch' EXIT
start_xvfb "$scratch"
wine_prefix "$scratch"
wineserver -p
mkdir "$scratch/work"
cd "$scratch/work"
wine "$build/bench/win32/startup_bench.exe" "$(winepath -w "$build/bench/win32/bare_dialog.exe")" \
  "$(winepath -w "$build/win32/zandrel.exe")" "$runs" </dev/null
