// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// UTF-8 to UTF-16 and back, for the Windows calls.
#include "Wide.h"

#include <windows.h>

std::wstring Widen(std::string_view utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const int nLen = static_cast<int>(utf8.size());
    std::wstring out(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), nLen, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), nLen, out.data(), static_cast<int>(out.size()));
    return out;
}

std::string Narrow(std::wstring_view utf16)
{
    if (utf16.empty()) {
        return {};
    }
    const int nLen = static_cast<int>(utf16.size());
    std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, utf16.data(), nLen,
                                                                 nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), nLen, out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}
