// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "FakeSurface.h"
#include "TempDir.h"
#include "zandrelStore.h"

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kOpenFailed = "File, \"zandrel.ini\" could not be opened.";
const std::string kWriteFailed = "File, \"zandrel.ini\" could not be written.";

TEST(StoreFormatTest, KnownGoodBytes)
{
    struct Row {
        const char* name;
        std::string str3, str4;
        std::string bytes;
    };
    const Row rows[] = {
        {"nothing registered", "", "", Bytes({0, 0, 0, 0, 0, 0, 0, 0})},
        {"seven only", "7", "", Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0})},
        {"123 and 4567", "123", "4567",
         Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0, 4, 0, 0, 0, 0x34, 0x35, 0x36, 0x37, 0})},
        {"seven and 42", "7", "42", Bytes({1, 0, 0, 0, 0x37, 0, 2, 0, 0, 0, 0x34, 0x32, 0})},
        {"zero", "0", "", Bytes({1, 0, 0, 0, 0x30, 0, 0, 0, 0, 0})},
        {"four digits only", "", "4567",
         Bytes({0, 0, 0, 0, 4, 0, 0, 0, 0x34, 0x35, 0x36, 0x37, 0})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(EncodeStore(row.str3, row.str4), row.bytes);
        const CStoreRecords records = DecodeStore(row.bytes);
        EXPECT_EQ(records.m_str3, row.str3);
        EXPECT_EQ(records.m_str4, row.str4);
    }
}

TEST(StoreFormatTest, DamagedFilesLoadWhatIsWhole)
{
    struct Row {
        const char* name;
        std::string bytes;
        std::string str3, str4;
    };
    const Row rows[] = {
        {"empty file", "", "", ""},
        {"cut inside the first length", Bytes({1, 0}), "", ""},
        {"cut inside the first text", Bytes({3, 0, 0, 0, 0x31, 0x32}), "", ""},
        {"first terminator missing", Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0x34, 0, 0, 0, 0}), "",
         ""},
        {"first too long, second ignored",
         Bytes({5, 0, 0, 0, 0x31, 0x32, 0x33, 0x34, 0x35, 0, 1, 0, 0, 0, 0x37, 0}), "", ""},
        {"huge length", Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x31, 0}), "", ""},
        {"cut inside the second length", Bytes({1, 0, 0, 0, 0x37, 0, 2, 0}), "7", ""},
        {"cut inside the second text", Bytes({1, 0, 0, 0, 0x37, 0, 2, 0, 0, 0, 0x34}), "7", ""},
        {"second terminator missing", Bytes({1, 0, 0, 0, 0x37, 0, 2, 0, 0, 0, 0x34, 0x32, 0x39}),
         "7", ""},
        {"second too long",
         Bytes({1, 0, 0, 0, 0x37, 0, 5, 0, 0, 0, 0x31, 0x32, 0x33, 0x34, 0x35, 0}), "7", ""},
        {"trailing bytes ignored", Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0, 0x55, 0x66}), "7", ""},
        {"text stops at an inner zero", Bytes({3, 0, 0, 0, 0x31, 0, 0x33, 0, 0, 0, 0, 0}), "1", ""},
        {"text that is all zero bytes", Bytes({2, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x39, 0}), "", "9"},
        {"hand-edited text taken as it stands",
         Bytes({3, 0, 0, 0, '-', '1', '2', 0, 4, 0, 0, 0, 'a', 'b', 'c', 'd', 0}), "-12", "abcd"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CStoreRecords records = DecodeStore(row.bytes);
        EXPECT_EQ(records.m_str3, row.str3);
        EXPECT_EQ(records.m_str4, row.str4);
    }
}

// Fails one chosen system call with a chosen error; everything else goes to the system.
class CFailingOps : public CFileOps {
public:
    enum class Call {
        None,
        OpenTarget,
        OpenTemp,
        Write,
        WriteHalf,
        Fsync,
        Close,
        Rename,
        Flock,
        Fchown,
        Ftruncate
    };
    Call m_failing = Call::None;
    int m_nErrno = EIO;
    int m_nUnlinks = 0;

