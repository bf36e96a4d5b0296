// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The runtime calls that POSIX systems implement: the tick count and the working directory.
#include "TempDir.h"
#include "zandrelRuntime.h"

#include <ctime>
#include <gtest/gtest.h>

namespace {

TEST(RuntimeTest, TickCountFollowsTheBootClockInMilliseconds)
{
    timespec ts{};
    ASSERT_EQ(clock_gettime(CLOCK_BOOTTIME, &ts), 0);
    const auto nBefore =
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                                   static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
    const std::uint32_t nTicks = SystemTickCount();
    EXPECT_LE(static_cast<std::uint32_t>(nTicks - nBefore), 1000u);
}

TEST(RuntimeTest, WorkingDirectoryIsReadWholeBeyondOldPathLimits)
{
    CTempWorkDir dir;
    std::filesystem::path deep = dir.Path();
    for (int i = 0; i < 12; ++i) {
        deep /= std::string(60, static_cast<char>('a' + i));
    }
    std::filesystem::create_directories(deep);
    std::filesystem::current_path(deep);
    const std::string strCwd = GetWorkingDirectory();
    EXPECT_GT(strCwd.size(), 700u);
    EXPECT_EQ(std::filesystem::path(strCwd), std::filesystem::canonical(deep));
}

TEST(RuntimeTest, WorkingDirectoryThatWasRemovedReadsAsEmpty)
{
    CTempWorkDir dir;
    dir.EnterRemovedDirectory();
    EXPECT_EQ(GetWorkingDirectory(), "");
}

} // namespace
