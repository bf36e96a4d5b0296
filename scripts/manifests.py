#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
"""Writes the package managers' manifests for the downloads in DIST, published under URL_BASE:
winget's multi-file manifest (version, installer, the default locale en-US and the locale ja-JP;
ManifestVersion 1.10.0) in DIST/winget/, and Scoop's in DIST/scoop/zandrel.json. They describe the installer as it behaves:
per user, exit code 2 while zandrel runs, and the Apps & features entry it writes; and the
portable zip, winget's second installer and Scoop's only one. They leave out what winget assumes
anyway (a nullsoft installer's switches, Windows 10, upgrading by installing over). Every address
they name is a download of the release, LATEST beside the release's folder, or HOMEPAGE, the
publisher's page.
Usage: manifests.py DIST VERSION URL_BASE RELEASE_DATE HOMEPAGE"""
import hashlib
import json
import os
import sys

PACKAGE = "zandrel.zandrel"
PUBLISHER = "The zandrel developers"
DESCRIPTION = "Draws three- and four-digit numbers"
LONG_DESCRIPTION = (
    "zandrel is a small window that draws random numbers of three digits (numbers3) or four "
    "digits (numbers4), zero-padded, each time you press get. For each kind it remembers the "
    "number you last registered with set, and can chain a draw to it. The two numbers are kept "
    "in zandrel.ini in the folder zandrel was started from.")
# What winget shows where Windows speaks Japanese, as most of zandrel's users' does.
DESCRIPTION_JA = "3 桁・4 桁の数字を引く"
LONG_DESCRIPTION_JA = (
    "zandrel は、get を押すたびに 3 桁（numbers3）または 4 桁（numbers4）の乱数を先頭を 0 で"
    "埋めて出す小さなウィンドウです。種類ごとに set で最後に登録した番号を覚えておき、その番号に"
    "つなげて数字を引くこともできます。二つの番号は、zandrel を起動したフォルダーの zandrel.ini "
    "に保存されます。")
TAGS_JA = ["数字", "乱数", "ユーティリティ"]
LICENSE = "MIT"
TAGS = ["numbers", "random", "utility"]
MANIFEST_VERSION = "1.10.0"
# What the installer writes under HKCU\...\Uninstall\zandrel (win32/installer.nsi).
UNINSTALL_KEY = "zandrel"


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def yaml(value, indent=""):
    """The few shapes a manifest needs, every string quoted so that none reads as a number or
    a date."""
    if isinstance(value, dict):
        lines = []
        for key, item in value.items():
            if isinstance(item, (dict, list)):
                lines.append(f"{indent}{key}:\n{yaml(item, indent + '  ')}")
            else:
                lines.append(f"{indent}{key}: {yaml(item)}")
        return "\n".join(lines)
    if isinstance(value, list):
        lines = []
        for item in value:
            text = yaml(item, indent + "  ") if isinstance(item, dict) else f"{indent}  {yaml(item)}"
            lines.append(f"{indent}- {text.lstrip()}")
        return "\n".join(lines)
    if isinstance(value, int):
        return str(value)
    return json.dumps(value, ensure_ascii=False)


def write(path, kind, fields):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}."
                f"{MANIFEST_VERSION}.schema.json\n\n")
        f.write(yaml(fields) + "\n")