    int Open(const char* pszPath, int nFlags, mode_t nMode) override
    {
        const bool bTemp = (nFlags & O_EXCL) != 0;
        if ((m_failing == Call::OpenTemp && bTemp) ||
            (m_failing == Call::OpenTarget && !bTemp && (nFlags & O_DIRECTORY) == 0)) {
            errno = m_nErrno;
            return -1;
        }
        const int fd = CFileOps::Open(pszPath, nFlags, nMode);
        if (bTemp) {
            m_fdTemp = fd;
        }
        return fd;
    }
    ssize_t Write(int fd, const void* pBuf, std::size_t nCount) override
    {
        if (m_failing == Call::WriteHalf && !m_bHalfDone) {
            m_bHalfDone = true;
            return CFileOps::Write(fd, pBuf, nCount / 2);
        }
        if (m_failing == Call::Write || m_failing == Call::WriteHalf) {
            errno = m_failing == Call::WriteHalf ? ENOSPC : m_nErrno;
            return -1;
        }
        return CFileOps::Write(fd, pBuf, nCount);
    }
    int Fsync(int fd) override
    {
        return Fail(Call::Fsync, fd == m_fdTemp) ? -1 : CFileOps::Fsync(fd);
    }
    int Close(int fd) override
    {
        const int nResult = CFileOps::Close(fd);
        return Fail(Call::Close, true) ? -1 : nResult;
    }
    int Fchown(int fd, uid_t nUid, gid_t nGid) override
    {
        return Fail(Call::Fchown, true) ? -1 : CFileOps::Fchown(fd, nUid, nGid);
    }
    int Ftruncate(int fd, off_t nLength) override
    {
        return Fail(Call::Ftruncate, true) ? -1 : CFileOps::Ftruncate(fd, nLength);
    }
    int Rename(const char* pszFrom, const char* pszTo) override
    {
        return Fail(Call::Rename, true) ? -1 : CFileOps::Rename(pszFrom, pszTo);
    }
    int Flock(int fd, int nOperation) override
    {
        return Fail(Call::Flock, true) ? -1 : CFileOps::Flock(fd, nOperation);
    }
    int Unlink(const char* pszPath) override
    {
        ++m_nUnlinks;
        return CFileOps::Unlink(pszPath);
    }

private:
    bool Fail(Call call, bool bApplies)
    {
        if (m_failing == call && bApplies) {
            errno = m_nErrno;
            return true;
        }
        return false;
    }
    int m_fdTemp = -1;
    bool m_bHalfDone = false;
};

class StoreFileTest : public ::testing::Test {
protected:
    CTempWorkDir dir;
    CFakeDialog dlg;
    CFailingOps ops;

    void SetUp() override { dlg.core.SetFileOps(ops); }

    // Starts on the file, then registers 0042 as the four-digit number.
    void StartAndSet42()
    {
        dlg.core.InitNumberState();
        dlg.surface.m_nRadio = 1;
        dlg.core.OnKind4();
        dlg.surface.Type("0042");
        dlg.core.OnSet();
    }
    std::size_t FilesInDir() const { return dir.Names().size(); }
};

TEST_F(StoreFileTest, FirstSetCreatesTheFile)
{
    StartAndSet42();
    EXPECT_TRUE(dlg.surface.m_messages.empty());
    EXPECT_EQ(dir.ReadStore(), Bytes({0, 0, 0, 0, 2, 0, 0, 0, 0x34, 0x32, 0}));
    EXPECT_EQ(g_strStorePath, dir.Store().string());
    EXPECT_EQ(FilesInDir(), 1u) << "no temporary file is left behind";
}

