#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Everything from a fresh machine to a full test run: the number logic alone without Qt, the
# whole suite, the whole suite again under AddressSanitizer/UBSan/LeakSanitizer, a bounded
# fuzzing run of the file loader, and the Windows program cross-built and tested under Wine.
# Set ZANDREL_FUZZ_SECONDS to change the fuzzing time (0 skips).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

echo "== number logic without Qt"
ZANDREL_BUILD_DIR=build-logic scripts/build.sh -DZANDREL_GUI=OFF -DZANDREL_TESTS=ON -DZANDREL_BENCH=OFF
ctest --test-dir build-logic --output-on-failure -j"$jobs"

echo "== everything"
scripts/build.sh -DZANDREL_GUI=ON -DZANDREL_TESTS=ON -DZANDREL_BENCH=ON
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== everything under sanitizers"
ZANDREL_BUILD_DIR=build-asan scripts/build.sh -DZANDREL_SANITIZE=ON -DZANDREL_GUI=ON -DZANDREL_TESTS=ON \
  -DZANDREL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure -j"$jobs"

seconds=${ZANDREL_FUZZ_SECONDS:-60}
if [ "$seconds" -gt 0 ]; then
  echo "== fuzzing the file loader for ${seconds}s"
  CXX=clang++ ZANDREL_BUILD_DIR=build-fuzz scripts/build.sh -DZANDREL_FUZZ=ON -DZANDREL_GUI=OFF \
    -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF
  corpus=$(mktemp -d)
  trap 'rm -rf "$corpus" "$corpus.log"' EXIT
  cp tests/fuzz/corpus/* "$corpus"/
  status=0
  build-fuzz/tests/fuzz/load_fuzzer -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    "$corpus" >"$corpus.log" 2>&1 || status=$?
  grep -E '^(Done |stat::number_of_executed_units)' "$corpus.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$corpus.log"
    echo "fuzzing found a failure (exit $status)"
    exit 1
  fi
  echo "fuzzing: nothing found"
fi

echo "== Windows: cross-built, tested under Wine"
start=$(date +%s)
scripts/build-windows.sh -DZANDREL_TESTS=ON
# One quiet prefix and one persistent wineserver for the test programs: each then starts in a
# fraction of a second. Wine's services start once with no pipe attached, or test discovery
# waits on the pipe they hold open.
wine_scratch=$(mktemp -d)
source tests/support/wine.sh
trap 'wine_stop; rm -rf "$wine_scratch" ${corpus:+"$corpus" "$corpus.log"}' EXIT
wine_prefix "$wine_scratch" null
wineserver -p
wine cmd /c exit 0 </dev/null >/dev/null 2>&1
ctest --test-dir build-win --output-on-failure -j"$jobs"
echo "Windows stage: $(( $(date +%s) - start )) s"
