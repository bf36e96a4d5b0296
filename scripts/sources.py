#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
"""Writes the files of a commit into a folder byte for byte as committed, modes 0644 or 0755,
every file and folder dated EPOCH. Not git archive: it applies the attributes of the builder's
git (~/.config/git/attributes, /etc/gitattributes, .git/info/attributes: line endings, filters),
which would then reach the build.
Usage: sources.py REPOSITORY COMMIT FOLDER EPOCH"""
import os
import subprocess
import sys

repo, commit, out, epoch = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
git = ["git", "-C", repo]
listing = subprocess.run(git + ["ls-tree", "-r", "-z", "--full-tree", commit],
                         check=True, capture_output=True).stdout
blobs = subprocess.Popen(git + ["cat-file", "--batch"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
folders = {out}
for entry in filter(None, listing.split(b"\0")):
    meta, path = entry.split(b"\t", 1)
    mode, kind, name = meta.split()
    if kind != b"blob":
        sys.exit(f"sources.py: {path.decode()} is a {kind.decode()}, which a release cannot hold")
    blobs.stdin.write(name + b"\n")
    blobs.stdin.flush()
    size = int(blobs.stdout.readline().split()[2])
    data = blobs.stdout.read(size)
    blobs.stdout.read(1)
    target = os.path.join(out, os.fsdecode(path))
    folder = os.path.dirname(target)
    os.makedirs(folder, exist_ok=True)
    while folder not in folders:
        folders.add(folder)
        folder = os.path.dirname(folder)
    if mode == b"120000":
        os.symlink(data, target)
    else:
        with open(target, "wb") as f:
            f.write(data)
        os.chmod(target, 0o755 if mode == b"100755" else 0o644)
    os.utime(target, (epoch, epoch), follow_symlinks=False)
blobs.stdin.close()
blobs.wait()
for folder in sorted(folders, reverse=True):
    os.utime(folder, (epoch, epoch))
