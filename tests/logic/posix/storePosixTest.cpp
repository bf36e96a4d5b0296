// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The file on POSIX systems: what makes it the same file to its users, links, other users.
#include "FakeSurface.h"
#include "TempDir.h"
#include "TestClockOps.h"
#include "zandrelStore.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Root that may act as the unprivileged user 65534: not the root of a user namespace that maps no
// other user, as the arm64 build system's is for anyone but root.
bool ActsAsAnyUser()
{
    char szPath[] = "/tmp/zandrel-owner-XXXXXX";
    const int fd = geteuid() == 0 ? mkstemp(szPath) : -1;
    const bool bChowns = fd >= 0 && fchown(fd, 65534, 65534) == 0;
    if (fd >= 0) {
        close(fd);
        unlink(szPath);
    }
    return bChowns;
}

const std::string kOpenFailed = "File, \"zandrel.ini\" could not be opened.";
const std::string kWriteFailed = "File, \"zandrel.ini\" could not be written.";
const std::string kSeven = Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0});
const std::string k123 = Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0, 0, 0, 0, 0});

// Runs fnBody in a child process; its exit status, or -1 when it did not exit (a signal).
template <typename Fn> int InChild(Fn fnBody)
{
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(fnBody());
    }
    int nStatus = 0;
    if (pid < 0 || waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus)) {
        return -1;
    }
    return WEXITSTATUS(nStatus);
}

// The same as the unprivileged user 65534; 100 when root could not be dropped.
template <typename Fn> int AsNobody(Fn fnBody)
{
    return InChild([&] {
        if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
            setresuid(65534, 65534, 65534) != 0) {
            return 100;
        }
        return fnBody();
    });
}

// Registers 123 in a fresh dialog: 0 saved, 1 could not be opened, 2 could not be written.
int Set123()
{
    CFakeDialog dlg;
    dlg.core.InitNumberState();
    dlg.surface.Type("123");
    dlg.core.OnSet();
    if (dlg.surface.m_messages.empty()) {
        return 0;
    }
    return dlg.surface.m_messages[0].first == kOpenFailed ? 1 : 2;
}

