#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The project on a fresh Debian system (trixie unless --suite names another), made with debootstrap
# from the archive this machine's apt uses and given what scripts/setup.sh installs, and nothing
# else; the committed tree cloned into it: the README's test command there, or with --ci only the
# Linux build and tests (X11, weston, the screen reader), from DIST's orig tarball where one is
# named, cmake --install among them. That system is made once and kept in
# /var/cache/zandrel for a week, named by the suite and setup.sh's contents, so that a later run on
# this machine starts from it in seconds; each run works on a layer of its own over it. With
# DIST, a release: its source package built there as a Debian maintainer builds it, installed and
# run (the release's .deb to the byte where the toolchain is BUILDINFO's). With LATER, a later
# release whose apt repository carries DIST's forward (served from file:/srv/zandrel/apt): a user adds
# DIST's repository, installs and fetches the source, apt upgrade takes LATER's, zandrel=VERSION goes back, and a
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
command -v debootstrap >/dev/null || { echo "freshDebian.sh: no debootstrap: run scripts/setup.sh all first" >&2; exit 1; }

# The first Debian archive in apt's sources, deb822 or one-line form.
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -oE '(https?|file)://[^ ]*/debian/?( |$)' | grep -v security | head -n 1 | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}

cache=/var/cache/zandrel
base=$cache/debian-$suite-$(sha256sum "$repo/scripts/setup.sh" | cut -c1-16)
root=${ZANDREL_RELEASE_DIR:-$(mktemp -d "/var/tmp/zandrel-$suite.XXXXXX")}
layer=$(mktemp -d "/var/tmp/zandrel-layer.XXXXXX")
mounted=()
unmount_all() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R "${mounted[$i]}" 2>/dev/null || umount -lR "${mounted[$i]}" || true; done
  mounted=()
}
cleanup() {
  unmount_all
  [ -n "${ZANDREL_RELEASE_DIR:-}" ] || rm -rf --one-file-system "$root"
  rm -rf --one-file-system "$layer"
}
trap cleanup EXIT
bind_system() { # $1: a system's root; proc, sys and dev as the machine's
  for fs in proc sys dev; do
    mount --rbind "/$fs" "$1/$fs"
    mount --make-rslave "$1/$fs"
    mounted+=("$1/$fs")
  done
}
inside() { # a command in the system at $at (the run's by default), in a clean environment
  chroot "${at:-$root}" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    CI="${CI:-}" ZANDREL_FUZZ_SECONDS="${ZANDREL_FUZZ_SECONDS:-20}" DEBIAN_FRONTEND=noninteractive "$@"
}

start=$(date +%s)
if [ ! -f "$base/.made" ] || [ -n "$(find "$base/.made" -mtime +6)" ]; then
  rm -rf --one-file-system "$cache/debian-$suite-"*
  mkdir -p "$base"
  echo "== debootstrap $suite from $mirror into $base, then scripts/setup.sh's packages there"
  debootstrap --variant=minbase --include=ca-certificates "$suite" "$base" "$mirror" >"$base.log" 2>&1 ||
    { tail -n 30 "$base.log"; rm -rf --one-file-system "$base"; exit 1; }
  cp /etc/resolv.conf "$base/etc/resolv.conf"
  cp "$repo/scripts/setup.sh" "$base/tmp/setup.sh"
  bind_system "$base"
  # Debian's packages only: the arm64 build system, a system of its own, is made where it is used.
  at=$base inside bash /tmp/setup.sh linux windows release >>"$base.log" 2>&1 || { tail -n 30 "$base.log"; exit 1; }
  unmount_all
  rm -f "$base.log" "$base/tmp/setup.sh"
  touch "$base/.made"
  echo "made in $(( $(date +%s) - start )) s"
fi
# mktemp makes it 0700; as the system's root folder it must let every user through.
chmod 0755 "$root"
mkdir "$layer/upper" "$layer/work"
if mount -t overlay overlay -o "lowerdir=$base,upperdir=$layer/upper,workdir=$layer/work" "$root" 2>/dev/null; then
  mounted+=("$root")
else
  cp -a "$base/." "$root/"
