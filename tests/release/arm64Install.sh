#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# A release's arm64 package as a user of an arm64 Debian meets it: in an arm64 Debian 12 and 13,
# run under qemu-user through the kernel's binfmt_misc, the release's apt repository added as the
# README says, `apt install zandrel`, then the program's window on Xvfb. Each system is made with
# debootstrap once and kept in /var/cache/zandrel for a week; each run works on a layer over it.
# Slow (everything runs emulated: minutes for a system's first making), so not part of the test
# command, which runs the arm64 suites under qemu-user instead.
# Usage: arm64Install.sh DIST [SUITE...]  (bookworm and trixie by default; as root)
set -euo pipefail
dist=$(realpath "${1:?usage: arm64Install.sh DIST [SUITE...]}")
shift
suites=("$@")
[ ${#suites[@]} -gt 0 ] || suites=(bookworm trixie)
[ "$(id -u)" -eq 0 ] || exec sudo "$0" "$dist" "${suites[@]}"
[ -d "$dist/apt" ] || { echo "arm64Install.sh: $dist holds no apt repository" >&2; exit 1; }
for tool in debootstrap qemu-aarch64-static update-binfmts; do
  command -v "$tool" >/dev/null ||
    { echo "arm64Install.sh: no $tool: apt install debootstrap qemu-user-static binfmt-support" >&2; exit 1; }
done
# arm64 programs run through qemu-user wherever the kernel meets one.
[ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
[ -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ] || update-binfmts --enable qemu-aarch64

mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -oE '(https?|file)://[^ ]*/debian/?( |$)' | grep -v security | head -n 1 | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}
cache=/var/cache/zandrel
mounted=()
unmount_all() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R "${mounted[$i]}" 2>/dev/null || umount -lR "${mounted[$i]}" || true; done
  mounted=()
}
layer=$(mktemp -d /var/tmp/zandrel-arm64.XXXXXX)
trap 'unmount_all; rm -rf --one-file-system "$layer"' EXIT
inside() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

for suite in "${suites[@]}"; do
  start=$(date +%s)
  base=$cache/debian-$suite-arm64
  if [ ! -f "$base/.made" ] || [ -n "$(find "$base/.made" -mtime +6)" ]; then
    rm -rf --one-file-system "$base"
    echo "== debootstrap an arm64 $suite from $mirror into $base, under qemu-user"
    debootstrap --arch=arm64 --variant=minbase --include=ca-certificates,xvfb,xauth,x11-utils \
      "$suite" "$base" "$mirror" >"$base.log" 2>&1 || { tail -n 30 "$base.log"; rm -rf --one-file-system "$base"; exit 1; }
    rm -f "$base.log"
    touch "$base/.made"
  fi
  root=$layer/$suite
  mkdir -p "$root" "$layer/$suite.upper" "$layer/$suite.work"
  mount -t overlay overlay -o "lowerdir=$base,upperdir=$layer/$suite.upper,workdir=$layer/$suite.work" "$root"
  mounted+=("$root")
  for fs in proc sys dev; do
    mount --rbind "/$fs" "$root/$fs" && mount --make-rslave "$root/$fs" && mounted+=("$root/$fs")
  done
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # The user's two steps, the repository served from /srv rather than its address.
  mkdir -p "$root/srv/zandrel" "$root/etc/apt/keyrings"
  cp -r "$dist/apt" "$root/srv/zandrel/apt"
  cp "$dist/zandrel-archive-keyring.gpg" "$root/etc/apt/keyrings/"
  sed 's|^URIs: .*|URIs: file:/srv/zandrel/apt/|' "$dist/zandrel.sources" >"$root/etc/apt/sources.list.d/zandrel.sources"
  system="arm64 Debian $(cat "$root/etc/debian_version") ($(inside uname -m) under qemu-user)"
  echo "== $system: apt install zandrel from the release's repository"
  inside sh -c 'apt-get update -qq && apt-get install -y -qq zandrel >/tmp/install.log 2>&1 || { cat /tmp/install.log; exit 1; }'
  version=$(inside dpkg-query -W -f '${Version} ${Architecture}' zandrel)
  # The dialog, not the 1x1 window Qt makes for the application first.
  inside sh -c 'cd /tmp && xvfb-run -a -s "-nolisten tcp" sh -c "
    zandrel & app=\$!
    shown() { xwininfo -root -tree | grep \"\\\"zandrel\\\"\" | grep -v \" 1x1+\"; }
    for i in \$(seq 240); do shown >/dev/null && break; sleep 0.5; done
    shown; found=\$?
    kill \$app; wait \$app; exit \$found"' >"$layer/window.log" 2>&1 ||
    { cat "$layer/window.log"; echo "FAIL: zandrel $version showed no window on $system"; exit 1; }
  echo "zandrel $version installed on $system, and its window shown: $(grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*' "$layer/window.log" | head -n 1), in $(( $(date +%s) - start )) s"
  unmount_all
done
