# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Sourced by the real-window tests: the bytes of zandrel.ini (or of the file named) as the hex
# pairs od prints, on one line.
store_bytes() { od -An -tx1 "${1:-zandrel.ini}" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
