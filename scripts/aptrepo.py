#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
"""Writes a signed apt repository (flat: every file in one folder) into DIST/apt: the packages
DEB... (one version, for one architecture or more), and the packages of PREVIOUS, an earlier release's repository (a folder or its address), checked
against its signature and hashes before they are carried forward; the source package beside the
packages (its .dsc and what it names), for apt source; Packages and Sources with their compressed forms and
Release, made by apt-ftparchive and dated EPOCH, so that a rebuild gives the same bytes, and the
indexes by their hashes (Acquire-By-Hash), PREVIOUS's among them;
InRelease and Release.gpg signed with KEY. Beside it in DIST, KEY's public key as a binary keyring,
zandrel-archive-keyring.gpg, and, where the repository's address REPOSITORY is known, the deb822
sources file zandrel.sources that names it.
Usage: aptrepo.py DIST KEY EPOCH REPOSITORY PREVIOUS DEB...  (REPOSITORY and PREVIOUS may be "")"""
import email.utils
import gzip
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.parse
import urllib.request

KEYRING = "zandrel-archive-keyring.gpg"
# Where the user puts the keyring (apt's folder for keys an administrator adds).
KEYRING_PATH = f"/etc/apt/keyrings/{KEYRING}"


def run(*command, **kwargs):
    return subprocess.run(command, check=True, capture_output=True, **kwargs).stdout


def fetch(base, name):
    if "://" not in base and not base.startswith("file:"):
        base = "file://" + os.path.abspath(base)
    with urllib.request.urlopen(urllib.parse.urljoin(base.rstrip("/") + "/", name)) as response:
        return response.read()


def stanzas(text):
    return [dict(line.split(": ", 1) for line in block.splitlines() if ": " in line and not line.startswith(" "))
            | {"": block} for block in text.strip().split("\n\n") if block.strip()]


def carry_forward(previous, keyring, into, new_files):
    """The earlier packages, each as the earlier, signed repository describes it; and its indexes
    by their hashes, so that a user whose apt update began before this repository replaced it
    still finds the indexes its InRelease names."""
    with tempfile.TemporaryDirectory() as scratch:
        signed = os.path.join(scratch, "InRelease")
        with open(signed, "wb") as f:
            f.write(fetch(previous, "InRelease"))
        try:
            release = run("gpgv", "--keyring", os.path.abspath(keyring), "--output", "-", signed)
        except subprocess.CalledProcessError as e:
            sys.exit(f"aptrepo.py: {previous}/InRelease is not signed by this key:\n{e.stderr.decode()}")
    hashes = {}
    for kind in "SHA256", "SHA512":
        hashes[kind] = {}
        for line in release.decode().split(f"\n{kind}:", 1)[1].splitlines()[1:]:
            if not line.startswith(" "):
                break
            digest, _, name = line.split()
            hashes[kind][name] = digest
    listed = hashes["SHA256"]
    for kind, names in hashes.items():
        os.makedirs(os.path.join(into, "by-hash", kind), exist_ok=True)
        for name, digest in names.items():
            if name.startswith(("Packages", "Sources")):
                data = fetch(previous, name)
                if hashlib.new(kind.lower(), data).hexdigest() != digest:
                    sys.exit(f"aptrepo.py: {previous}/{name} is not the one its signed Release lists")
                with open(os.path.join(into, "by-hash", kind, digest), "wb") as f:
                    f.write(data)
    packages = fetch(previous, "Packages")
    if hashlib.sha256(packages).hexdigest() != listed.get("Packages"):
        sys.exit(f"aptrepo.py: {previous}/Packages is not the one its signed Release lists")
    kept = []
    for stanza in stanzas(packages.decode()):
        name = os.path.basename(stanza["Filename"])
        if name in new_files:
            continue
        data = fetch(previous, stanza["Filename"])
        if hashlib.sha256(data).hexdigest() != stanza["SHA256"]:
            sys.exit(f"aptrepo.py: {previous}/{name} is not the one its signed Packages lists")
        with open(os.path.join(into, name), "wb") as f:
            f.write(data)
        kept.append(stanza["Version"])
    return kept


def main():
    dist, key, epoch, repository, previous, *debs = sys.argv[1:]
    apt = os.path.join(dist, "apt")
    os.makedirs(apt)
    keyring = os.path.join(dist, KEYRING)
    with open(keyring, "wb") as f:
        f.write(run("gpg", "--batch", "--export", key))
    for deb in debs:
        shutil.copy(deb, apt)
    if previous:
        kept = carry_forward(previous, keyring, apt, {os.path.basename(deb) for deb in debs})
        print(f"aptrepo.py: carried forward from {previous}: {', '.join(kept) or 'nothing'}")
    # The source package this release's packages were built from.
    _, version, _ = os.path.basename(debs[0]).split("_")
    upstream = version.rsplit("-", 1)[0]
    for name in (f"zandrel_{version}.dsc", f"zandrel_{upstream}.orig.tar.xz", f"zandrel_{version}.debian.tar.xz"):
        shutil.copy(os.path.join(os.path.dirname(debs[0]), name), apt)
    for index, key_field in ("packages", "Filename"), ("sources", "Package"):
        # One order, whatever order the folder lists them in.
        listing = stanzas(run("apt-ftparchive", index, ".", cwd=apt).decode())
        text = "\n".join(s[""].strip() + "\n" for s in sorted(listing, key=lambda s: s[key_field]))
        path = os.path.join(apt, index.capitalize())
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        with gzip.GzipFile(path + ".gz", "wb", 9, mtime=0) as f:
            f.write(text.encode())
        run("xz", "-T1", "-k", path)
    # Every architecture the repository holds a package for, carried forward ones too.
    architectures = sorted({name.rsplit("_", 1)[1][:-len(".deb")] for name in os.listdir(apt) if name.endswith(".deb")})
    fields = {"Origin": "zandrel", "Label": "zandrel", "Suite": "stable", "Codename": "zandrel",
              "Architectures": " ".join(architectures), "Date": email.utils.formatdate(int(epoch), usegmt=True),
              "Description": "zandrel, from its developers"}
    options = [f"-oAPT::FTPArchive::Release::{name}={value}" for name, value in fields.items()]
    # Indexes by their hashes too (Acquire-By-Hash), beside those the previous repository kept.
    release = run("apt-ftparchive", "-oAPT::FTPArchive::DoByHash=1", *options, "release", ".", cwd=apt)
    with open(os.path.join(apt, "Release"), "wb") as f:
        f.write(release)
    sign = ["gpg", "--batch", "--yes", "--local-user", key, "--digest-algo", "SHA512"]
    run(*sign, "--clearsign", "--output", os.path.join(apt, "InRelease"), os.path.join(apt, "Release"))
    run(*sign, "--armor", "--detach-sign", "--output", os.path.join(apt, "Release.gpg"),
        os.path.join(apt, "Release"))
    if repository:
        with open(os.path.join(dist, "zandrel.sources"), "w", encoding="utf-8") as f:
            f.write(f"Types: deb deb-src\nURIs: {repository.rstrip('/')}/\nSuites: ./\n"
                    f"Signed-By: {KEYRING_PATH}\n")


main()
