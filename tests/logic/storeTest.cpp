// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "FakeSurface.h"
#include "TempDir.h"
#include "TestClockOps.h"
#include "zandrelNumberFile.h"
#include "zandrelStore.h"

#include <fstream>
#include <gtest/gtest.h>
#include <optional>

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
        {"new records over a longer old file",
         Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0, 0x34, 0x35, 0x36, 0x37, 0}), "7", ""},
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

// What a save writes, from what the file holds, this copy's numbers (111 and 4444, or 555 where
// numbers3 was pressed and kept), its kept mark on numbers3, and the kind registered.
TEST(SaveRuleTest, WhatASaveWrites)
{
    const CKeptMarks none;
    const CKeptMarks kept3{{{true, "111"}, {}}};
    const CKeptMarks keptNone{{{true, ""}, {}}};
    struct Row {
        const char* name;
        CStoreRecords held;
        CKindTexts mine;
        CKeptMarks kept;
        int nFresh;
        CKindTexts written;
    };
    const Row rows[] = {
        {"the kind set, the other's", {"111", "5555"}, {"222", "4444"}, none, 0, {"222", "5555"}},
        {"kept, as noted", {"111", "4444"}, {"555", "6666"}, kept3, 1, {"555", "6666"}},
        {"kept, another since", {"777", "4444"}, {"555", "6666"}, kept3, 1, {"777", "6666"}},
        {"kept against none, one since", {"777", ""}, {"555", ""}, keptNone, -1, {"777", ""}},
        {"an empty record: mine", {"", "5555"}, {"111", "6666"}, none, 1, {"111", "6666"}},
        {"an empty record: kept", {"", "5555"}, {"555", "4444"}, kept3, -1, {"555", "5555"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CSavePlan plan = PlanSave(row.held, row.mine, row.kept, row.nFresh);
        EXPECT_EQ(plan.m_strNumbers, row.written);
        EXPECT_EQ(plan.m_strBytes, EncodeStore(row.written[0], row.written[1]));
    }
}

// Fails one chosen file call; everything else goes to the system, its waits on the test's clock.
class CFailingOps : public CTestClockOps {
public:
    enum class Call {
        None,
        Open,
        Lock,         // another process holds the lock for good
        ReadOld,      // the file's current bytes cannot be read
        Write,        // nothing is written
        WriteShort,   // the disk fills after 6 bytes
        PutBackFails, // cut short after 6 bytes, and nothing more can be written
        Stuck,        // as PutBackFails, and nothing can be cut either
        PutBackShort, // written whole, the flush fails, the old bytes go back only in part
        SizeLimit,    // nothing can be written past 10 bytes, as under a file-size limit
        Truncate,     // once
        Flush,        // once
        Close,
        Gone, // out of reach: a link to nowhere, a folder whose mount went
    };
    Call m_failing = Call::None;

    Handle Open(const std::string& strPath, Mode mode, OpenFailure& failure) override
    {
        if (m_failing == Call::Open || m_failing == Call::Gone) {
            const bool bMissing = m_failing == Call::Gone && mode != Mode::Create;
            failure = bMissing ? OpenFailure::Missing : OpenFailure::Refused;
            return kNoFile;
        }
        return CSystemFileOps::Open(strPath, mode, failure);
    }
    LockResult TryLock(Handle h, Lock lock) override
    {
        return m_failing == Call::Lock ? LockResult::Busy : CSystemFileOps::TryLock(h, lock);
    }
    long ReadAt(Handle h, std::uint32_t nOffset, void* pBuf, std::size_t nCount) override
    {
        return m_failing == Call::ReadOld ? -1 : CSystemFileOps::ReadAt(h, nOffset, pBuf, nCount);
    }
    long WriteAt(Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount) override
    {
        ++m_nWrites;
        const bool bStuck = m_failing == Call::PutBackFails || m_failing == Call::Stuck;
        const bool bShort = m_failing == Call::WriteShort || bStuck;
        if (m_failing == Call::Write || (bStuck && m_nWrites > 1)) {
            return -1;
        }
        if (bShort && m_nWrites == 1) {
            nCount = std::min<std::size_t>(nCount, 6);
        }
        if (m_failing == Call::PutBackShort && m_nWrites == 2) {
            nCount = std::min<std::size_t>(nCount, 3);
        }
        if (m_failing == Call::SizeLimit) {
            nCount = std::min<std::size_t>(nCount, nOffset < kSizeLimit ? kSizeLimit - nOffset : 0);
        }
        return CSystemFileOps::WriteAt(h, nOffset, pBuf, nCount);
    }
    bool Truncate(Handle h, std::uint32_t nLength) override
    {
        const bool bFail = FailOnce(Call::Truncate) || m_failing == Call::Stuck ||
                           (m_failing == Call::SizeLimit && nLength > kSizeLimit);
        return !bFail && CSystemFileOps::Truncate(h, nLength);
    }
    bool Flush(Handle h) override
    {
        ++m_nFlushes;
        const bool bFail =
            FailOnce(Call::Flush) || (m_failing == Call::PutBackShort && m_nFlushes == 2);
        return !bFail && CSystemFileOps::Flush(h);
    }
    bool Close(Handle h) override { return CSystemFileOps::Close(h) && m_failing != Call::Close; }

private:
    bool FailOnce(Call call)
    {
        if (m_failing != call || m_bFailedOnce) {
            return false;
        }
        m_bFailedOnce = true;
        return true;
    }
    static constexpr std::size_t kSizeLimit = 10;
    int m_nWrites = 0;
    int m_nFlushes = 0;
    bool m_bFailedOnce = false;
};

// Another holder of the file's lock, with an open file description of its own, as another process
// would have; it lets go when told or when it goes.
class CLockHolder {
public:
    explicit CLockHolder(const std::filesystem::path& path)
    {
        auto failure = CFileOps::OpenFailure::Refused;
        m_h = m_ops.Open(Utf8(path), CFileOps::Mode::Update, failure);
        m_bHeld = m_ops.TryLock(m_h, CFileOps::Lock::Exclusive) == CFileOps::LockResult::Held;
    }
    CLockHolder(const CLockHolder&) = delete;
    CLockHolder& operator=(const CLockHolder&) = delete;
    ~CLockHolder() { Release(); }

    bool Held() const { return m_bHeld; }
    void Release()
    {
        if (m_h != CFileOps::kNoFile) {
            m_ops.Close(m_h);
            m_h = CFileOps::kNoFile;
        }
    }

private:
    CSystemFileOps m_ops;
    CFileOps::Handle m_h = CFileOps::kNoFile;
    bool m_bHeld = false;
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
    EXPECT_EQ(g_strStorePath, Utf8(dir.Store()));
    EXPECT_EQ(FilesInDir(), 1u) << "no other file is made";
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
        {"007 is stored as 7", "", 0, "007", Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0})},
        {"three digits keep the four-digit record",
         Bytes({1, 0, 0, 0, 0x37, 0, 4, 0, 0, 0, 0x34, 0x35, 0x36, 0x37, 0}), 0, "123",
         Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0, 4, 0, 0, 0, 0x34, 0x35, 0x36, 0x37, 0})},
        {"shorter content cuts the file",
         Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0, 4, 0, 0, 0, 0x34, 0x35, 0x36, 0x37, 0}), 1, "0042",
         Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0, 2, 0, 0, 0, 0x34, 0x32, 0})},
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
        EXPECT_EQ(fresh.surface.m_strEntryText, row.entry) << "shown at the kind's width";
        EXPECT_EQ(fresh.surface.m_strCaption, std::string("before-no = ") + row.entry);
        // A later start shows what this window did.
        CFakeDialog again;
        again.core.InitNumberState();
        for (const int nKind : {0, 1}) {
            EXPECT_EQ(again.surface.Shown(nKind), fresh.surface.Shown(nKind));
        }
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

