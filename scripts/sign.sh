#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Signs a Windows program in place with Authenticode (SHA-256), with the certificate and key in
# $ZANDREL_SIGN_PKCS12, its password in $ZANDREL_SIGN_PASSWORD, and a time stamp from
# $ZANDREL_SIGN_TIMESTAMP_URL where one is named. Usage: sign.sh FILE.exe
set -euo pipefail
file=$1
[ -n "${ZANDREL_SIGN_PKCS12:-}" ] || { echo "sign.sh: ZANDREL_SIGN_PKCS12 names no certificate" >&2; exit 1; }
stamp=()
[ -z "${ZANDREL_SIGN_TIMESTAMP_URL:-}" ] || stamp=(-ts "$ZANDREL_SIGN_TIMESTAMP_URL")
rm -f "$file.signed"
# The password through a pipe, never on a command line that others can list.
osslsigncode sign -pkcs12 "$ZANDREL_SIGN_PKCS12" -readpass <(printf '%s' "${ZANDREL_SIGN_PASSWORD:-}") \
  -h sha256 -n zandrel "${stamp[@]}" -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
