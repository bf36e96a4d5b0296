#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The arm64 build system: a Debian 12 system of its own (the oldest release the packages serve),
# with arm64 added to its dpkg architectures, Debian's cross toolchain, the package's build
# dependencies for arm64 and qemu-user to run what is built. The machine's own architectures and
# packages stay as they are. Made with debootstrap into /var/cache/zandrel and kept for a week,
# named by what it is made of, as the fresh Debian of the tests is.
#   cross.sh make            makes it where it is missing or old (as root, or through sudo)
#   cross.sh path            prints its folder, or fails where it is not made
#   cross.sh run DIR CMD...  runs CMD in it, as the caller (root, or any user as root in a user
#                            namespace of their own), with DIR (writable) as /build, its working
#                            folder, and a /tmp of its own; nothing else in it changes
set -euo pipefail
packages=(
  build-essential crossbuild-essential-arm64 dpkg-dev debhelper cmake ninja-build pkgconf:arm64 python3
  qemu-user-static qt6-base-dev:arm64 libgtest-dev:arm64 libgmock-dev:arm64 fonts-ipafont-gothic
)
cache=/var/cache/zandrel
system=$cache/cross-bookworm-arm64-$(printf '%s\n' "${packages[@]}" | sha256sum | cut -c1-16)

case "${1:-}" in
  make)
    if [ -f "$system/.made" ] && [ -z "$(find "$system/.made" -mtime +6)" ]; then exit 0; fi
    [ "$(id -u)" -eq 0 ] || exec sudo "$0" "$@"
    # The first Debian archive in apt's sources, as the fresh Debian takes it.
    mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
      grep -oE '(https?|file)://[^ ]*/debian/?( |$)' | grep -v security | head -n 1 | tr -d ' ' || true)
    mirror=${mirror:-http://deb.debian.org/debian}
    rm -rf --one-file-system "$cache/cross-bookworm-arm64-"*
    mkdir -p "$system"
    mounted=()
    trap 'for m in "${mounted[@]}"; do umount -lR "$m" 2>/dev/null || true; done' EXIT
    start=$(date +%s)
    echo "== the arm64 build system: debootstrap bookworm from $mirror into $system, then the cross toolchain"
    { debootstrap --variant=minbase --include=ca-certificates bookworm "$system" "$mirror" &&
      cp /etc/resolv.conf "$system/etc/resolv.conf" &&
      for fs in proc sys dev; do
        mount --rbind "/$fs" "$system/$fs" && mount --make-rslave "$system/$fs" && mounted+=("$system/$fs")
      done &&
      chroot "$system" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive \
        sh -c 'dpkg --add-architecture arm64 && apt-get update -qq && apt-get install -y -qq --no-install-recommends "$@" && apt-get clean' \
        - "${packages[@]}"; } >"$system.log" 2>&1 || { tail -n 30 "$system.log"; rm -rf --one-file-system "$system"; exit 1; }
    for m in "${mounted[@]}"; do umount -R "$m"; done
    mounted=()
    mkdir -p "$system/build"
    rm -f "$system.log"
    touch "$system/.made"
    echo "made in $(( $(date +%s) - start )) s"
    ;;
  path)
    [ -f "$system/.made" ] || { echo "cross.sh: no arm64 build system: run scripts/setup.sh arm64 first" >&2; exit 1; }
    echo "$system"
    ;;
  run)
    dir=$(realpath "${2:?cross.sh run DIR CMD...}")
    shift 2
    "$0" path >/dev/null
    # The mounts are this run's alone. Root enters as root (whose tests of other users' files then
    # run); any other user as root in a user namespace of their own.
    user=(--user --map-root-user)
    [ "$(id -u)" -ne 0 ] || user=()
    exec unshare "${user[@]}" --mount --pid --fork --kill-child sh -c '
      system=$1 dir=$2
      shift 2
      mount -t proc proc "$system/proc" && mount --rbind /dev "$system/dev" &&
        mount -t tmpfs tmpfs "$system/tmp" && mount --bind "$dir" "$system/build" || exit 1
      exec chroot "$system" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/build TMPDIR=/tmp \
        LC_ALL=C.UTF-8 TZ=UTC sh -c "cd /build && exec \"\$@\"" - "$@"' - "$system" "$dir" "$@"
    ;;
  *)
    echo "usage: cross.sh make | path | run DIR CMD..." >&2
    exit 2
    ;;
esac
