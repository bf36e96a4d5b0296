#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The project on a fresh Debian system (trixie unless --suite names another), made with debootstrap
# from the archive this machine's apt uses, the committed tree cloned into it: the README's test
# command there, or with --ci only the Linux build and tests (X11, weston, the screen reader). With
# DIST, a release: its source package built there as a Debian maintainer builds it, installed and
# run (the release's .deb to the byte where the toolchain is BUILDINFO's). With LATER, a later
# release whose apt repository carries DIST's forward (both for file:/srv/zandrel/apt): a user adds
# DIST's repository and installs, apt upgrade takes LATER's, zandrel=VERSION goes back, and a
# changed Packages is refused. ZANDREL_RELEASE_DIR keeps the system there.
# Usage: freshDebian.sh [--ci] [--suite SUITE] [DIST [LATER]]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
ci= suite=trixie dist= later=
while [ $# -gt 0 ]; do
  case $1 in
    --ci) ci=1 ;;
    --suite) suite=$2; shift ;;
    *) if [ -z "$dist" ]; then dist=$(realpath "$1"); else later=$(realpath "$1"); fi ;;
  esac
  shift
done
# debootstrap and chroot need root.
[ "$(id -u)" -eq 0 ] || exec sudo --preserve-env=CI,ZANDREL_FUZZ_SECONDS,ZANDREL_RELEASE_DIR "$0" "$@"
command -v debootstrap >/dev/null || { apt-get update -qq; apt-get install -y -qq debootstrap; }

# The first Debian archive in apt's sources, deb822 or one-line form.
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -oE '(https?|file)://[^ ]*/debian/?( |$)' | grep -v security | head -n 1 | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}

root=${ZANDREL_RELEASE_DIR:-$(mktemp -d "/var/tmp/zandrel-$suite.XXXXXX")}
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R "${mounted[$i]}" 2>/dev/null || umount -lR "${mounted[$i]}" || true; done
  [ -n "${ZANDREL_RELEASE_DIR:-}" ] || rm -rf --one-file-system "$root"
}
trap cleanup EXIT
inside() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    CI="${CI:-}" ZANDREL_FUZZ_SECONDS="${ZANDREL_FUZZ_SECONDS:-60}" DEBIAN_FRONTEND=noninteractive "$@"
}

# mktemp makes it 0700; as the system's root folder it must let every user through.
chmod 0755 "$root"
start=$(date +%s)
echo "== debootstrap $suite from $mirror into $root"
debootstrap --variant=minbase --include=ca-certificates "$suite" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -n 30 "$root.debootstrap.log"; exit 1; }
rm -f "$root.debootstrap.log"
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone --quiet --no-hardlinks "$repo" "$root/src/zandrel"
for fs in proc sys dev; do
  mount --rbind "/$fs" "$root/$fs"
  mount --make-rslave "$root/$fs"
  mounted+=("$root/$fs")
done
system="Debian $(cat "$root/etc/debian_version")"
if [ -n "$ci" ]; then
  echo "== the Linux build and its tests on $system"
  inside bash -c 'cd /src/zandrel && scripts/build.sh -DZANDREL_GUI=ON -DZANDREL_TESTS=ON -DZANDREL_BENCH=OFF &&
    ctest --test-dir build --output-on-failure -j"$(nproc)"'
else
  echo "== scripts/test.sh on $system"
  inside bash -c 'cd /src/zandrel && scripts/test.sh'
fi

if [ -n "$dist" ]; then
  echo "== the release's source package, built on $system"
  mkdir "$root/src/package"
  cp "$dist"/*.dsc "$dist"/*.orig.tar.xz "$dist"/*.debian.tar.xz "$root/src/package/"
  deb=$(cd "$dist" && ls ./*_amd64.deb)
  inside bash -c 'set -e
    cd /src/package
    apt-get install -y -qq dpkg-dev >/dev/null 2>&1
    dpkg-source -x ./*.dsc build >/dev/null
    apt-get build-dep -y -qq ./build >/dev/null 2>&1
    (cd build && dpkg-buildpackage -b -us -uc >../build.log 2>&1) || { tail -n 40 build.log; exit 1; }
    apt-get install -y -qq "$1" >/dev/null 2>&1
    zandrel --version' - "$deb"
  # Byte for byte only with the release's toolchain: BUILDINFO's packages, as far as installed here.
  differs=$(sed -n '/Debian packages:$/,$ s/^  //p' "$dist/BUILDINFO" | while read -r name version; do
    here=$(inside dpkg-query -W -f '${db:Status-Abbrev}${Version}' "$name" 2>/dev/null || true)
    [[ $here != ii* || ${here#ii } == "$version" ]] || echo "$name ${here#ii } (the release's: $version)"
  done)
  bytes=$(cmp -s "$dist/$deb" "$root/src/package/$deb" && echo "the release's" || echo other)
  [ -n "$differs" ] || [ "$bytes" != other ] || { echo "FAIL: the release's toolchain built another package"; exit 1; }
  toolchain=${differs:-"the release's toolchain"}
  echo "the package: $bytes bytes, built with $(paste -sd ';' <<<"$toolchain")"
fi

if [ -n "$later" ]; then
  echo "== the releases' apt repository on $system"
  first=$(dpkg-deb -f "$dist"/*_amd64.deb Version) next=$(dpkg-deb -f "$later"/*_amd64.deb Version)
  mkdir -p "$root/srv/zandrel" "$root/etc/apt/keyrings"
  cp -r "$dist/apt" "$root/srv/zandrel/apt"
  cp -r "$later/apt" "$root/srv/zandrel/later"
  # The user's two steps: the keyring and the sources file in place; apt update, apt install.
  cp "$dist/zandrel-archive-keyring.gpg" "$root/etc/apt/keyrings/"
  cp "$dist/zandrel.sources" "$root/etc/apt/sources.list.d/"
  inside bash -c 'set -e
    cd /srv/zandrel
    expect() { [ "$(dpkg-query -W -f "\${Version}" zandrel)" = "$1" ] || { echo "FAIL: $2 left $(dpkg-query -W -f "\${Version}" zandrel)"; exit 1; }; }
    apt-get remove -y -qq zandrel >/dev/null 2>&1 || true
    apt-get update -qq && apt-get install -y -qq zandrel >/dev/null 2>&1 && expect "$1" "apt install"
    rm -r apt && mv later apt
    apt-get update -qq && apt-get upgrade -y -qq >/dev/null 2>&1 && expect "$2" "apt upgrade"
    apt-get install -y -qq --allow-downgrades "zandrel=$1" >/dev/null 2>&1 && expect "$1" "apt install zandrel=$1"
    # One byte changed in Packages, in each of its forms: apt, fetching it anew (as for a user who
    # adds the repository now), refuses the repository.
    sed -i "0,/^Description: d/s//Description: D/" apt/Packages
    (cd apt && rm Packages.gz Packages.xz && gzip -9nk Packages && xz -k Packages)
    rm /var/lib/apt/lists/*_srv_zandrel_*
    ! apt-get update -qq >/tmp/update.log 2>&1 && grep -qi "hash sum mismatch" /tmp/update.log ||
      { echo "FAIL: apt did not refuse a changed Packages:"; cat /tmp/update.log; exit 1; }' - "$first" "$next"
  echo "apt: installed $first from the repository, upgraded to $next, went back to $first; a changed Packages refused"
fi
echo "== $system: every test passed in $(( $(date +%s) - start )) s"
