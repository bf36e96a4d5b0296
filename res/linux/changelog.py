#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
"""Writes debian/changelog from NEWS.md: one entry per "## VERSION (YYYY-MM-DD)" section, packaged as
Debian revision 1, its "- " items as the entry's lines, signed by MAINTAINER at noon UTC of the
release date. The committed debian/changelog is its output for "The zandrel developers"; a release
writes it again for the publisher who signs it.
Usage: changelog.py NEWS.md MAINTAINER OUTPUT"""
import datetime
import re
import sys
import textwrap


def entries(text):
    version = None
    for line in text.splitlines():
        heading = re.match(r"## (\S+) \((\d{4})-(\d\d)-(\d\d)\)$", line)
        if heading:
            if version:
                yield version, date, items
            version = heading.group(1)
            date = datetime.datetime(*map(int, heading.groups()[1:]), 12, tzinfo=datetime.timezone.utc)
            items = []
        elif version and line.startswith("- "):
            items.append(line[2:].strip())
        elif version and line.startswith("  ") and items:
            items[-1] += " " + line.strip()
    if version:
        yield version, date, items


def main():
    news, maintainer, output = sys.argv[1:4]
    with open(news, encoding="utf-8") as f:
        found = list(entries(f.read()))
    if not found:
        sys.exit(f"{news}: no release heading")
    out = []
    for version, date, items in found:
        out.append(f"zandrel ({version}-1) unstable; urgency=medium\n")
        for item in items:
            out.append(textwrap.fill(item, 76, initial_indent="  * ", subsequent_indent="    "))
        out.append(f"\n -- {maintainer}  {date.strftime('%a, %d %b %Y %H:%M:%S +0000')}\n")
    with open(output, "w", encoding="utf-8") as f:
        f.write("\n".join(out))


main()