TEST_F(StoreFileTest, SetRewritesBothKindsThreeDigitFirst)
{
    struct Row {
        const char* name;
        std::string before;
        int kind;
        const char* entry;
        std::string after;
    };
    const Row rows[] = {
        {"four digits beside seven", Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0}), 1, "0042",
         Bytes({1, 0, 0, 0, 0x37, 0, 2, 0, 0, 0, 0x34, 0x32, 0})},
        {"000 is stored as 0", "", 0, "000", Bytes({1, 0, 0, 0, 0x30, 0, 0, 0, 0, 0})},
        {"three digits keep the four-digit record",
         Bytes({1, 0, 0, 0, 0x37, 0, 4, 0, 0, 0, 0x34, 0x35, 0x36, 0x37, 0}), 0, "123",
         Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0, 4, 0, 0, 0, 0x34, 0x35, 0x36, 0x37, 0})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir.Store());
        if (!row.before.empty()) {
            dir.WriteStore(row.before);
        }
        CFakeDialog fresh;
        fresh.core.InitNumberState();
        if (row.kind == 1) {
            fresh.surface.m_nRadio = 1;
            fresh.core.OnKind4();
        }
        fresh.surface.Type(row.entry);
        fresh.core.OnSet();
        EXPECT_TRUE(fresh.surface.m_messages.empty());
        EXPECT_EQ(dir.ReadStore(), row.after);
    }
}

TEST_F(StoreFileTest, SaveAndLoadRoundTrip)
{
    const std::pair<std::string, std::string> cases[] = {
        {"7", "42"}, {"0", "0"}, {"999", "9999"}, {"", "1"}};
    dlg.core.InitNumberState();
    for (const auto& [str3, str4] : cases) {
        dlg.core.m_pszPrevNo3.Assign(str3);
        dlg.core.m_pszPrevNo4.Assign(str4);
        dlg.core.SavePrevNumbers();
        CFakeDialog fresh;
        fresh.core.InitNumberState();
        EXPECT_EQ(fresh.core.m_pszPrevNo3.View(), str3);
        EXPECT_EQ(fresh.core.m_pszPrevNo4.View(), str4);
    }
}

TEST_F(StoreFileTest, PathIsFixedAtLoad)
{
    dlg.core.InitNumberState();
    const auto other = dir.Path() / "other";
    std::filesystem::create_directory(other);
    std::filesystem::current_path(other);
    dlg.surface.Type("123");
    dlg.core.OnSet();
    EXPECT_TRUE(dir.StoreExists());
    EXPECT_FALSE(std::filesystem::exists(other / "zandrel.ini"));
}

TEST_F(StoreFileTest, FileThatCannotBeReadIsIgnoredSilently)
{
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
        fresh.core.InitNumberState();
        EXPECT_TRUE(fresh.core.m_pszPrevNo3.IsEmpty());
        EXPECT_EQ(fresh.surface.m_strCaption, "before-no = ");
        EXPECT_TRUE(fresh.surface.m_messages.empty());
    }
}

