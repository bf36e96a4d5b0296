// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrelRuntime.h"

#include <climits>
#include <gtest/gtest.h>
#include <vector>

TEST(RandTest, MatchesTheOriginalSequence)
{
    struct Row {
        const char* name;
        std::uint32_t seed;
        std::vector<int> expected;
    };
    const Row rows[] = {
        {"seed 1", 1, {41, 18467, 6334, 26500, 19169}},
        {"seed 0", 0, {38, 7719, 21238, 2437, 8855}},
        {"seed wraps through the top bit", 0xFFFFFFFFu, {35, 29739, 3374}},
    };
    for (const Row& row : rows) {
        CRand rng;
        rng.srand(row.seed);
        std::vector<int> got;
        for (std::size_t i = 0; i < row.expected.size(); ++i) {
            got.push_back(rng.rand());
        }
        EXPECT_EQ(got, row.expected) << row.name;
    }
    CRand unseeded;
    EXPECT_EQ(unseeded.rand(), 41);
}

TEST(RandTest, StaysInFifteenBitsAndCoversTheRange)
{
    CRand rng;
    rng.srand(20261207);
    std::vector<bool> seen(32768, false);
    int nSeen = 0;
    for (int i = 0; i < 2'000'000 && nSeen < 32768; ++i) {
        const int n = rng.rand();
        ASSERT_GE(n, 0);
        ASSERT_LE(n, CRand::kRandMax);
        if (!seen[static_cast<std::size_t>(n)]) {
            seen[static_cast<std::size_t>(n)] = true;
            ++nSeen;
        }
    }
    EXPECT_EQ(nSeen, 32768);
}

TEST(RuntimeTest, AtoiReadsLikeTheCRuntime)
{
    struct Row {
        const char* input;
        int expected;
    };
    const Row rows[] = {
        {"", 0},
        {"0", 0},
        {"7", 7},
        {"0042", 42},
        {"1234", 1234},
        {"12a4", 12},
        {"  -12", -12},
        {"+5", 5},
        {"-", 0},
        {"abc", 0},
        {"\t\n9", 9},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Atoi(row.input), row.expected) << '"' << row.input << '"';
    }
}

TEST(RuntimeTest, FormatPadsButNeverCuts)
{
    struct Row {
        int n;
        int width;
        const char* expected;
    };
    const Row rows[] = {
        {0, 3, "000"},       {7, 3, "007"},  {42, 4, "0042"},  {1234, 3, "1234"},
        {12345, 4, "12345"}, {-5, 3, "-05"}, {-12, 4, "-012"}, {INT_MIN, 4, "-2147483648"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatZeroPadded(row.n, row.width), row.expected)
            << row.n << " width " << row.width;
    }
}
