// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The Windows file layer beside other programs that open the file as Windows lets them.
#include "FakeSurface.h"
#include "TempDir.h"
#include "TestClockOps.h"
#include "zandrelStore.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <utility>
#include <windows.h>

namespace {

// Virus checkers, backup and sync tools open a file just written, often sharing nothing: a start
// and a "set" wait for them as for another copy's lock. A press made while one holds the file for
// longer than the wait is kept, noted against what this copy last read, so that another copy's
// later number stands at the close.
TEST(StoreWindowsTest, FileOpenedWithoutSharingIsWaitedFor)
{
    const std::string held =
        Bytes({3, 0, 0, 0, '4', '5', '6', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0});
    enum When { AtStart, AtSet, PastTheWait };
    struct Row {
        const char* name;
        When when;
        std::string after;
    };
    const Row rows[] = {
        {"at start", AtStart, held},
        {"at set", AtSet, Bytes({3, 0, 0, 0, '5', '5', '6', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0})},
        {"past the wait, another copy's 777 after the press", PastTheWait,
         Bytes({3, 0, 0, 0, '7', '7', '7', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CTempWorkDir dir;
        dir.WriteStore(held);
        CFakeDialog dlg;
        CTestClockOps ops;
        dlg.core.SetFileOps(ops);
        if (row.when != AtStart) {
            dlg.core.InitNumberState();
        }
        HANDLE h = CreateFileW(dir.Store().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        const auto release = [&h] {
            CloseHandle(std::exchange(h, INVALID_HANDLE_VALUE));
        };
        if (row.when != PastTheWait) {
            ops.m_fnOnPause = release;
        }
        if (row.when == AtStart) {
            dlg.core.InitNumberState();
            EXPECT_EQ(dlg.surface.m_strCaption, "before-no = 456");
        } else {
            dlg.surface.Type(row.when == AtSet ? "556" : "555");
            dlg.core.OnSet();
        }
        EXPECT_EQ(dlg.surface.m_messages.empty(), row.when != PastTheWait);
        if (row.when == PastTheWait) {
            release();
            CFakeDialog other;
            other.core.InitNumberState();
            other.surface.Type("777");
            other.core.OnSet();
            dlg.core.OnCancel();
            EXPECT_EQ(dlg.surface.m_nEndDialogs, 1);
            EXPECT_EQ(dlg.core.m_pszPrevNo3.View(), "777");
        }
        EXPECT_EQ(dir.ReadStore(), row.after);
        if (h != INVALID_HANDLE_VALUE) {
            release();
        }
    }
}

// While zandrel holds the file, no one removes or renames it: the save then lands in the file the
// folder holds.
TEST(StoreWindowsTest, FileHeldCannotBeRemovedOrRenamed)
{
    CTempWorkDir dir;
    dir.WriteStore(Bytes({1, 0, 0, 0, '7', 0, 0, 0, 0, 0}));
    for (const auto mode : {CFileOps::Mode::Read, CFileOps::Mode::Update}) {
        auto failure = CFileOps::OpenFailure::Refused;
        const CFileOps::Handle h = SystemFileOps().Open(Utf8(dir.Store()), mode, failure);
        ASSERT_NE(h, CFileOps::kNoFile);
        EXPECT_FALSE(DeleteFileW(dir.Store().c_str()));
        EXPECT_FALSE(MoveFileW(dir.Store().c_str(), (dir.Path() / L"moved").c_str()));
        EXPECT_TRUE(SystemFileOps().Close(h));
    }
    EXPECT_TRUE(dir.StoreExists());
}

// Scoop keeps zandrel.ini across updates as a hard link to a file of its own, which it makes
// empty at the first install: every save reaches that file.
TEST(StoreWindowsTest, SavesReachTheFileAHardLinkShares)
{
    CTempWorkDir dir;
    dir.WriteStore("");
    ASSERT_TRUE(CreateHardLinkW((dir.Path() / L"kept").c_str(), dir.Store().c_str(), nullptr));
    CFakeDialog dlg;
    dlg.core.InitNumberState();
    for (const char* pszNumber : {"556", "123"}) {
        dlg.surface.Type(pszNumber);
        dlg.core.OnSet();
        std::ifstream kept(dir.Path() / L"kept", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}).substr(4, 3), pszNumber);
    }
    EXPECT_TRUE(dlg.surface.m_messages.empty());
}

} // namespace