TEST_F(StoreFileTest, FolderNamedInJapanese)
{
    const auto folder = dir.Path() / std::filesystem::path(u8"ざんどれる 番号");
    std::filesystem::create_directory(folder);
    std::filesystem::current_path(folder);
    dlg.core.InitNumberState();
    dlg.surface.Type("123");
    dlg.core.OnSet();
    EXPECT_TRUE(dlg.surface.m_messages.empty());
    CFakeDialog fresh;
    fresh.core.InitNumberState();
    EXPECT_EQ(fresh.surface.m_strCaption, "before-no = 123");
}

// Every failure says which, and the file loads afterwards as the old numbers or, where nothing of
// them could be put back, as none: never as a number nobody registered. A file that a failed first
// save made goes again.
TEST_F(StoreFileTest, FailuresSayWhichAndLeaveTheOldNumbersOrNone)
{
    using Call = CFailingOps::Call;
    const std::string old = Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0});
    const std::string oldWithRoom = old + Bytes({0, 0}); // made room for 123, which never came
    const std::string old17 =
        Bytes({3, 0, 0, 0, '7', '7', '7', 0, 4, 0, 0, 0, '5', '6', '7', '8', 0});
    const std::string saved = Bytes({3, 0, 0, 0, 0x31, 0x32, 0x33, 0, 0, 0, 0, 0});
    const std::optional<std::string> none;
    struct Row {
        const char* name;
        Call call;
        const std::string* message;
        std::optional<std::string> before, after; // nothing: no file
    };
    const Row rows[] = {
        {"file cannot be opened", Call::Open, &kOpenFailed, old, old},
        {"locked by another process for good", Call::Lock, &kOpenFailed, old, old},
        {"write fails", Call::Write, &kWriteFailed, old, oldWithRoom},
        {"disk full after 6 bytes", Call::WriteShort, &kWriteFailed, old, old},
        {"cut short, cannot be put back", Call::PutBackFails, &kWriteFailed, old, ""},
        {"old bytes unreadable: nothing written", Call::ReadOld, &kOpenFailed, old, old},
        {"flush fails, put back only in part", Call::PutBackShort, &kWriteFailed, old, ""},
        {"size limit: growth refused", Call::SizeLimit, &kWriteFailed, old, old},
        {"size limit: cut, put back in part, yet the old bytes", Call::SizeLimit, &kWriteFailed,
         old17, old17},
        {"cut short, neither put back nor emptied: the mix stays, said", Call::Stuck, &kWriteFailed,
         old17, EncodeStore("127", "5678")},
        {"truncate fails", Call::Truncate, &kWriteFailed, old, old},
        {"flush fails", Call::Flush, &kWriteFailed, old, old},
        {"close reports a late error", Call::Close, &kWriteFailed, old, saved},
        {"first save, write fails", Call::Write, &kWriteFailed, none, none},
        {"first save, disk full after 6 bytes", Call::WriteShort, &kWriteFailed, none, none},
        {"first save, flush fails", Call::Flush, &kWriteFailed, none, none},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir.Store());
        if (row.before) {
            dir.WriteStore(*row.before);
        }
        CFakeDialog fresh;
        CFailingOps failing;
        fresh.core.SetFileOps(failing);
        fresh.core.InitNumberState();
        failing.m_failing = row.call;
        fresh.surface.Type("123");
        fresh.core.OnSet();
        ASSERT_EQ(fresh.surface.m_messages.size(), 1u);
        EXPECT_EQ(fresh.surface.m_messages[0].first, *row.message);
        EXPECT_EQ(fresh.surface.m_messages[0].second, "error");
        EXPECT_EQ(dir.StoreExists(), row.after.has_value());
        EXPECT_EQ(dir.ReadStore(), row.after.value_or(""));
        EXPECT_EQ(FilesInDir(), row.after ? 1u : 0u);
        EXPECT_EQ(fresh.surface.m_strCaption, "before-no = 123");
        // Kept, the same digits may be set again; a number the file holds is not kept.
        EXPECT_EQ(fresh.surface.m_bSetEnabled, row.after != saved);
    }
}

