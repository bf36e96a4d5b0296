// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "FakeSurface.h"
#include "TempDir.h"
#include "zandrelStore.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace {

class NumberStateTest : public ::testing::Test {
protected:
    CTempWorkDir dir;
    CFakeDialog dlg;
    CFakeSurface& ui = dlg.surface;
    CZandrelDlgCore& core = dlg.core;

    // Starts the dialog on a file holding the two given texts.
    void StartWith(const std::string& str3, const std::string& str4)
    {
        dir.WriteStore(EncodeStore(str3, str4));
        core.InitNumberState();
    }
};

TEST_F(NumberStateTest, ConstructionDefaults)
{
    EXPECT_EQ(core.m_nKind, -1);
    EXPECT_EQ(core.m_bUsePrev, 0);
    EXPECT_EQ(core.m_strEntry, "");
    EXPECT_EQ(core.m_strPrevNo, "");
    EXPECT_EQ(core.m_strEntryNorm, "");
    EXPECT_TRUE(core.m_pszPrevNo3.IsEmpty());
    EXPECT_TRUE(core.m_pszPrevNo4.IsEmpty());
}

TEST_F(NumberStateTest, StartWithoutFile)
{
    core.InitNumberState();
    EXPECT_EQ(ui.m_nRadio, 0);
    EXPECT_TRUE(ui.m_bCheck);
    EXPECT_EQ(ui.m_strEntryText, "");
    EXPECT_EQ(ui.m_strCaption, "before-no = ");
    EXPECT_FALSE(ui.m_bSetEnabled);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST_F(NumberStateTest, DisplayOfBothKinds)
{
    struct Row {
        const char* name;
        std::string str3, str4;
        std::string entry3, entry4; // the captions read "before-no = " and the same
    };
    const Row rows[] = {
        {"seven and forty-two", "7", "42", "007", "0042"},
        {"only four digits", "", "4567", "", "4567"},
        {"only three digits", "123", "", "123", ""},
        {"zeros", "0", "0", "000", "0000"},
        {"too wide for the kind shows whole", "1234", "99", "1234", "0099"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CTempWorkDir rowDir;
        CFakeDialog d;
        rowDir.WriteStore(EncodeStore(row.str3, row.str4));
        d.core.InitNumberState();
        // At the start, then after each switch.
        for (const int nKind : {0, 1, 0}) {
            if (d.surface.m_nRadio != nKind) {
                d.surface.Click(nKind != 0 ? zandrel::IDC_KIND4 : zandrel::IDC_KIND3);
            }
            const std::string& entry = nKind != 0 ? row.entry4 : row.entry3;
            EXPECT_EQ(d.surface.m_strEntryText, entry);
            EXPECT_EQ(d.surface.m_strCaption, "before-no = " + entry);
            EXPECT_FALSE(d.surface.m_bSetEnabled);
        }
    }
}

TEST_F(NumberStateTest, ClickOnTheChosenKindDiscardsTheTypedEntry)
{
    StartWith("7", "");
    ui.Type("123");
    EXPECT_TRUE(ui.m_bSetEnabled);
    core.OnKind3();
    EXPECT_EQ(ui.m_strEntryText, "007");
    EXPECT_FALSE(ui.m_bSetEnabled);

    ui.m_nRadio = 1;
    core.OnKind4();
    ui.Type("1234");
    core.OnKind4();
    EXPECT_EQ(ui.m_strEntryText, "");
    EXPECT_EQ(ui.m_strCaption, "before-no = ");
    EXPECT_FALSE(ui.m_bSetEnabled);
}

TEST_F(NumberStateTest, SetRegistersShowsAndDisables)
{
    struct Row {
        const char* name;
        int kind;
        const char* typed;
        const char* stored;
        const char* shown;
    };
    const Row rows[] = {
        {"three digits", 0, "123", "123", "123"}, {"leading zeros stripped", 0, "007", "7", "007"},
        {"all zeros", 0, "000", "0", "000"},      {"four digits", 1, "0042", "42", "0042"},
        {"four zeros", 1, "0000", "0", "0000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CTempWorkDir rowDir;
        CFakeDialog d;
        auto& [ui2, core2] = d;
        core2.InitNumberState();
        if (row.kind == 1) {
            ui2.m_nRadio = 1;
            core2.OnKind4();
        }
        ui2.Type(row.typed);
        ASSERT_TRUE(ui2.m_bSetEnabled);
        core2.OnSet();
        const CPrevBuffer& kindBuf = row.kind == 1 ? core2.m_pszPrevNo4 : core2.m_pszPrevNo3;
        const CPrevBuffer& otherBuf = row.kind == 1 ? core2.m_pszPrevNo3 : core2.m_pszPrevNo4;
        EXPECT_EQ(kindBuf.View(), row.stored);
        EXPECT_TRUE(otherBuf.IsEmpty());
        EXPECT_EQ(core2.m_strPrevNo, row.stored);
        EXPECT_EQ(ui2.m_strEntryText, row.shown);
        EXPECT_EQ(ui2.m_strCaption, std::string("before-no = ") + row.shown);
        EXPECT_FALSE(ui2.m_bSetEnabled);
        EXPECT_TRUE(ui2.m_messages.empty());
    }
}

TEST_F(NumberStateTest, WritingTheSameEntryStillRevalidates)
{
    core.InitNumberState();
    ui.m_nRadio = 1;
    core.OnKind4();
    ui.Type("0042");
    const int nBefore = ui.m_nEntryChanges;
    core.OnSet();
    EXPECT_EQ(ui.m_strEntryText, "0042");
    EXPECT_EQ(ui.m_nEntryChanges, nBefore + 1);
    EXPECT_FALSE(ui.m_bSetEnabled);
}

// "set" pressed (or sent a click while disabled) on an entry the rules refuse.
TEST_F(NumberStateTest, SetOnARefusedEntryDoesNothing)
{
    for (const char* entry : {"1a3", "12", "007", "1234"}) {
        SCOPED_TRACE(entry);
        StartWith("7", "");
        ui.Type(entry);
        ASSERT_FALSE(ui.m_bSetEnabled);
        core.OnSet();
        EXPECT_EQ(core.m_pszPrevNo3.View(), "7");
        EXPECT_EQ(ui.m_strCaption, "before-no = 007");
        EXPECT_EQ(ui.m_strEntryText, entry);
        EXPECT_TRUE(ui.m_messages.empty());
        EXPECT_EQ(dir.ReadStore(), EncodeStore("7", ""));
    }
}

TEST_F(NumberStateTest, UseCheckOnlyReadsTheControls)
{
    core.InitNumberState();
    ui.Type("123");
    ASSERT_TRUE(ui.m_bSetEnabled);
    ui.m_bCheck = false;
    core.OnUseCheck();
    EXPECT_EQ(core.m_bUsePrev, 0);
    EXPECT_TRUE(ui.m_bSetEnabled);
    EXPECT_EQ(ui.m_strEntryText, "123");
}

TEST_F(NumberStateTest, CloseReleasesBothBuffersOnce)
{
    StartWith("7", "42");
    core.ReleasePrevNumbers();
    EXPECT_TRUE(core.m_pszPrevNo3.IsEmpty());
    EXPECT_TRUE(core.m_pszPrevNo4.IsEmpty());
    EXPECT_STREQ(core.m_pszPrevNo3.c_str(), "");
    core.ReleasePrevNumbers(); // a second release finds only the shared empty text
    EXPECT_TRUE(core.m_pszPrevNo3.IsEmpty());
}

// Each control's event reaches its handler through the table, and nothing else does.
TEST_F(NumberStateTest, EventTableRoutesEachControl)
{
    using namespace zandrel;
    StartWith("7", "42");
    ui.Type("123");
    struct Row {
        const char* name;
        int id;
        CNotify code;
        bool handled;
        const char* entry;
        const char* caption;
    };
    const Row rows[] = {
        {"a change of the entry validates", IDC_ENTRY, CNotify::Changed, true, "123",
         "before-no = 007"},
        {"set registers", IDC_SET, CNotify::Clicked, true, "123", "before-no = 123"},
        {"numbers4 switches", IDC_KIND4, CNotify::Clicked, true, "0042", "before-no = 0042"},
        {"numbers3 switches back", IDC_KIND3, CNotify::Clicked, true, "123", "before-no = 123"},
        {"get draws", IDC_GET, CNotify::Clicked, true, "123", "before-no = 123"},
        {"使用 reads the flag", IDC_USEPREV, CNotify::Clicked, true, "123", "before-no = 123"},
        {"end ends the run", IDCANCEL, CNotify::Clicked, true, "123", "before-no = 123"},
        {"a click on the entry is not in the table", IDC_ENTRY, CNotify::Clicked, false, "123",
         "before-no = 123"},
        {"nor is the group box", IDC_PREVGROUP, CNotify::Clicked, false, "123", "before-no = 123"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.id == IDC_KIND3 || row.id == IDC_KIND4) {
            ui.m_nRadio = row.id - IDC_KIND3;
        } else if (row.id == IDC_USEPREV) {
            ui.m_bCheck = false;
        }
        EXPECT_EQ(core.OnCommand(row.id, row.code), row.handled);
        EXPECT_EQ(ui.m_strEntryText, row.entry);
        EXPECT_EQ(ui.m_strCaption, row.caption);
    }
    EXPECT_EQ(dir.ReadStore(), EncodeStore("123", "42"));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].first.size(), 3u);
    EXPECT_EQ(ui.m_messages[0].second, "number");
    EXPECT_EQ(core.m_bUsePrev, 0);
    EXPECT_EQ(ui.m_nEndDialogs, 1);
}

TEST_F(NumberStateTest, VersionItemOpensTheBoxOtherCommandsGoOn)
{
    for (const unsigned nID : {0x10u, 0x1Fu, 0x10010u}) {
        EXPECT_TRUE(core.OnSysCommand(nID)) << nID;
    }
    for (const unsigned nID : {0x0u, 0x20u, 0xF010u, 0xF020u, 0xF060u}) {
        EXPECT_FALSE(core.OnSysCommand(nID)) << nID;
    }
    EXPECT_EQ(ui.m_nVersionBoxes, 3);
}

TEST(IconOriginTest, MinimisedIconIsCentred)
{
    struct Row {
        int cxClient, cyClient, cxIcon, cyIcon;
        CIconOrigin origin;
    };
    const Row rows[] = {
        {32, 32, 32, 32, {0, 0}},
        {160, 40, 32, 32, {64, 4}},
        {33, 33, 32, 32, {1, 1}},
        {20, 20, 32, 32, {-5, -5}},
    };
    for (const Row& row : rows) {
        const CIconOrigin origin = IconOrigin(row.cxClient, row.cyClient, row.cxIcon, row.cyIcon);
        EXPECT_EQ(origin.x, row.origin.x);
        EXPECT_EQ(origin.y, row.origin.y);
    }
}

TEST(PrevBufferTest, OwnsAnExactCopyOrSharesTheEmptyText)
{
    CPrevBuffer a;
    CPrevBuffer b;
    EXPECT_EQ(a.c_str(), b.c_str()) << "empty buffers share one text";
    a.Assign("123");
    EXPECT_STREQ(a.c_str(), "123");
    EXPECT_NE(a.c_str(), b.c_str());
    a.Assign("");
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.c_str(), b.c_str());
}

} // namespace
