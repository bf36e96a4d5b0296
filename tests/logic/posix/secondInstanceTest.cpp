// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Other processes saving or holding the file locked.
#include "FakeSurface.h"
#include "TempDir.h"
#include "TestClockOps.h"
#include "zandrelStore.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kBytesA =
    Bytes({3, 0, 0, 0, '1', '1', '1', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0});
const std::string kBytesB = Bytes({1, 0, 0, 0, '2', 0, 2, 0, 0, 0, '2', '2', 0});

const CStoreRecords kRecordsA = DecodeStore(kBytesA);
const CStoreRecords kRecordsB = DecodeStore(kBytesB);

// Saves A and B in turn until killed or nSaves are done; exits 3 if a save ever reports a failure.
[[noreturn]] void SaveInTurn(long nSaves = -1)
{
    for (long i = 0; i != nSaves; ++i) {
        const std::string& bytes = i % 2 == 0 ? kBytesA : kBytesB;
        if (UpdateStoreFile(SystemFileOps(), "zandrel.ini",
                            [&](const std::string&) { return bytes; }) != StoreWriteResult::Ok) {
            _exit(3);
        }
    }
    _exit(0);
}

// Copies that start while another saves in a loop wait for its save: every start loads one of
// the complete contents, none loads nothing. Two copies saving at once both succeed.
TEST(SecondInstanceTest, StartsAndSavesBesideAnotherCopysSaves)
{
    CTempWorkDir dir;
    dir.WriteStore(kBytesB);
    const pid_t saver = fork();
    ASSERT_GE(saver, 0);
    if (saver == 0) {
        SaveInTurn();
    }
    int nEmpty = 0;
    for (int i = 0; i < 200; ++i) {
        CFakeDialog dlg;
        dlg.core.InitNumberState();
        const std::string_view str3 = dlg.core.m_pszPrevNo3.View();
        nEmpty += str3.empty() ? 1 : 0;
        ASSERT_TRUE(str3 == kRecordsA.m_str3 || str3 == kRecordsB.m_str3 || str3.empty());
        ASSERT_TRUE(dlg.surface.m_messages.empty());
    }
    kill(saver, SIGKILL);
    waitpid(saver, nullptr, 0);
    EXPECT_EQ(nEmpty, 0) << "starts that loaded nothing";

    pid_t savers[2];
    for (pid_t& pid : savers) {
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            SaveInTurn(300);
        }
    }
    for (const pid_t pid : savers) {
        int nStatus = 0;
        ASSERT_EQ(waitpid(pid, &nStatus, 0), pid);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
    }
    EXPECT_EQ(dir.ReadStore(), kBytesB) << "each ends on its 300th save, B";
}

// Another process holds zandrel.ini locked until the returned pipe is closed.
pid_t LockInOtherProcess(const std::filesystem::path& path, int& fdRelease)
{
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
        return -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(toChild[1]);
        close(fromChild[0]);
        const int fd = open(path.c_str(), O_RDONLY);
        const char cReady = (fd >= 0 && flock(fd, LOCK_EX) == 0) ? '1' : '0';
        [[maybe_unused]] const ssize_t nWritten = write(fromChild[1], &cReady, 1);
        char c;
        [[maybe_unused]] const ssize_t nRead = read(toChild[0], &c, 1); // until the parent lets go
        _exit(0);
    }
    close(toChild[0]);
    close(fromChild[1]);
    char cReady = 0;
    if (read(fromChild[0], &cReady, 1) != 1 || cReady != '1') {
        return -1;
    }
    close(fromChild[0]);
    fdRelease = toChild[1];
    return pid;
}

TEST(SecondInstanceTest, LockedFileIsIgnoredAtStartAndRefusedAtSave)
{
    CTempWorkDir dir;
    dir.WriteStore(kBytesB);
    int fdRelease = -1;
    const pid_t pid = LockInOtherProcess(dir.Store(), fdRelease);
    ASSERT_GT(pid, 0);

    CFakeDialog dlg;
    CTestClockOps ops;
    dlg.core.SetFileOps(ops);
    dlg.core.InitNumberState();
    EXPECT_TRUE(dlg.core.m_pszPrevNo3.IsEmpty());
    EXPECT_TRUE(dlg.surface.m_messages.empty());
    dlg.surface.Type("345");
    dlg.core.OnSet();
    ASSERT_EQ(dlg.surface.m_messages.size(), 1u);
    EXPECT_EQ(dlg.surface.m_messages[0].first, "File, \"zandrel.ini\" could not be opened.");
    EXPECT_EQ(dir.ReadStore(), kBytesB);

    close(fdRelease);
    waitpid(pid, nullptr, 0);
    dlg.surface.Type("346");
    dlg.core.OnSet();
    EXPECT_EQ(dlg.surface.m_messages.size(), 1u);
    EXPECT_EQ(DecodeStore(dir.ReadStore()).m_str3, "346");
}

} // namespace