// A number kept from a failed press is saved at the next save, of either kind, unless the file
// got another number for that kind since the press: that number then stands. The press is noted
// against the file's record, or, where the file cannot be read at all, against what the copy last
// read or wrote. Copy 0 presses 555 beside copy 1; then copy 0 closes, then copy 1.
TEST_F(StoreFileTest, AKeptNumberYieldsOnlyToAnotherNumberOfItsKind)
{
    using Call = CFailingOps::Call;
    struct Press {
        int nCopy;
        int nKind;
        const char* digits;        // none: the file is removed and the copy starts again
        Call failing = Call::None; // Lock: another program holds it; Open: nobody can read it
    };
    struct Row {
        const char* name;
        std::vector<Press> presses;
        std::string after;
        Call closing = Call::None; // copy 0's close; failing, the user stays
    };
    const Press kept{0, 0, "555", Call::Lock};
    const Press unreadable{0, 0, "555", Call::Open};
    const Press gone{0, 0, "555", Call::Gone};
    const Press anew{1, 0, nullptr};
    const Press set5555{1, 1, "5555"};
    const Press set6666{0, 1, "6666"};
    const Row rows[] = {
        {"nothing between", {kept}, EncodeStore("555", "4444")},
        {"saved by pressing set again", {kept, {0, 0, "555"}}, EncodeStore("555", "4444")},
        {"unreadable, after its own save", {{0, 0, "222"}, unreadable}, EncodeStore("555", "4444")},
        {"another copy sets 777 after", {kept, {1, 0, "777"}}, EncodeStore("777", "4444")},
        {"another copy set 777 before", {{1, 0, "777"}, kept}, EncodeStore("555", "4444")},
        {"another copy sets 5555, then 4444 again",
         {kept, {1, 1, "5555"}, {1, 1, "4444"}},
         EncodeStore("555", "4444")},
        // The file's record is as noted: the same digits brought back cannot be told.
        {"another copy sets 777, then 111 again",
         {kept, {1, 0, "777"}, {1, 0, "111"}},
         EncodeStore("555", "4444")},
        {"out of reach, back as it was", {gone, set6666}, EncodeStore("555", "6666")},
        // A record that holds no number gives this copy's own back.
        {"removed, another anew: 5555, 6666", {anew, set5555, set6666}, EncodeStore("111", "6666")},
        {"removed, another anew: 5555, close", {kept, anew, set5555}, EncodeStore("555", "5555")},
        {"nobody could read it, another copy sets 777 after",
         {unreadable, {1, 0, "777"}},
         EncodeStore("777", "4444")},
        // What this copy last saw stands in: a number saved before the press counts as later.
        {"nobody could read it, another copy set 222 before",
         {{1, 0, "222"}, unreadable},
         EncodeStore("222", "4444")},
        {"pressed again, failing again: a new note",
         {kept, {1, 0, "777"}, {0, 0, "666", Call::Lock}},
         EncodeStore("666", "4444")},
        // Two presses neither copy could write: the first to be saved stands.
        {"both copies' presses fail",
         {kept, {1, 0, "777", Call::Lock}},
         EncodeStore("555", "4444")},
        {"another copy sets 777 after, the close fails on the other kind",
         {{0, 1, "5555", Call::Lock}, kept, {1, 0, "777"}},
         EncodeStore("777", "4444"),
         Call::Write},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.WriteStore(EncodeStore("111", "4444"));
        CFakeDialog copies[2];
        CFailingOps ops[2];
        for (int nCopy : {0, 1}) {
            copies[nCopy].core.SetFileOps(ops[nCopy]);
            copies[nCopy].core.InitNumberState();
        }
        for (const Press& press : row.presses) {
            CFakeDialog& copy = copies[press.nCopy];
            if (press.digits == nullptr) {
                std::filesystem::remove(dir.Store());
                copy.core.InitNumberState();
                continue;
            }
            ops[press.nCopy].m_failing = press.failing;
            copy.surface.Click(press.nKind != 0 ? zandrel::IDC_KIND4 : zandrel::IDC_KIND3);
            copy.surface.Type(press.digits);
            const std::size_t nBoxes = copy.surface.m_messages.size();
            copy.surface.Click(zandrel::IDC_SET);
            EXPECT_EQ(copy.surface.m_messages.size() - nBoxes,
                      press.failing == Call::None ? 0u : 1u);
            ops[press.nCopy].m_failing = Call::None;
        }
        ops[0].m_failing = row.closing;
        for (int nCopy : {0, 1}) {
            copies[nCopy].surface.Click(zandrel::IDCANCEL);
            const bool bStays = nCopy == 0 && row.closing != Call::None;
            EXPECT_EQ(copies[nCopy].surface.m_nEndDialogs, bStays ? 0 : 1);
            EXPECT_EQ(copies[nCopy].surface.m_questions.size(), bStays ? 1u : 0u);
        }
        EXPECT_EQ(dir.ReadStore(), row.after);
        // The window shows what stands.
        const CStoreRecords stands = DecodeStore(row.after);
        EXPECT_EQ(copies[0].surface.m_strCaption,
                  "before-no = " + stands.Of(copies[0].surface.m_nRadio));
        EXPECT_EQ(copies[0].surface.Shown(0), stands.m_str3);
    }
}

