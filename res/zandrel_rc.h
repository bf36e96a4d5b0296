// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The resources as data, one source for both front ends: templates, strings, icon, version.
#pragma once

#include <cstdint>
#include <span>

// The program's resources as data: dialog templates in dialog units with their window styles,
// the string table, the icon and the version record. qt/ realises them into widgets; win32/ hands
// them to Windows.

namespace rc {

// The style bits that the realisation reads, with the values the templates were written in.
// The templates keep their full style words; the other bits (popup, visible, caption, modal
// frame, font given, the edit's automatic scroll, the static's no-prefix) are what a Qt dialog,
// QLineEdit and a plain-text QLabel do anyway. WS_GROUP and WS_MINIMIZEBOX share a value because
// the bit means one on a control (the start of a group) and the other on a window.
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;

enum class Kind { PushButton, RadioButton, CheckBox, GroupBox, Edit, Static, Icon };

struct ItemTemplate {
    int id;
    const char* name; // object name, for tests and accessibility tools
    Kind kind;
    const char* text;
    std::uint32_t style;
    short x, y, cx, cy;
};

struct DialogTemplate {
    int id;
    std::uint32_t style;
    std::uint32_t exStyle;
    short cx, cy;
    const char* caption;
    int pointSize;
    const char* face;
    std::span<const ItemTemplate> items;
};

const DialogTemplate& MainDialog();    // 102
const DialogTemplate& VersionDialog(); // 100

// The string table; an empty text for an identifier it does not hold.
const char* String(int id);

// Icon 135: 32 x 32 in 16 colours, as XPM text.
const char* const* MainIconXpm();

struct VersionRecord {
    const char* fileVersion; // "1, 0, 0, 1"
    const char* productVersion;
    std::uint16_t version[4];
    std::uint32_t fileFlags, fileFlagsMask;
    std::uint16_t language, codePage;
    const char* internalName;
    const char* originalFilename;
    const char* fileDescription;
    const char* productName;
};
const VersionRecord& Version();

} // namespace rc
