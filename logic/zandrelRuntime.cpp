// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrelRuntime.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <memory>
#include <unistd.h>

std::uint32_t GetTickCount()
{
    timespec ts{};
    // CLOCK_BOOTTIME keeps counting through suspend, as the original tick count did.
    if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0) {
        clock_gettime(CLOCK_MONOTONIC, &ts);
    }
    const auto nMs = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                     static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(nMs);
}

int Atoi(std::string_view str)
{
    std::size_t i = 0;
    while (i < str.size() && (str[i] == ' ' || (str[i] >= '\t' && str[i] <= '\r'))) {
        ++i;
    }
    bool bNegative = false;
    if (i < str.size() && (str[i] == '+' || str[i] == '-')) {
        bNegative = str[i] == '-';
        ++i;
    }
    long long nValue = 0;
    for (; i < str.size() && str[i] >= '0' && str[i] <= '9'; ++i) {
        nValue = nValue * 10 + (str[i] - '0');
        if (nValue > static_cast<long long>(INT_MAX) + 1) {
            nValue = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (bNegative) {
        nValue = -nValue;
    }
    if (nValue > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(nValue);
}

std::string FormatZeroPadded(int n, int nWidth)
{
    char szBuf[32];
    const int nLen = std::snprintf(szBuf, sizeof szBuf, "%0*d", nWidth, n);
    return std::string(szBuf, static_cast<std::size_t>(nLen));
}

std::string GetWorkingDirectory()
{
    for (std::size_t nSize = 256; nSize <= (std::size_t{1} << 20); nSize *= 2) {
        auto buf = std::make_unique<char[]>(nSize);
        if (getcwd(buf.get(), nSize) != nullptr) {
            return std::string(buf.get());
        }
        if (errno != ERANGE) {
            break;
        }
    }
    return {};
}
