#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Signs a Windows program in place with Authenticode (SHA-256), with the certificate and key in
# $ZANDREL_SIGN_PKCS12 and its password in $ZANDREL_SIGN_PASSWORD. Without a time-stamp server
# ($ZANDREL_SIGN_TIMESTAMP_URL) it signs at $SOURCE_DATE_EPOCH, so that signing again gives the
# same bytes. With $ZANDREL_SIGNATURES, a folder of signatures named by the SHA-256 of the unsigned
# file, it attaches the one made for these bytes instead (checked against $ZANDREL_SIGN_CAFILE
# where named). With $ZANDREL_SIGNATURES_OUT, the signature goes there by the same name.
# Usage: sign.sh FILE.exe
set -euo pipefail
file=$1
unsigned=$(sha256sum <"$file" | cut -d' ' -f1)
rm -f "$file.signed"
if [ -n "${ZANDREL_SIGNATURES:-}" ]; then
  signature=$ZANDREL_SIGNATURES/$unsigned.p7
  [ -f "$signature" ] || {
    echo "sign.sh: no signature for $(basename "$file") ($unsigned): this build is not the one that was signed" >&2
    exit 1
  }
  ca=()
  [ -z "${ZANDREL_SIGN_CAFILE:-}" ] || ca=(-CAfile "$ZANDREL_SIGN_CAFILE")
  osslsigncode attach-signature -sigin "$signature" "${ca[@]}" -in "$file" -out "$file.signed" >/dev/null
else
  [ -n "${ZANDREL_SIGN_PKCS12:-}" ] || { echo "sign.sh: ZANDREL_SIGN_PKCS12 names no certificate" >&2; exit 1; }
  when=()
  if [ -n "${ZANDREL_SIGN_TIMESTAMP_URL:-}" ]; then
    when=(-ts "$ZANDREL_SIGN_TIMESTAMP_URL")
  elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    when=(-time "$SOURCE_DATE_EPOCH")
  fi
  # The password through a pipe, never on a command line that others can list.
  osslsigncode sign -pkcs12 "$ZANDREL_SIGN_PKCS12" -readpass <(printf '%s' "${ZANDREL_SIGN_PASSWORD:-}") \
    -h sha256 -n zandrel "${when[@]}" -in "$file" -out "$file.signed" >/dev/null
fi
mv -f "$file.signed" "$file"
if [ -n "${ZANDREL_SIGNATURES_OUT:-}" ]; then
  osslsigncode extract-signature -in "$file" -out "$ZANDREL_SIGNATURES_OUT/$unsigned.p7" >/dev/null
fi
