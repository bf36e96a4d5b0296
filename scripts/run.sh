#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Everything from a fresh machine to the running program, built into build-run/ so that the test
# builds in build/ keep their tests. zandrel.ini goes to the directory this is started from.
set -euo pipefail
here=$(pwd)
repo=$(cd "$(dirname "$0")/.." && pwd)
(cd "$repo" && scripts/setup.sh linux &&
  ZANDREL_BUILD_DIR=build-run scripts/build.sh -DZANDREL_GUI=ON -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF)
cd "$here"
exec "$repo/build-run/qt/zandrel"
