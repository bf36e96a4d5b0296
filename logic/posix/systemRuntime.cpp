// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The runtime's system calls on Linux and other POSIX systems: the tick count and the working
// directory.
#include "zandrelRuntime.h"

#include <ctime>
#include <filesystem>

const char kPathSeparator = '/';

std::uint32_t SystemTickCount()
{
    timespec ts{};
#ifdef CLOCK_BOOTTIME
    // Keeps counting through suspend, as the original tick count did; Linux alone has it.
    if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0)
#endif
    {
        clock_gettime(CLOCK_MONOTONIC, &ts);
    }
    const auto nMs = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                     static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(nMs);
}

std::string GetWorkingDirectory()
{
    std::error_code ec;
    std::string strPath = std::filesystem::current_path(ec).string();
    return ec ? std::string() : strPath;
}
