#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Validates AppStream metadata as pedantically as the installed appstreamcli can. The one note
# allowed is the missing homepage: the project has none to name.
set -uo pipefail
out=$(appstreamcli validate --no-net --pedantic "$1" 2>&1)
status=$?
issues=$(grep -E '^[EW]: ' <<<"$out" | grep -v 'url-homepage-missing')
if [ -n "$issues" ] || { [ "$status" -ne 0 ] && ! grep -qE '^[EWIP]: ' <<<"$out"; }; then
  printf '%s\n' "$out"
  exit 1
fi
