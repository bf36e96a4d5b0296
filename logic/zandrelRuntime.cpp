// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Stand-ins for the C runtime calls whose results users see: atoi, padding, the generator.
#include "zandrelRuntime.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>

int Atoi(std::string_view str)
{
    // strtol reads exactly atoi's syntax; it saturates at long's range, which is then narrowed.
    const std::string strCopy(str);
    const long nValue = std::strtol(strCopy.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(nValue, INT_MIN, INT_MAX));
}

std::string FormatZeroPadded(int n, int nWidth)
{
    // The sign comes before the zeros, as "%0*d" puts it: -5 in four is "-005".
    char szDigits[16];
    const long long nAbs = n < 0 ? -static_cast<long long>(n) : n;
    const char* const pEnd = std::to_chars(szDigits, szDigits + sizeof szDigits, nAbs).ptr;
    const auto nDigits = static_cast<int>(pEnd - szDigits);
    std::string str(n < 0 ? 1 : 0, '-');
    str.append(static_cast<std::size_t>(std::max(0, nWidth - nDigits - (n < 0 ? 1 : 0))), '0');
    return str.append(szDigits, static_cast<std::size_t>(nDigits));
}
