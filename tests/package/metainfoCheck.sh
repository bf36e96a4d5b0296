#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Validates AppStream metadata as pedantically as the installed appstreamcli can: no error and no
# warning, whichever version (Debian 12 has 0.16, Debian 13 1.0, which warn of different things);
# and, as root, that the installed AppStream reads the developer from it, as a software centre
# shows it (the file in the place of the system's metainfo, in a mount namespace of its own).
set -uo pipefail
out=$(appstreamcli validate --no-net --pedantic "$1" 2>&1)
status=$?
# A build names the publisher's page only where one was given (ZANDREL_HOMEPAGE, as releases that
# publish manifests do); AppStream 1.0 warns of a file without one.
issues=$(grep -E '^ *[EW]: ' <<<"$out" | grep -v ': url-homepage-missing$')
if [ -n "$issues" ] || { [ "$status" -ne 0 ] && ! grep -qE '^ *[EWIP]: ' <<<"$out"; }; then
  printf '%s\n' "$out"
  exit 1
fi
[ "$(id -u)" -eq 0 ] || exit 0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/metainfo" "$scratch/home"
cp "$1" "$scratch/metainfo/"
# The system's caches under a tmpfs of the namespace's own, gone with it.
details=$(HOME=$scratch/home XDG_CACHE_HOME=$scratch/home/.cache unshare -m sh -c 'mkdir -p /usr/share/metainfo &&
  mount --bind "$1" /usr/share/metainfo && mount -t tmpfs tmpfs /var/cache &&
  { appstreamcli refresh-cache --force >/dev/null 2>&1; appstreamcli get org.zandrel.zandrel --details; }' - "$scratch/metainfo" 2>&1)
grep -qx 'Developer: The zandrel developers' <<<"$details" || { printf '%s\n' "$details"; exit 1; }
