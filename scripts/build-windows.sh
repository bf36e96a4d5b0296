#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Cross-builds the Windows program and its installer into build-win/ (or $ZANDREL_WIN_BUILD_DIR):
# build-win/win32/zandrel.exe and build-win/win32/zandrel-<version>-setup.exe. Any arguments go
# to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZANDREL_WIN_BUILD_DIR:-build-win}
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DZANDREL_BENCH=OFF "$@" >/dev/null
cmake --build "$build"
