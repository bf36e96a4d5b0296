// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "FakeSurface.h"
#include "TempDir.h"
#include "zandrelDraw.h"
#include "zandrelRuntime.h"
#include "zandrelStore.h"

#include <gtest/gtest.h>

namespace {

TEST(DrawTest, ShownNumberTakesTheLeadingDigits)
{
    struct Row {
        int final;
        const char* three;
        const char* four;
    };
    const Row rows[] = {
        {0, "000", "0000"},     {7, "007", "0007"},     {42, "042", "0042"},
        {123, "123", "0123"},   {987, "987", "0987"},   {1000, "100", "1000"},
        {9999, "999", "9999"},  {10000, "100", "1000"}, {12345, "123", "1234"},
        {32767, "327", "3276"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ShownNumber(row.final, 3), row.three) << row.final;
        EXPECT_EQ(ShownNumber(row.final, 4), row.four) << row.final;
    }
}

TEST(DrawTest, FixedSeeds)
{
    struct Row {
        const char* name;
        std::uint32_t seed;
        int digits;
        bool search;
        int prev;
        int final;
        long draws;
        const char* text;
    };
    const Row rows[] = {
        {"no search takes the first value", 1, 4, false, 0, 41, 1, "0041"},
        {"three digits", 1, 3, false, 0, 41, 1, "041"},
        {"search for 0 takes the first value", 1, 4, true, 0, 41, 1, "0041"},
        {"search for a value drawn second", 1, 4, true, 41, 18467, 2, "1846"},
        {"search for a value drawn fourth", 1, 3, true, 6334, 26500, 4, "265"},
        {"longest walk", 2253330762u, 3, true, 1615, 1408, 637160, "140"},
        {"longest walk, four digits", 2253330762u, 4, true, 1615, 1408, 637160, "1408"},
        {"negative value draws once", 1, 4, true, -12, 41, 1, "0041"},
        {"value past the range draws once", 1, 4, true, 40000, 41, 1, "0041"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CDrawResult result = DrawNumber(row.seed, row.digits, row.search, row.prev);
        EXPECT_EQ(result.m_nFinal, row.final);
        EXPECT_EQ(result.m_nDraws, row.draws);
        EXPECT_EQ(result.m_strText, row.text);
    }
}

// Over many seeds and previous numbers: the result is the value right after the first exact
// occurrence of the previous number, found here by walking a separate generator.
TEST(DrawTest, SearchTakesTheValueAfterTheFirstExactMatch)
{
    std::uint32_t nSeed = 987654321;
    for (int i = 0; i < 300; ++i) {
        nSeed = nSeed * 69069u + 1u;
        const int nPrev = static_cast<int>(nSeed % 9999) + 1;
        CRand rng;
        rng.srand(nSeed);
        long nDraws = 1;
        while (rng.rand() != nPrev) {
            ++nDraws;
        }
        const int nExpected = rng.rand();
        const CDrawResult result = DrawNumber(nSeed, 4, true, nPrev);
        ASSERT_EQ(result.m_nFinal, nExpected) << "seed " << nSeed << " prev " << nPrev;
        ASSERT_EQ(result.m_nDraws, nDraws + 1);
        ASSERT_EQ(result.m_strText, ShownNumber(nExpected, 4));
    }
}

TEST(DrawTest, ShownTextIsAlwaysDigitsOfTheKindsWidth)
{
    for (int nValue = 0; nValue <= CRand::kRandMax; ++nValue) {
        for (const int nDigits : {3, 4}) {
            const std::string strText = ShownNumber(nValue, nDigits);
            ASSERT_EQ(strText.size(), static_cast<std::size_t>(nDigits)) << nValue;
            ASSERT_EQ(strText.find_first_not_of("0123456789"), std::string::npos) << nValue;
            // Without its padding, the text is the front of the value's decimal digits.
            const std::string strDecimal = std::to_string(nValue);
            const auto nFirst = strText.find_first_not_of('0');
            const std::string strCore = nFirst == std::string::npos ? "0" : strText.substr(nFirst);
            ASSERT_EQ(strDecimal.rfind(strCore, 0), 0u) << nValue << " -> " << strText;
        }
    }
}

class GetTest : public ::testing::Test {
protected:
    CTempWorkDir dir;
    CFakeDialog dlg;
    std::uint32_t nTicks = 1;

    void SetUp() override
    {
        dlg.core.SetTickSource([this] { return nTicks; });
    }
    std::string Get()
    {
        dlg.surface.m_messages.clear();
        dlg.core.OnGet();
        EXPECT_EQ(dlg.surface.m_messages.size(), 1u);
        EXPECT_EQ(dlg.surface.m_messages.at(0).second, "number");
        return dlg.surface.m_messages.at(0).first;
    }
};

TEST_F(GetTest, UsesKindPreviousNumberAndCheckBoxAsTheyStand)
{
    struct Row {
        const char* name;
        std::string str3, str4;
        int kind;
        int usePrev;
        const char* shown;
    };
    const Row rows[] = {
        {"nothing registered draws once", "", "", 0, 1, "041"},
        {"check box cleared draws once", "41", "", 0, 0, "041"},
        {"searches for the kind's number", "41", "", 0, 1, "184"},
        {"four digits search their own kind", "41", "6334", 1, 1, "2650"},
        {"zero registered draws once", "0", "", 0, 1, "041"},
        {"hand-edited negative number draws once", "-5", "", 0, 1, "041"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.WriteStore(EncodeStore(row.str3, row.str4));
        dlg.core.InitNumberState();
        if (row.kind == 1) {
            dlg.surface.m_nRadio = 1;
            dlg.core.OnKind4();
        }
        dlg.surface.m_bCheck = row.usePrev != 0;
        dlg.core.OnUseCheck();
        const std::string strBefore = dlg.core.m_strPrevNo;
        // The draw works from the state as the last exchange left it, not from the controls.
        dlg.surface.m_nRadio = 1 - row.kind;
        dlg.surface.m_bCheck = row.usePrev == 0;
        EXPECT_EQ(Get(), row.shown);
        EXPECT_EQ(dlg.core.m_strPrevNo, strBefore) << "the draw changes no state";
    }
}

TEST_F(GetTest, SameTickSameNumberAndEveryPressReseeds)
{
    dlg.core.InitNumberState();
    nTicks = 2253330762u;
    const std::string strFirst = Get();
    EXPECT_EQ(Get(), strFirst);
    nTicks = 1;
    EXPECT_EQ(Get(), "041");
}

} // namespace
