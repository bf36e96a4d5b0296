#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
"""The pages' relative links lead somewhere: every link in the Markdown pages of the tree names a
file that exists and, after a '#', a heading of that page (as GitHub makes its anchors). And the
layout page names every top-level folder. Usage: linksCheck.py SOURCE_DIR"""
import re
import sys
from pathlib import Path

root = Path(sys.argv[1])
pages = [p for p in sorted(root.glob("*.md")) + sorted(root.glob("docs/*.md"))]
link = re.compile(r"\[[^\]]*\]\(([^)\s]+)\)")


def anchors(page):
    """GitHub's anchors: each heading lower-cased, punctuation dropped, spaces as hyphens."""
    found = set()
    for line in page.read_text(encoding="utf-8").splitlines():
        heading = re.match(r"#+\s+(.*)", line)
        if heading:
            found.add(re.sub(r"[^\w\- ]", "", heading.group(1).strip().lower()).replace(" ", "-"))
    return found


faults = []
for page in pages:
    text = re.sub(r"```.*?```", "", page.read_text(encoding="utf-8"), flags=re.S)
    for target in link.findall(text):
        if re.match(r"[a-z]+:", target):
            continue
        path, _, anchor = target.partition("#")
        file = (page.parent / path).resolve() if path else page
        where = f"{page.relative_to(root)}: {target}"
        if not file.exists():
            faults.append(f"{where}: no such file")
        elif anchor and file.suffix == ".md" and anchor not in anchors(file):
            faults.append(f"{where}: no such heading")

# The folders the sources hold: what a build or a release makes (.gitignore's) is not the tree's.
made = (".git", ".cache", "build", "dist")
layout = (root / "docs/layout.md").read_text(encoding="utf-8")
for folder in sorted(p.name for p in root.iterdir() if p.is_dir() and not p.name.startswith(made)):
    if f"`{folder}/" not in layout:
        faults.append(f"docs/layout.md does not name the folder {folder}/")

print("\n".join(faults) or f"{len(pages)} pages: every link leads somewhere; every folder is named")
sys.exit(1 if faults else 0)