// A number kept from a failed save meets a close request or an end request, whatever box is open
// when it comes: one more try; closing, the user's word while that fails; ending, no box at all.
TEST_F(StoreFileTest, KeptRegistrationsAtCloseAndEnd)
{
    using Call = CFailingOps::Call;
    using enum CCloseAnswer;
    const std::string old = EncodeStore("777", "5678");
    const std::string saved = EncodeStore("123", "5678");
    const std::vector<std::string> ask3 = {
        "Not saved in \"zandrel.ini\": numbers3 123.\n"
        "Try again, close without saving, or Cancel to keep the window open."};
    const std::vector<std::string> askBoth = {
        "Not saved in \"zandrel.ini\": numbers3 123, numbers4 5678.\n"
        "Try again, close without saving, or Cancel to keep the window open."};
    enum Request { Close, Cancel, End, EndTwice };
    enum Open { NoBox, CloseBox, ErrorBox, VersionBox };
    struct Row {
        const char* name;
        Call keptBy;  // None: nothing kept
        bool bHealed; // the file can be written again by the time the request comes
        Open open;    // the box open when it comes
        Request request;
        CCloseAnswer answer; // to the close box; TryAgain makes the file writable first
        std::vector<std::string> questions;
        int ended;                     // runs ended by the window's close
        std::optional<int> exitStatus; // the program ended
        std::string after;
    };
    const std::vector<std::string> none;
    const std::optional<int> live;
    const Row rows[] = {
        {"nothing kept: no save, no box", Call::None, false, NoBox, Close, Stay, none, 1, live,
         old},
        {"kept: saved at the close", Call::Open, true, NoBox, Close, Stay, none, 1, live, saved},
        {"still failing: closed without it", Call::Open, false, NoBox, Close, Discard, ask3, 1,
         live, old},
        {"still failing: try again saves it", Call::Open, false, NoBox, Close, TryAgain, ask3, 1,
         live, saved},
        {"still failing: Cancel keeps the window", Call::Open, false, NoBox, Cancel, Stay, ask3, 0,
         live, old},
        {"emptied: both kinds saved at the close", Call::PutBackFails, true, NoBox, Close, Stay,
         none, 1, live, saved},
        {"emptied, still failing: the box names both", Call::PutBackFails, false, NoBox, Close,
         Discard, askBoth, 1, live, ""},
        {"a second close while the close box is open opens no other", Call::Open, false, CloseBox,
         Close, Stay, ask3, 0, live, old},
        {"a close while the error box is open waits for it", Call::Open, true, ErrorBox, Close,
         Stay, none, 0, live, old},
        {"a close while the version box is open waits for it", Call::Open, true, VersionBox, Close,
         Stay, none, 0, live, old},
        {"an end request saves once, no box", Call::Open, true, NoBox, End, Stay, none, 0, 0,
         saved},
        {"an end request that cannot save says so in its status", Call::Open, false, NoBox, End,
         Stay, none, 0, 1, old},
        {"an end request with the close box open", Call::Open, true, CloseBox, End, Stay, ask3, 0,
         0, saved},
        {"an end request with the error box open", Call::Open, true, ErrorBox, End, Stay, none, 0,
         0, saved},
        {"an end request with the version box open", Call::Open, false, VersionBox, End, Stay, none,
         0, 1, old},
        {"a second end request changes nothing", Call::Open, true, CloseBox, EndTwice, Stay, ask3,
         0, 0, saved},
    };
    // "end" and Escape take the close box's path: while a box is open, each row holds for both.
    std::vector<Row> requests(std::begin(rows), std::end(rows));
    for (const Row& row : rows) {
        if (row.request == Close && row.open != NoBox) {
            requests.push_back(row);
            requests.back().request = Cancel;
        }
    }
    for (const Row& row : requests) {
        SCOPED_TRACE(std::string(row.name) + (row.request == Cancel ? " (\"end\")" : ""));
        dir.WriteStore(old);
        CFakeDialog copy;
        CFailingOps failing;
        CFailingOps healthy;
        copy.core.SetFileOps(failing);
        copy.core.InitNumberState();
        if (row.keptBy != Call::None) {
            failing.m_failing = row.keptBy;
            copy.surface.Type("123");
            copy.surface.Click(zandrel::IDC_SET);
            ASSERT_EQ(copy.surface.m_messages.size(), 1u);
        }
        failing.m_failing = Call::Open;
        copy.surface.m_fnAnswer = [&] {
            if (row.answer == TryAgain) {
                copy.core.SetFileOps(healthy);
            }
            return row.answer;
        };
        const auto request = [&] {
            if (row.bHealed) {
                copy.core.SetFileOps(healthy);
            }
            if (row.request == Close) {
                copy.core.OnClose();
            } else if (row.request == Cancel) {
                copy.surface.Click(zandrel::IDCANCEL);
            } else {
                copy.core.OnEndRequest();
                if (row.request == EndTwice) {
                    copy.core.OnEndRequest();
                }
            }
        };
        if (row.open == NoBox) {
            request();
        } else {
            copy.surface.m_fnWhileBox = request;
            if (row.open == CloseBox) {
                copy.core.OnClose();
            } else if (row.open == ErrorBox) {
                copy.surface.Click(zandrel::IDC_SET); // the same digits, to try again
            } else {
                copy.core.OnSysCommand(zandrel::IDM_ABOUTBOX);
            }
        }
        std::vector<std::string> asked;
        for (const auto& [text, caption] : copy.surface.m_questions) {
            asked.push_back(text);
            EXPECT_EQ(caption, "error");
        }
        EXPECT_EQ(asked, row.questions);
        EXPECT_EQ(copy.surface.m_nEndDialogs, row.ended);
        EXPECT_EQ(copy.surface.m_nExitStatus, row.exitStatus);
        EXPECT_EQ(dir.ReadStore(), row.after);
        if (row.exitStatus) {
            // Ending: nothing more is asked, whatever the user then does.
            copy.surface.m_questions.clear();
            copy.core.OnClose();
            EXPECT_TRUE(copy.surface.m_questions.empty());
            EXPECT_EQ(copy.surface.m_nEndDialogs, 0);
        }
    }
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

// Two copies open in one folder: each save changes only the kind it registers, and takes what
// the other copy saved for the other kind.
// Another holder of the lock, here a second open of the file: a start waits for it within
// bounds, and a number it could not read is not written over later.
TEST_F(StoreFileTest, BusyFileAtStart)
{
    const std::string held =
        Bytes({3, 0, 0, 0, '4', '5', '6', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0});
    struct Row {
        const char* name;
        bool bReleased; // at the start's first pause; else only after it has given up
        const char* loaded3;
    };
    const Row rows[] = {
        {"released within the wait", true, "456"},
        {"held past the wait", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.WriteStore(held);
        CLockHolder holder(dir.Store());
        ASSERT_TRUE(holder.Held());
        CFakeDialog late;
        CFailingOps waiting;
        late.core.SetFileOps(waiting);
        if (row.bReleased) {
            waiting.m_fnOnPause = [&] { holder.Release(); };
        }
        late.core.InitNumberState();
        EXPECT_EQ(waiting.Ticks() >= static_cast<std::uint32_t>(kLockWaitMs), !row.bReleased);
        holder.Release();
        EXPECT_EQ(late.surface.Shown(0), row.loaded3);
        EXPECT_TRUE(late.surface.m_messages.empty());
        late.surface.Type("556");
        late.core.OnSet();
        EXPECT_EQ(dir.ReadStore(),
                  Bytes({3, 0, 0, 0, '5', '5', '6', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0}));
        EXPECT_EQ(late.surface.Shown(1), "1111");
    }
}

// While a start or a save waits for another holder of the lock, the file is replaced under its
// name (as editors and sync tools do) or removed: what is read or written is the file the name
// holds then.
TEST_F(StoreFileTest, FileReplacedWhileWaiting)
{
    const std::string started =
        Bytes({3, 0, 0, 0, '4', '5', '6', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0});
    const std::string replacement =
        Bytes({3, 0, 0, 0, '9', '9', '9', 0, 4, 0, 0, 0, '2', '2', '2', '2', 0});
    struct Row {
        const char* name;
        bool bRemove;  // else replaced
        bool bAtStart; // else at "set" 556
        std::string after;
        const char* loaded4;
    };
    const Row rows[] = {
        {"replaced at set", false, false,
         Bytes({3, 0, 0, 0, '5', '5', '6', 0, 4, 0, 0, 0, '2', '2', '2', '2', 0}), "2222"},
        {"removed at set", true, false,
         Bytes({3, 0, 0, 0, '5', '5', '6', 0, 4, 0, 0, 0, '1', '1', '1', '1', 0}), "1111"},
        {"replaced at start", false, true, replacement, "2222"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.WriteStore(started);
        CFakeDialog copy;
        CFailingOps waiting;
        copy.core.SetFileOps(waiting);
        if (!row.bAtStart) {
            copy.core.InitNumberState();
        }
        CLockHolder holder(dir.Store());
        ASSERT_TRUE(holder.Held());
        // Windows refuses to remove or replace a file that zandrel holds: there such rows test
        // only that the save goes on.
        std::error_code replaced;
        bool bRemovedStillNamed = false;
        waiting.m_fnOnPause = [&] {
            if (row.bRemove) {
                std::filesystem::remove(dir.Store(), replaced);
                bRemovedStillNamed = std::filesystem::exists(dir.Store());
            } else {
                std::ofstream(dir.Path() / "new", std::ios::binary) << replacement;
                std::filesystem::rename(dir.Path() / "new", dir.Store(), replaced);
            }
            holder.Release();
        };
        if (row.bAtStart) {
            copy.core.InitNumberState();
        } else {
            copy.surface.Type("556");
            copy.core.OnSet();
        }
        EXPECT_TRUE(copy.surface.m_messages.empty());
        if (replaced || bRemovedStillNamed) {
            continue;
        }
        EXPECT_EQ(dir.ReadStore(), row.after);
        EXPECT_EQ(copy.surface.Shown(1), row.loaded4);
    }
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
