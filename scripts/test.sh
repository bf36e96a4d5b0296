#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Everything from a fresh machine to a full test run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# The number logic on its own, with Qt kept out of the build entirely.
ZANDREL_BUILD_DIR=build-logic scripts/build.sh -DZANDREL_GUI=OFF -DZANDREL_TESTS=ON -DZANDREL_BENCH=OFF
ctest --test-dir build-logic --output-on-failure -j"$(nproc)"

scripts/build.sh -DZANDREL_GUI=ON -DZANDREL_TESTS=ON -DZANDREL_BENCH=ON
ctest --test-dir build --output-on-failure -j"$(nproc)"
