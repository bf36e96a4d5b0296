#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Configures and builds for a platform: linux (the default) into build/, or windows, cross-built
# with mingw-w64, into build-win/ (zandrel.exe and its installer in build-win/win32/).
# $ZANDREL_BUILD_DIR names another folder; any further arguments go to CMake. It installs nothing:
# scripts/setup.sh does that, once, before. Usage: build.sh [linux|windows] [CMake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
platform=linux
case "${1:-}" in linux | windows) platform=$1; shift ;; esac
if [ "$platform" = windows ]; then
  build=${ZANDREL_BUILD_DIR:-build-win}
  # Small over fast: the program waits on its user, and every byte is downloaded and kept in memory.
  set -- -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel -DZANDREL_BENCH=OFF "$@"
else
  build=${ZANDREL_BUILD_DIR:-build}
fi
scripts/setup.sh --check "$platform" ||
  { echo "build.sh: this machine lacks what the $platform build needs: run scripts/setup.sh $platform first" >&2; exit 1; }
cmake -S . -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build"
