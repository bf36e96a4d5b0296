// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

// Control identifiers and the texts that both the number logic and the window use.

namespace zandrel {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_ZANDREL_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 135;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2; // "end"
inline constexpr int IDC_STATIC = -1;
inline constexpr int IDC_KIND3 = 1000;
inline constexpr int IDC_KIND4 = 1001;
inline constexpr int IDC_ENTRY = 1002;
inline constexpr int IDC_SET = 1003;
inline constexpr int IDC_GET = 1005;
inline constexpr int IDC_USEPREV = 1006;
inline constexpr int IDC_PREVGROUP = 1008;

inline constexpr unsigned IDM_ABOUTBOX = 0x10;

inline constexpr const char* kCaptionPrefix = "before-no = ";
inline constexpr const char* kNumberCaption = "number";
inline constexpr const char* kErrorCaption = "error";
inline constexpr const char* kStoreFileName = "zandrel.ini";
inline constexpr const char* kOpenFailedText = "File, \"zandrel.ini\" could not be opened.";
inline constexpr const char* kWriteFailedText = "File, \"zandrel.ini\" could not be written.";
// Asked before the window closes with registrations that could not be saved; %1 lists them.
inline constexpr const char* kNotSavedText =
    "Not saved in \"zandrel.ini\": %1.\nRetry, or Cancel to close without saving.";
// The exchange's own report of an entry over its length; %1 is the limit.
inline constexpr const char* kEntryTooLongText = "The entry can hold no more than %1 characters.";

} // namespace zandrel