TEST_F(StoreFileTest, FailuresSayWhichAndKeepTheOldFileWhereItWasCopied)
{
    using Call = CFailingOps::Call;
    struct Row {
        const char* name;
        Call call;
        int err;
        const std::string* message;
        bool inPlace; // a second link makes the save rewrite the file itself
    };
    const Row rows[] = {
        {"file cannot be opened", Call::OpenTarget, EACCES, &kOpenFailed, false},
        {"file locked", Call::Flock, EWOULDBLOCK, &kOpenFailed, false},
        {"write fails", Call::Write, EIO, &kWriteFailed, false},
        {"disk full half-way", Call::WriteHalf, ENOSPC, &kWriteFailed, false},
        {"flush fails", Call::Fsync, EIO, &kWriteFailed, false},
        {"rename fails", Call::Rename, EXDEV, &kWriteFailed, false},
        {"write fails in place", Call::Write, EIO, &kWriteFailed, true},
        {"truncate fails in place", Call::Ftruncate, EIO, &kWriteFailed, true},
        {"close fails in place", Call::Close, EIO, &kWriteFailed, true},
    };
    const std::string old = Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir.Path() / "link");
        dir.WriteStore(old);
        if (row.inPlace) {
            std::filesystem::create_hard_link(dir.Store(), dir.Path() / "link");
        }
        CFakeDialog fresh;
        CFailingOps failing;
        fresh.core.SetFileOps(failing);
        fresh.core.InitNumberState();
        failing.m_failing = row.call;
        failing.m_nErrno = row.err;
        fresh.surface.Type("123");
        fresh.core.OnSet();
        ASSERT_EQ(fresh.surface.m_messages.size(), 1u);
        EXPECT_EQ(fresh.surface.m_messages[0].first, *row.message);
        EXPECT_EQ(fresh.surface.m_messages[0].second, "error");
        EXPECT_EQ(FilesInDir(), row.inPlace ? 2u : 1u) << "the temporary file is removed";
        if (!row.inPlace) {
            EXPECT_EQ(dir.ReadStore(), old);
        }
        EXPECT_EQ(fresh.surface.m_strCaption, "before-no = 123");
        EXPECT_FALSE(fresh.surface.m_bSetEnabled);
    }
}

// Where a copy renamed over the file would change what the file is to its users (its links, its
// owner), or cannot be made at all, the save writes the file itself, as a plain program would.
TEST_F(StoreFileTest, SaveKeepsTheFilesIdentity)
{
    using Call = CFailingOps::Call;
    const bool bRoot = geteuid() == 0;
    struct Row {
        const char* name;
        bool needsRoot;
        Call call;
        bool twoLinks;
        bool foreignOwner;
        bool sameInode;
    };
    const Row rows[] = {
        {"directory takes no new file", false, Call::OpenTemp, false, false, true},
        {"second hard link", false, Call::None, true, false, true},
        {"owner the copy cannot take", true, Call::Fchown, false, true, true},
        {"owner the copy can take", true, Call::None, false, true, false},
        {"plain file is replaced whole", false, Call::None, false, false, false},
    };
    const std::string old = Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0});
    const std::string saved = Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0, 0, 0, 0, 0});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.needsRoot && !bRoot) {
            std::cout << "skipped as not root: " << row.name << "\n";
            continue;
        }
        std::filesystem::remove(dir.Path() / "link");
        dir.WriteStore(old);
        ASSERT_EQ(chmod(dir.Store().c_str(), 0640), 0);
        if (row.twoLinks) {
            std::filesystem::create_hard_link(dir.Store(), dir.Path() / "link");
        }
        if (row.foreignOwner) {
            ASSERT_EQ(chown(dir.Store().c_str(), 65534, 65534), 0);
        }
        struct stat before {};
        ASSERT_EQ(stat(dir.Store().c_str(), &before), 0);
        CFakeDialog fresh;
        CFailingOps failing;
        failing.m_failing = row.call;
        failing.m_nErrno = row.call == Call::Fchown ? EPERM : EACCES;
        fresh.core.SetFileOps(failing);
        fresh.core.InitNumberState();
        fresh.surface.Type("123");
        fresh.core.OnSet();
        EXPECT_TRUE(fresh.surface.m_messages.empty());
        EXPECT_EQ(dir.ReadStore(), saved);
        struct stat after {};
        ASSERT_EQ(stat(dir.Store().c_str(), &after), 0);
        EXPECT_EQ(after.st_ino == before.st_ino, row.sameInode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode & 07777, 0640u);
        EXPECT_EQ(after.st_nlink, before.st_nlink);
        EXPECT_EQ(FilesInDir(), row.twoLinks ? 2u : 1u) << "no temporary file is left";
    }
}