// At start such a name is passed over silently; a "set" is refused at once, with no wait for a
// file that will never be there.
TEST(StorePosixTest, FileThatCannotBeReadIsIgnoredSilently)
{
    CTempWorkDir dir;
    struct Row {
        const char* name;
        void (*plant)(const std::filesystem::path&);
    };
    const Row rows[] = {
        {"a directory",
         [](const std::filesystem::path& p) { std::filesystem::create_directory(p); }},
        {"a FIFO with no writer", [](const std::filesystem::path& p) { mkfifo(p.c_str(), 0600); }},
        {"a dangling link",
         [](const std::filesystem::path& p) { std::filesystem::create_symlink("nowhere", p); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(dir.Store());
        row.plant(dir.Store());
        CFakeDialog fresh;
        CTestClockOps ops;
        fresh.core.SetFileOps(ops);
        fresh.core.InitNumberState();
        EXPECT_TRUE(fresh.core.m_pszPrevNo3.IsEmpty());
        EXPECT_EQ(fresh.surface.m_strCaption, "before-no = ");
        EXPECT_TRUE(fresh.surface.m_messages.empty());
        fresh.surface.Type("123");
        fresh.core.OnSet();
        EXPECT_EQ(ops.Ticks(), 0u) << "waited";
        ASSERT_EQ(fresh.surface.m_messages.size(), 1u);
        EXPECT_EQ(fresh.surface.m_messages[0].first, kOpenFailed);
    }
}

// A lease (Samba's oplocks, an NFS server's delegations) refuses an open while its holder is asked
// to let go: a save waits for it as for a lock.
TEST(StorePosixTest, LeaseIsWaitedFor)
{
    CTempWorkDir dir;
    dir.WriteStore(kSeven);
    // The holder is asked by SIGIO, which would end this process.
    const auto oldHandler = std::signal(SIGIO, SIG_IGN);
    const int fd = open(dir.Store().c_str(), O_RDONLY | O_CLOEXEC);
    if (fcntl(fd, F_SETLEASE, F_RDLCK) != 0) {
        close(fd);
        std::signal(SIGIO, oldHandler);
        GTEST_SKIP() << "no leases on this file system";
    }
    CFakeDialog dlg;
    CTestClockOps ops;
    dlg.core.SetFileOps(ops);
    dlg.core.InitNumberState();
    // Let go once the save has found the file busy.
    ops.m_fnOnPause = [fd] {
        fcntl(fd, F_SETLEASE, F_UNLCK);
        close(fd);
    };
    dlg.surface.Type("123");
    dlg.core.OnSet();
    EXPECT_TRUE(dlg.surface.m_messages.empty());
    EXPECT_GT(ops.Ticks(), 0u) << "the lease was not waited for";
    std::signal(SIGIO, oldHandler);
    EXPECT_EQ(dir.ReadStore(), k123);
}

// The save writes the file itself, so nothing that makes it the same file to its users changes.
TEST(StorePosixTest, SaveKeepsTheFilesIdentity)
{
    CTempWorkDir dir;
    const bool bRoot = ActsAsAnyUser();
    struct Row {
        const char* name;
        bool twoLinks;
        bool foreignOwner; // needs root
        mode_t mode;
    };
    const Row rows[] = {
        {"plain file", false, false, 0640},
        {"second hard link", true, false, 0640},
        {"another user's file", false, true, 0666},
        {"setgid bit", false, false, 02660},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.foreignOwner && !bRoot) {
            std::cout << "skipped as not root: " << row.name << "\n";
            continue;
        }
        std::filesystem::remove(dir.Path() / "link");
        dir.WriteStore(kSeven);
        ASSERT_EQ(chmod(dir.Store().c_str(), row.mode), 0);
        if (row.twoLinks) {
            std::filesystem::create_hard_link(dir.Store(), dir.Path() / "link");
        }
        if (row.foreignOwner) {
            ASSERT_EQ(chown(dir.Store().c_str(), 65534, 65534), 0);
        }
        struct stat before {};
        ASSERT_EQ(stat(dir.Store().c_str(), &before), 0);
        EXPECT_EQ(Set123(), 0);
        EXPECT_EQ(dir.ReadStore(), k123);
        struct stat after {};
        ASSERT_EQ(stat(dir.Store().c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode & 07777, row.mode);
        EXPECT_EQ(after.st_nlink, before.st_nlink);
    }
}

TEST(StorePosixTest, LinkedFileStaysALink)
{
    CTempWorkDir dir;
    const auto real = dir.Path() / "elsewhere.bin";
    std::ofstream(real, std::ios::binary) << kSeven;
    std::filesystem::create_symlink("elsewhere.bin", dir.Store());
    EXPECT_EQ(Set123(), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Store()));
    EXPECT_EQ(dir.ReadStore(), k123);
}

TEST(StorePosixTest, UnreadableWorkingDirectoryLoadsNothingAndRefusesToSave)
{
    CTempWorkDir dir;
    dir.EnterRemovedDirectory();
    EXPECT_EQ(Set123(), 1);
    EXPECT_EQ(g_strStorePath, "");
    std::filesystem::current_path(dir.Path());
    EXPECT_TRUE(dir.Names().empty());
}

// Real processes of an unprivileged user, where the kernel's own rules decide.
TEST(StorePosixTest, UnprivilegedUser)
{
    if (!ActsAsAnyUser()) {
        GTEST_SKIP() << "needs root to become the unprivileged user 65534";
    }
    CTempWorkDir dir;
    struct Row {
        const char* name;
        mode_t folderMode;
        mode_t fileMode; // 0: no file
        uid_t owner;
        int status;
        std::string after;
    };
    const Row rows[] = {
        {"own file in a folder it cannot write", 0755, 0644, 65534, 0, k123},
        {"read-only file", 0755, 0444, 65534, 1, kSeven},
        {"no file, folder it cannot write", 0755, 0, 0, 1, ""},
        {"no file, folder it can write: the file made is its own to read", 0777, 0, 0, 0, k123},
    };
    // What a later start of the same user loads: 0 for 123.
    const auto loads123 = [] {
        CFakeDialog dlg;
        dlg.core.InitNumberState();
        return dlg.core.m_pszPrevNo3.View() == "123" ? 0 : 1;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir.Store());
        ASSERT_EQ(chmod(dir.Path().c_str(), row.folderMode), 0);
        if (row.fileMode != 0) {
            dir.WriteStore(kSeven);
            ASSERT_EQ(chmod(dir.Store().c_str(), row.fileMode), 0);
            ASSERT_EQ(chown(dir.Store().c_str(), row.owner, row.owner), 0);
        }
        EXPECT_EQ(AsNobody(Set123), row.status) << "100: could not drop root";
        EXPECT_EQ(dir.ReadStore(), row.after);
        if (row.status == 0) {
            EXPECT_EQ(AsNobody(loads123), 0);
        }
    }
}

// In a sticky world-writable folder another user plants zandrel.ini as a link to one of your
// files. The kernel refuses to follow it, and so must the save: your file stays as it was.
TEST(StorePosixTest, LinkPlantedByAnotherUserInASharedFolder)
{
    std::ifstream setting("/proc/sys/fs/protected_symlinks");
    int nProtected = 0;
    if (!(setting >> nProtected) || nProtected != 1 || !ActsAsAnyUser()) {
        GTEST_SKIP() << "needs root and fs.protected_symlinks = 1 (it is " << nProtected << ")";
    }
    CTempWorkDir dir;
    const auto shared = dir.Path() / "shared";
    std::filesystem::create_directory(shared);
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    const auto victim = dir.Path() / "precious";
    std::ofstream(victim) << "keep me";
    ASSERT_EQ(chown(victim.c_str(), 65534, 65534), 0);
    std::filesystem::create_symlink(victim, shared / "zandrel.ini");
    // Planted by a third user: neither the folder's owner nor the one who starts zandrel.
    ASSERT_EQ(lchown((shared / "zandrel.ini").c_str(), 65533, 65533), 0);
    std::filesystem::current_path(shared);
    EXPECT_EQ(AsNobody(Set123), 1);
    std::ifstream in(victim);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "keep me");
}

// Over a file-size limit, with SIGXFSZ ignored as the program ignores it, the write fails with
// EFBIG: the save says so and leaves the old file as it was.
TEST(StorePosixTest, FileSizeLimit)
{
    CTempWorkDir dir;
    dir.WriteStore(kSeven);
    const int nStatus = InChild([] {
        const rlimit limit{0, 0};
        std::signal(SIGXFSZ, SIG_IGN);
        return setrlimit(RLIMIT_FSIZE, &limit) == 0 ? Set123() : 100;
    });
    EXPECT_EQ(nStatus, 2) << "-1: ended by a signal; 2: could not be written";
    EXPECT_EQ(dir.ReadStore(), kSeven);
}

} // namespace
