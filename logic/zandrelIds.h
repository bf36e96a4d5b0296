// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Resource and control identifiers, shared by the number logic and both front ends.
#pragma once

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

} // namespace zandrel
