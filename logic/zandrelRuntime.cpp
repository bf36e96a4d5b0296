// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrelRuntime.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

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

std::string GetWorkingDirectory()
{
    std::error_code ec;
    std::string strPath = std::filesystem::current_path(ec).string();
    return ec ? std::string() : strPath;
}
