#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Everything from a fresh machine to a full test run: the whole suite with the benchmarks run once,
# the whole suite again under AddressSanitizer/UBSan/LeakSanitizer, a bounded fuzzing run of the
# file loader (whose build is the number logic's without Qt), the Windows program cross-built and
# tested under Wine, the logic and dialog suites cross-built for arm64 and run under qemu-user,
# and the release command: two builds alike to the byte, and signed downloads
# that verify and run.
# Set ZANDREL_FUZZ_SECONDS to change the fuzzing time (20 s; 0 skips): a file of at most 17 bytes
# that matter is covered in seconds, and a longer run finds what a shorter one does.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh all
jobs=$(nproc)
scratch=$(mktemp -d)
wine_started=
cleanup() {
  [ -z "${fuzzing:-}" ] || kill "$fuzzing" 2>/dev/null || true
  [ -z "$wine_started" ] || wine_stop
  rm -rf "$scratch"
}
trap cleanup EXIT

# One stage: its title, its build folder, then what scripts/build.sh takes; the build, then its
# tests (none where ZANDREL_TESTS=OFF is among the arguments) but those $skip names.
skip='^$'
stage() {
  local title=$1 dir=$2 start
  shift 2
  start=$(date +%s)
  echo "== $title"
  ZANDREL_BUILD_DIR=$dir scripts/build.sh "$@"
  [[ " $* " == *" -DZANDREL_TESTS=OFF "* ]] || ctest --test-dir "$dir" --output-on-failure -j"$jobs" -E "$skip"
  echo "== $title: $(( $(date +%s) - start )) s"
}

stage "everything" build -DZANDREL_GUI=ON -DZANDREL_TESTS=ON -DZANDREL_BENCH=ON
# What the real-window scripts prove is how the program meets a display server and a compositor,
# which the sanitizers have nothing to add to: the same code runs under them in the dialog suites.
# Every other test runs again under them, the real processes of kept numbers among them.
skip='^(closes_end_the_process_|real_window_)' stage "everything under sanitizers" build-asan -DZANDREL_SANITIZE=ON -DZANDREL_GUI=ON \
  -DZANDREL_TESTS=ON -DZANDREL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug

# The fuzzer runs on one core beside the Windows stage, which mostly waits on Wine's windows.
seconds=${ZANDREL_FUZZ_SECONDS:-20}
fuzzing=
if [ "$seconds" -gt 0 ]; then
  CXX=clang++ stage "fuzzing the file loader for ${seconds}s, beside the Windows stage" build-fuzz \
    -DZANDREL_FUZZ=ON -DZANDREL_GUI=OFF -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF
  mkdir "$scratch/corpus"
  cp tests/fuzz/corpus/* "$scratch/corpus"/
  build-fuzz/tests/fuzz/load_fuzzer -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    "$scratch/corpus" >"$scratch/fuzz.log" 2>&1 &
  fuzzing=$!
fi

# One quiet prefix and one persistent wineserver for the Windows test programs: each then starts
# in a fraction of a second. Wine's services start once with no pipe attached, or test discovery
# waits on the pipe they hold open.
source tests/support/wine.sh
wine_prefix "$scratch" null
wine_started=1
wineserver -p
wine cmd /c exit 0 </dev/null >/dev/null 2>&1
stage "Windows: cross-built, tested under Wine" build-win windows -DZANDREL_TESTS=ON

if [ -n "$fuzzing" ]; then
  echo "== fuzzing"
  status=0
  wait "$fuzzing" || status=$?
  fuzzing=
  grep -E '^(Done |stat::number_of_executed_units)' "$scratch/fuzz.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$scratch/fuzz.log"
    echo "fuzzing found a failure (exit $status)"
    exit 1
  fi
  echo "fuzzing: nothing found"
fi

# On arm64 what depends on the processor: the logic's tables (the generator, the file's bytes, the
# save rule) and the dialog offscreen. The real windows, the sanitizers and the package's files
# are the same code and files as on amd64, proved above.
start=$(date +%s)
echo "== arm64: cross-built, the logic and dialog suites under qemu-user"
scripts/cross.sh run . sh -c 'cmake -S . -B build-arm64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
    -DZANDREL_GUI=ON -DZANDREL_TESTS=ON -DZANDREL_BENCH=OFF "$@" >/dev/null &&
  cmake --build build-arm64 --target logic_tests dialog_tests &&
  ctest --test-dir build-arm64 -L "^(logic|dialog)\$" --output-on-failure -j"$(nproc)"' - ${CI:+-DZANDREL_WERROR=ON}
echo "== arm64: $(( $(date +%s) - start )) s"

echo "== releases: reproducible and signed"
start=$(date +%s)
tests/release/releaseTest.sh
echo "== releases: $(( $(date +%s) - start )) s"
