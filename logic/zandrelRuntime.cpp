// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrelRuntime.h"

#include <algorithm>
#include <climits>
#include <cstdio>
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
    char szBuf[32];
    const int nLen = std::snprintf(szBuf, sizeof szBuf, "%0*d", nWidth, n);
    return std::string(szBuf, static_cast<std::size_t>(nLen));
}
