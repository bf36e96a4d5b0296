#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Validates AppStream metadata as pedantically as the installed appstreamcli can: no error and no
# warning, whichever version (Debian 12 has 0.16, Debian 13 1.0, which warn of different things).
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
