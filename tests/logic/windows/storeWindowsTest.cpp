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
#include <windows.h>

namespace {

// Virus checkers, backup and sync tools open a file just written, often sharing nothing: a start
// and a "set" wait for them as for another copy's lock.
TEST(StoreWindowsTest, FileOpenedWithoutSharingIsWaitedFor)
{
    const std::string held =
        Bytes({3, 0, 0, 0, '4', '5', '6', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0});
    for (const bool bAtStart : {true, false}) {
        SCOPED_TRACE(bAtStart ? "at start" : "at set");
        CTempWorkDir dir;
        dir.WriteStore(held);
        CFakeDialog dlg;
        CTestClockOps ops;
        dlg.core.SetFileOps(ops);
        if (!bAtStart) {
            dlg.core.InitNumberState();
        }
        const HANDLE h = CreateFileW(dir.Store().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ops.m_fnOnPause = [h] { CloseHandle(h); };
        if (bAtStart) {
            dlg.core.InitNumberState();
            EXPECT_EQ(dlg.surface.m_strCaption, "before-no = 456");
        } else {
            dlg.surface.Type("556");
            dlg.core.OnSet();
        }
        EXPECT_TRUE(dlg.surface.m_messages.empty());
        if (!bAtStart) {
            EXPECT_EQ(dir.ReadStore(),
                      Bytes({3, 0, 0, 0, '5', '5', '6', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0}));
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