def main():
    dist, version, base, date, homepage = sys.argv[1:6]
    base = base.rstrip("/")
    # Where a later version's downloads are, for Scoop's autoupdate: where the downloads are in a
    # folder named by the version (v1.0.0.1 as a release tag names it, too), the next one's are in
    # the folder beside it; and the newest version is named in LATEST beside them.
    head, _, last = base.rpartition("/")
    versioned = last.endswith(version)
    base_of_next = f"{head}/{last[:-len(version)]}$version" if versioned else base
    latest = f"{head}/LATEST" if versioned else f"{base}/LATEST"
    setup = f"zandrel-{version}-setup.exe"
    portable = f"zandrel-{version}-win64"
    common = {"PackageIdentifier": PACKAGE, "PackageVersion": version}
    write(f"{dist}/winget/{PACKAGE}.yaml", "version", {
        **common, "DefaultLocale": "en-US", "ManifestType": "version",
        "ManifestVersion": MANIFEST_VERSION})
    write(f"{dist}/winget/{PACKAGE}.installer.yaml", "installer", {
        **common,
        "Scope": "user",
        "ReleaseDate": date,
        "Installers": [{
            "Architecture": "x64", "InstallerType": "nullsoft", "InstallerUrl": f"{base}/{setup}",
            "InstallerSha256": sha256(f"{dist}/{setup}").upper(),
            "ExpectedReturnCodes": [{"InstallerReturnCode": 2, "ReturnResponse": "packageInUse"}],
            "AppsAndFeaturesEntries": [{
                "DisplayName": "zandrel", "Publisher": PUBLISHER, "DisplayVersion": version,
                "ProductCode": UNINSTALL_KEY}]}, {
            "Architecture": "x64", "InstallerType": "zip", "NestedInstallerType": "portable",
            "NestedInstallerFiles": [{
                "RelativeFilePath": f"{portable}\\zandrel.exe", "PortableCommandAlias": "zandrel"}],
            "InstallerUrl": f"{base}/{portable}.zip",
            "InstallerSha256": sha256(f"{dist}/{portable}.zip").upper()}],
        "ManifestType": "installer",
        "ManifestVersion": MANIFEST_VERSION})
    write(f"{dist}/winget/{PACKAGE}.locale.en-US.yaml", "defaultLocale", {
        **common, "PackageLocale": "en-US", "Publisher": PUBLISHER, "PublisherUrl": homepage,
        "PublisherSupportUrl": homepage, "PackageName": "zandrel", "PackageUrl": homepage,
        "License": LICENSE, "LicenseUrl": f"{base}/LICENSE", "ShortDescription": DESCRIPTION,
        "Description": LONG_DESCRIPTION, "Moniker": "zandrel",
        "Tags": TAGS, "ReleaseNotesUrl": f"{base}/NEWS.md", "ManifestType": "defaultLocale",
        "ManifestVersion": MANIFEST_VERSION})
    write(f"{dist}/winget/{PACKAGE}.locale.ja-JP.yaml", "locale", {
        **common, "PackageLocale": "ja-JP", "Publisher": PUBLISHER, "PublisherUrl": homepage,
        "PublisherSupportUrl": homepage, "PackageName": "zandrel", "PackageUrl": homepage,
        "License": LICENSE, "LicenseUrl": f"{base}/LICENSE", "ShortDescription": DESCRIPTION_JA,
        "Description": LONG_DESCRIPTION_JA, "Tags": TAGS_JA, "ReleaseNotesUrl": f"{base}/NEWS.md",
        "ManifestType": "locale", "ManifestVersion": MANIFEST_VERSION})
    os.makedirs(f"{dist}/scoop", exist_ok=True)
    scoop = {
        "version": version,
        "description": DESCRIPTION,
        "homepage": homepage,
        "license": {"identifier": LICENSE, "url": f"{base}/LICENSE"},
        "architecture": {"64bit": {
            "url": f"{base}/{portable}.zip",
            "hash": sha256(f"{dist}/{portable}.zip"),
            "extract_dir": portable}},
        "bin": "zandrel.exe",
        "shortcuts": [["zandrel.exe", "zandrel"]],
        # Started from its shortcut, zandrel keeps zandrel.ini in the app's folder, which each
        # update replaces: Scoop keeps the file itself across updates, as a hard link that
        # zandrel's saving in place keeps. Scoop makes a folder of a persisted name that the
        # app does not hold at its first install, so the file is made first.
        "pre_install": 'if (!(Test-Path "$persist_dir\\zandrel.ini")) '
                       '{ New-Item "$dir\\zandrel.ini" -ItemType File | Out-Null }',
        "persist": "zandrel.ini",
        "notes": "zandrel keeps its numbers in $persist_dir\\zandrel.ini when started from the "
                 "Start menu, and in the current folder when started from a command prompt.",
        # The newest version alone, in a file beside the releases' folders: no page that lists
        # several versions can point at an older one.
        "checkver": {"url": latest, "regex": r"^([\d.]+)"},
        "autoupdate": {"architecture": {"64bit": {
            "url": f"{base_of_next}/zandrel-$version-win64.zip",
            "hash": {"url": f"{base_of_next}/SHA256SUMS"},
            "extract_dir": "zandrel-$version-win64"}}},
    }
    with open(f"{dist}/scoop/zandrel.json", "w", encoding="utf-8") as f:
        json.dump(scoop, f, indent=4, ensure_ascii=False)
        f.write("\n")


main()