// A real process of an unprivileged user, with its file in a folder it may not write.
TEST(UnprivilegedSaveTest, WritableFileInAFolderTheUserCannotWrite)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to become the unprivileged user 65534";
    }
    CTempWorkDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    dir.WriteStore(Bytes({0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(chown(dir.Store().c_str(), 65534, 65534), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
            setresuid(65534, 65534, 65534) != 0) {
            _exit(2);
        }
        CFakeDialog dlg;
        dlg.core.InitNumberState();
        dlg.surface.Type("123");
        dlg.core.OnSet();
        _exit(dlg.surface.m_messages.empty() ? 0 : 1);
    }
    int nStatus = 0;
    ASSERT_EQ(waitpid(pid, &nStatus, 0), pid);
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), 0) << "1: the save showed a message; 2: could not drop root";
    EXPECT_EQ(dir.ReadStore(), Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0, 0, 0, 0, 0}));
}

TEST_F(StoreFileTest, MissingDirectoryAtSave)
{
    const auto sub = dir.Path() / "sub";
    std::filesystem::create_directory(sub);
    std::filesystem::current_path(sub);
    dlg.core.InitNumberState();
    std::filesystem::current_path(dir.Path());
    std::filesystem::remove(sub);
    dlg.surface.Type("123");
    dlg.core.OnSet();
    ASSERT_EQ(dlg.surface.m_messages.size(), 1u);
    EXPECT_EQ(dlg.surface.m_messages[0].first, kOpenFailed);
}

TEST_F(StoreFileTest, UnreadableWorkingDirectoryLoadsNothingAndRefusesToSave)
{
    const auto gone = dir.Path() / "gone";
    std::filesystem::create_directory(gone);
    std::filesystem::current_path(gone);
    std::filesystem::remove(gone);
    dlg.core.InitNumberState();
    EXPECT_EQ(g_strStorePath, "");
    dlg.surface.Type("123");
    dlg.core.OnSet();
    ASSERT_EQ(dlg.surface.m_messages.size(), 1u);
    EXPECT_EQ(dlg.surface.m_messages[0].first, kOpenFailed);
    std::filesystem::current_path(dir.Path());
    EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(StoreFileTest, SaveKeepsTheFilesPermissions)
{
    dir.WriteStore(Bytes({0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(chmod(dir.Store().c_str(), 0640), 0);
    StartAndSet42();
    struct stat st {};
    ASSERT_EQ(stat(dir.Store().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(StoreFileTest, LinkedFileStaysALink)
{
    const auto real = dir.Path() / "elsewhere.bin";
    std::ofstream(real, std::ios::binary) << Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0});
    std::filesystem::create_symlink("elsewhere.bin", dir.Store());
    StartAndSet42();
    EXPECT_TRUE(dlg.surface.m_messages.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Store()));
    EXPECT_EQ(dir.ReadStore(), Bytes({1, 0, 0, 0, 0x37, 0, 2, 0, 0, 0, 0x34, 0x32, 0}));
}

TEST_F(StoreFileTest, HandEditedFilesNeverHangTheDraw)
{
    struct Row {
        const char* name;
        std::string bytes;
        const char* entry;
    };
    const Row rows[] = {
        {"negative", Bytes({3, 0, 0, 0, '-', '1', '2', 0, 0, 0, 0, 0}), "-12"},
        {"letters", Bytes({3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0}), "000"},
        {"four digits in the three-digit record",
         Bytes({4, 0, 0, 0, '9', '9', '9', '9', 0, 0, 0, 0, 0}), "9999"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.WriteStore(row.bytes);
        CFakeDialog fresh;
        fresh.core.SetTickSource([] { return 1u; });
        fresh.core.InitNumberState();
        EXPECT_EQ(fresh.surface.m_strEntryText, row.entry);
        fresh.core.OnGet();
        ASSERT_EQ(fresh.surface.m_messages.size(), 1u);
        EXPECT_EQ(fresh.surface.m_messages[0].second, "number");
    }
}

} // namespace
