#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The README's test command on a fresh Debian 13 (trixie), as a new user there would run it: makes
# the system with debootstrap from the Debian archive this machine's apt uses, clones the
# committed tree into it and runs scripts/test.sh inside. Needs root; takes well over ten minutes,
# so CI leaves it out. ZANDREL_RELEASE_DIR keeps the system there instead of a scratch folder.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "run as root: debootstrap and chroot need it" >&2; exit 1; }
command -v debootstrap >/dev/null || { apt-get update -qq; apt-get install -y -qq debootstrap; }

# The first Debian archive in apt's sources, deb822 or one-line form.
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -oE '(https?|file)://[^ ]*/debian/?( |$)' | grep -v security | head -n 1 | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}

root=${ZANDREL_RELEASE_DIR:-$(mktemp -d /var/tmp/zandrel-trixie.XXXXXX)}
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R "${mounted[$i]}" 2>/dev/null || umount -lR "${mounted[$i]}" || true; done
  [ -n "${ZANDREL_RELEASE_DIR:-}" ] || rm -rf --one-file-system "$root"
}
trap cleanup EXIT

# mktemp makes it 0700; as the system's root folder it must let every user through.
chmod 0755 "$root"
start=$(date +%s)
echo "== debootstrap trixie from $mirror into $root"
debootstrap --variant=minbase --include=ca-certificates trixie "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -n 30 "$root.debootstrap.log"; exit 1; }
rm -f "$root.debootstrap.log"
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone --quiet --no-hardlinks "$repo" "$root/src/zandrel"
for fs in proc sys dev; do
  mount --rbind "/$fs" "$root/$fs"
  mount --make-rslave "$root/$fs"
  mounted+=("$root/$fs")
done
echo "== scripts/test.sh on $(cat "$root/etc/debian_version")"
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  CI="${CI:-}" ZANDREL_FUZZ_SECONDS="${ZANDREL_FUZZ_SECONDS:-60}" \
  bash -c 'cd /src/zandrel && scripts/test.sh'
echo "== Debian 13: every test passed in $(( $(date +%s) - start )) s"