fi
# The Linux tests build from the release's orig tarball where there is one, as another packager
# starts: a tree without debian/ or git must build, test and install. In root's home, which no
# other user may enter, as where root's clone of a new user's would be.
if [ -n "$dist" ] && [ -n "$ci" ]; then
  mkdir -p "$root/root/zandrel"
  tar -xJf "$dist"/*.orig.tar.xz --strip-components=1 -C "$root/root/zandrel"
else
  git clone --quiet --no-hardlinks "$repo" "$root/root/zandrel"
fi
bind_system "$root"
system="Debian $(cat "$root/etc/debian_version")"
if [ -n "$ci" ]; then
  echo "== the Linux build and its tests on $system"
  inside bash -c 'cd /root/zandrel && scripts/setup.sh linux && scripts/build.sh -DZANDREL_GUI=ON -DZANDREL_TESTS=ON -DZANDREL_BENCH=OFF &&
    ctest --test-dir build --output-on-failure -j"$(nproc)"'
else
  echo "== scripts/test.sh on $system"
  inside bash -c 'cd /root/zandrel && scripts/test.sh'
fi

if [ -n "$dist" ]; then
  echo "== the release's source package, built on $system by a user, as the README says, with its tests"
  mkdir -p "$root/src/package"
  cp "$dist"/*.dsc "$dist"/*.orig.tar.xz "$dist"/*.debian.tar.xz "$root/src/package/"
  deb=$(cd "$dist" && ls ./zandrel_*_amd64.deb)
  dsc=$(cd "$dist" && ls ./*.dsc)
  inside useradd --create-home builder
  inside chown -R builder: /src/package
  # Only what the set-up installed: a build dependency it lacks fails here, before apt could
  # bring it. Then the README's steps, by a user whose gpg has a home (as its own steps make).
  inside bash -c 'dpkg-source -x "/src/package/$1" /tmp/check >/dev/null && cd /tmp/check && dpkg-checkbuilddeps' - "$dsc"
  inside apt-get build-dep -y -qq /tmp/check >/dev/null
  inside runuser -u builder -- env HOME=/home/builder bash -c 'set -e
    gpg --list-keys >/dev/null 2>&1
    cd /src/package && dpkg-source -x "$1" build >/dev/null
    (cd build && dpkg-buildpackage -b -us -uc >../build.log 2>&1) || { tail -n 60 build.log; exit 1; }
    grep -qE "tests passed" build.log || { echo "FAIL: the package build ran no tests"; exit 1; }' - "$dsc"
  inside bash -c 'apt-get install -y -qq "/src/package/$1" >/dev/null 2>&1 && zandrel --version' - "$deb"
  # Byte for byte only with the release's toolchain: BUILDINFO's amd64 packages, as far as installed here.
  differs=$(sed -n '/Debian packages:$/,/^[^ ]/ s/^  //p' "$dist/BUILDINFO" | while read -r name version; do
    here=$(inside dpkg-query -W -f '${db:Status-Abbrev}${Version}' "$name" 2>/dev/null || true)
    [[ $here != ii* || ${here#ii } == "$version" ]] || echo "$name ${here#ii } (the release's: $version)"
  done)
  bytes=$(cmp -s "$dist/$deb" "$root/src/package/$deb" && echo "the release's" || echo other)
  [ -n "$differs" ] || [ "$bytes" != other ] || { echo "FAIL: the release's toolchain built another package"; exit 1; }
  toolchain=${differs:-"the release's toolchain"}
  echo "the package: $bytes bytes, built with $(paste -sd ';' <<<"$toolchain")"
fi

if [ -n "$later" ] && [ ! -d "$dist/apt" ]; then
  echo "SKIPPED: the releases have no apt repository (made only on Debian 12)"
elif [ -n "$later" ]; then
  echo "== the releases' apt repository on $system"
  first=$(dpkg-deb -f "$dist"/zandrel_*_amd64.deb Version) next=$(dpkg-deb -f "$later"/zandrel_*_amd64.deb Version)
  mkdir -p "$root/srv/zandrel" "$root/etc/apt/keyrings"
  cp -r "$dist/apt" "$root/srv/zandrel/apt"
  cp -r "$later/apt" "$root/srv/zandrel/later"
  # The user's two steps: the keyring and the sources file in place; apt update, apt install.
  cp "$dist/zandrel-archive-keyring.gpg" "$root/etc/apt/keyrings/"
  cp "$dist/zandrel.sources" "$root/etc/apt/sources.list.d/"
  # Published at the release's address; here the same files are served from /srv.
  sed -i 's|^URIs: .*|URIs: file:/srv/zandrel/apt/|' "$root/etc/apt/sources.list.d/zandrel.sources"
  inside bash -c 'set -e
    cd /srv/zandrel
    expect() { [ "$(dpkg-query -W -f "\${Version}" zandrel)" = "$1" ] || { echo "FAIL: $2 left $(dpkg-query -W -f "\${Version}" zandrel)"; exit 1; }; }
    apt-get remove -y -qq zandrel >/dev/null 2>&1 || true
    apt-get update -qq && apt-get install -y -qq zandrel >/dev/null 2>&1 && expect "$1" "apt install"
    (cd /tmp && apt-get source -qq --download-only zandrel >/dev/null 2>&1 && [ -f "zandrel_$1.dsc" ]) ||
      { echo "FAIL: apt source zandrel fetched no zandrel_$1.dsc"; exit 1; }
    rm -r apt && mv later apt
    apt-get update -qq && apt-get upgrade -y -qq >/dev/null 2>&1 && expect "$2" "apt upgrade"
    apt-get install -y -qq --allow-downgrades "zandrel=$1" >/dev/null 2>&1 && expect "$1" "apt install zandrel=$1"
    # One byte changed in Packages, in each of its forms and under each of its hashes: apt,
    # fetching it anew (as for a user who adds the repository now), refuses the repository.
    sed -i "0,/^Description: d/s//Description: D/" apt/Packages
    (cd apt && rm Packages.gz Packages.xz && gzip -9nk Packages && xz -k Packages &&
      for indexed in by-hash/*/*; do cp Packages.xz "$indexed"; done)
    rm /var/lib/apt/lists/*_srv_zandrel_*
    ! apt-get update -qq >/tmp/update.log 2>&1 && grep -qi "hash sum mismatch" /tmp/update.log ||
      { echo "FAIL: apt did not refuse a changed Packages:"; cat /tmp/update.log; exit 1; }' - "$first" "$next"
  echo "apt: installed $first from the repository and fetched its source, upgraded to $next, went back to $first; a changed Packages refused"
fi
echo "== $system: every test passed in $(( $(date +%s) - start )) s"
