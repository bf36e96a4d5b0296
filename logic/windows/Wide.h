// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// UTF-8 to UTF-16 and back, for the Windows calls.
#pragma once

#include <string>
#include <string_view>

// The logic speaks UTF-8, Windows UTF-16: texts cross at the boundary, nowhere else.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
