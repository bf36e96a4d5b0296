// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Other processes: one killed in the middle of saving, one holding the file locked.
#include "FakeSurface.h"
#include "TempDir.h"
#include "zandrelStore.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kBytesA =
    Bytes({3, 0, 0, 0, '1', '1', '1', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0});
const std::string kBytesB = Bytes({1, 0, 0, 0, '2', 0, 2, 0, 0, 0, '2', '2', 0});

// Saves A and B in turn until killed, writing a byte to fdDone after each save; exits non-zero if
// a save ever reports a failure.
[[noreturn]] void SaveForever(int fdDone)
{
    CFakeDialog dlg;
    dlg.core.InitNumberState();
    for (unsigned i = 0;; ++i) {
        dlg.core.m_pszPrevNo3.Assign(i % 2 == 0 ? "111" : "2");
        dlg.core.m_pszPrevNo4.Assign(i % 2 == 0 ? "1111" : "22");
        dlg.core.SavePrevNumbers();
        if (!dlg.surface.m_messages.empty()) {
            _exit(3);
        }
        const char c = 's';
        [[maybe_unused]] const ssize_t nWritten = write(fdDone, &c, 1);
    }
}

TEST(CrashTest, KilledMidSaveLeavesOldOrNewBytes)
{
    CTempWorkDir dir;
    dir.WriteStore(kBytesB);
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> delayUs(0, 4000);
    // A slow disk or a sanitizer build stretches a save to milliseconds, so the kill is timed from
    // the child's first finished save rather than from its start, and the rounds go on until both
    // outcomes were seen: a kill between saves (A or B whole) and one inside a save (a .tmp left).
    constexpr int kMinKills = 150;
    constexpr int kMaxKills = 3000;
    int nKills = 0;
    int nSeenA = 0;
    int nMidSave = 0;
    while (nKills < kMaxKills && (nKills < kMinKills || nSeenA == 0 || nMidSave == 0)) {
        int fdDone[2];
        ASSERT_EQ(pipe(fdDone), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fdDone[0]);
            SaveForever(fdDone[1]);
        }
        close(fdDone[1]);
        char c = 0;
        const bool bSaved = read(fdDone[0], &c, 1) == 1;
        if (bSaved) {
            usleep(static_cast<useconds_t>(delayUs(rng)));
        }
        kill(pid, SIGKILL);
        close(fdDone[0]);
        int nStatus = 0;
        ASSERT_EQ(waitpid(pid, &nStatus, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(nStatus)) << "a save failed in the child, status " << nStatus;
        ++nKills;
        const std::string bytes = dir.ReadStore();
        ASSERT_TRUE(bytes == kBytesA || bytes == kBytesB)
            << "after kill " << nKills << ": " << bytes.size() << " bytes";
        nSeenA += bytes == kBytesA ? 1 : 0;
        // A kill inside a save leaves that child's copy behind; zandrel.ini is untouched.
        const std::string strMark = "." + std::to_string(pid) + ".";
        for (const std::string& strName : dir.Names()) {
            nMidSave += strName.ends_with(".tmp") && strName.find(strMark) != std::string::npos;
        }
    }
    RecordProperty("kills", nKills);
    RecordProperty("killed_mid_save", nMidSave);
    std::cout << "kills " << nKills << ", file held A " << nSeenA << " times, killed mid-save "
              << nMidSave << " times\n";
    EXPECT_GT(nSeenA, 0) << "no kill left the children's first save in place";
    EXPECT_GT(nMidSave, 0) << "no kill landed inside a save";

    // The next start reads the file and saves as usual.
    CFakeDialog fresh;
    fresh.core.InitNumberState();
    fresh.surface.Type("345");
    fresh.core.OnSet();
    EXPECT_TRUE(fresh.surface.m_messages.empty());
    EXPECT_EQ(DecodeStore(dir.ReadStore()).m_str3, "345");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"zandrel.ini"})
        << "the copies of killed saves are swept";
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

// Copies that killed saves left are removed at the next start; a copy that another running save
// holds is not, and neither is anything that only looks like a copy.
TEST(SecondInstanceTest, StartSweepsOnlyAbandonedCopies)
{
    CTempWorkDir dir;
    dir.WriteStore(kBytesB);
    struct Row {
        const char* name;
        bool locked;
        bool kept;
    };
    const Row rows[] = {
        {".zandrel.ini.99999999.0.tmp", false, false}, // no process holds it
        {"zandrel.ini.99999999.1.tmp", false, false},  // an earlier release's, writer gone
        {".zandrel.ini.1.2.tmp", true, true},          // a save still running
        {"zandrel.ini.1.3.tmp", false, true},          // an earlier release's, writer alive
        {".zandrel.ini.x.tmp", false, true},           {"zandrel.ini.bak", false, true},
    };
    int fdRelease = -1;
    pid_t nLocker = -1;
    for (const Row& row : rows) {
        std::ofstream(dir.Path() / row.name) << "12";
        if (row.locked) {
            nLocker = LockInOtherProcess(dir.Path() / row.name, fdRelease);
            ASSERT_GT(nLocker, 0);
        }
    }
    CFakeDialog dlg;
    dlg.core.InitNumberState();
    for (const Row& row : rows) {
        EXPECT_EQ(std::filesystem::exists(dir.Path() / row.name), row.kept) << row.name;
    }
    close(fdRelease);
    waitpid(nLocker, nullptr, 0);
}

} // namespace
