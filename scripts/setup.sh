#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Installs, from Debian's packages, whatever this machine lacks for: linux, building the program
# and its Linux tests; windows, cross-building the Windows program and testing it under Wine;
# release, the release's own tools; arm64, the arm64 build system (scripts/cross.sh: a Debian
# system of its own, so that this machine's architectures stay as they are); all (the default),
# every one of them, for the whole test command and the release. --check installs nothing: it
# names what is missing, and fails where anything is.
# Usage: setup.sh [--check] [linux|windows|release|arm64|all]...
set -euo pipefail

linux=(
  cmake ninja-build g++ pkgconf python3
  qt6-base-dev libgl-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic
  xvfb xauth x11-utils x11-apps xdotool
  dbus at-spi2-core python3-pyatspi
  weston qt6-wayland qt6-gtk-platformtheme
  desktop-file-utils appstream file man-db groff-base
)
windows=(
  cmake ninja-build python3
  g++-mingw-w64-x86-64-posix mingw-w64-common googletest wine wine64 nsis libxml2-utils locales
)
release=(
  clang libclang-rt-dev
  git build-essential dpkg-dev debhelper lintian locales apt-utils debootstrap
  osslsigncode openssl diffoscope-minimal gnupg python3-jsonschema python3-yaml
)
check=
[ "${1:-}" != --check ] || { check=1; shift; }
[ $# -gt 0 ] || set -- all
packages=()
arm64=
for part in "$@"; do
  case "$part" in
    linux) packages+=("${linux[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
    release) packages+=("${release[@]}") ;;
    arm64) packages+=(debootstrap) arm64=1 ;;
    all) packages+=("${linux[@]}" "${windows[@]}" "${release[@]}") arm64=1 ;;
    *) echo "usage: setup.sh [--check] [linux|windows|release|arm64|all]..." >&2; exit 2 ;;
  esac
done
# After the packages, which debootstrap is among.
cross() {
  [ -z "$arm64" ] && return 0
  if [ -n "$check" ]; then
    "$(dirname "$0")/cross.sh" path >/dev/null 2>&1 || { echo "missing: the arm64 build system" >&2; return 1; }
  else
    "$(dirname "$0")/cross.sh" make
  fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  cross
  exit
fi
[ -z "$check" ] || { echo "missing: ${missing[*]}" >&2; exit 1; }

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Run as root or install sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
cross
