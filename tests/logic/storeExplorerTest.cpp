// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The save proved over every state a crash can leave, and over every interleaving of two copies'
// saves with a failure at each step of one of them, rather than case by case.
#include "FakeSurface.h"
#include "MemoryVolume.h"
#include "zandrelRuntime.h"
#include "zandrelStore.h"
#include "zandrelTexts.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <limits>
#include <set>
#include <sstream>
#include <vector>

namespace {

const std::string kPath = "zandrel.ini";

bool LoadsAs(const std::string& bytes, const std::string& other)
{
    const CStoreRecords a = DecodeStore(bytes);
    const CStoreRecords b = DecodeStore(other);
    return a.m_str3 == b.m_str3 && a.m_str4 == b.m_str4;
}

// ---- Crash states ------------------------------------------------------------------------------

struct COp {
    enum Kind { Write, Truncate, Flush, FlushFolder } kind;
    std::uint32_t nAt = 0; // a write's offset, a cut's length
    std::string bytes;
};

// Records the steps that reach the disk. The nFailAt-th (from 1) write, cut or flush fails; a
// write fails as a full disk does: cut short, and no later write of that save gets anywhere.
class CRecordingOps : public CMemoryFileOps {
public:
    CRecordingOps(CMemoryVolume& volume, int nFailAt) : CMemoryFileOps(volume), m_nFailAt(nFailAt)
    {
    }
    std::vector<COp> m_ops;
    std::size_t m_nBeforeFailure = std::string::npos; // steps recorded before the failure

    long WriteAt(Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount) override
    {
        if (m_bDiskFull) {
            return -1;
        }
        if (Fails()) {
            m_bDiskFull = true;
            nCount /= 2;
        }
        m_ops.push_back({COp::Write, nOffset, std::string(static_cast<const char*>(pBuf), nCount)});
        return CMemoryFileOps::WriteAt(h, nOffset, pBuf, nCount);
    }
    bool Truncate(Handle h, std::uint32_t nLength) override
    {
        if (Fails()) {
            return false;
        }
        m_ops.push_back({COp::Truncate, nLength, {}});
        return CMemoryFileOps::Truncate(h, nLength);
    }
    bool Flush(Handle) override { return Record(COp::Flush); }
    bool FlushFolder(const std::string&) override { return Record(COp::FlushFolder); }

private:
    bool Fails()
    {
        if (++m_nCalls != m_nFailAt) {
            return false;
        }
        m_nBeforeFailure = m_ops.size();
        return true;
    }
    bool Record(COp::Kind kind)
    {
        if (Fails()) {
            return false;
        }
        m_ops.push_back({kind, 0, {}});
        return true;
    }
    int m_nFailAt;
    int m_nCalls = 0;
    bool m_bDiskFull = false;
};

void ApplyWrite(std::string& file, const COp& op, std::size_t nCount)
{
    file.resize(std::max<std::size_t>(file.size(), op.nAt + nCount));
    file.replace(op.nAt, nCount, op.bytes, 0, nCount);
}

// After the last flush, each later step reached the disk or did not, in order. A disk writes a
// sector whole, so a write within the length the file had at that flush lands whole or not at
// all; what lies past that length may be cut at any byte, as a length that did not reach the disk
// with the bytes cuts it.
void AfterTheFlush(const std::vector<COp>& ops, std::size_t i, std::size_t nEnd,
                   std::size_t nDurableLength, const std::string& file,
                   std::vector<std::string>& states)
{
    if (i == nEnd) {
        states.push_back(file);
        return;
    }
    AfterTheFlush(ops, i + 1, nEnd, nDurableLength, file, states);
    const COp& op = ops[i];
    if (op.kind == COp::FlushFolder) {
        return;
    }
    if (op.kind == COp::Truncate) {
        std::string cut = file;
        cut.resize(op.nAt, '\0');
        AfterTheFlush(ops, i + 1, nEnd, nDurableLength, cut, states);
        return;
    }
    const std::size_t nEndOfWrite = op.nAt + op.bytes.size();
    for (std::size_t nTo = std::clamp<std::size_t>(nDurableLength, op.nAt, nEndOfWrite);
         nTo <= nEndOfWrite; ++nTo) {
        std::string written = file;
        ApplyWrite(written, op, nTo - op.nAt);
        AfterTheFlush(ops, i + 1, nEnd, nDurableLength, written, states);
    }
}

// Every state a crash can leave: after every prefix of the steps, what the last flush made sure
// of, then each later step in or out.
std::vector<std::string> CrashStates(const std::string& initial, const std::vector<COp>& ops)
{
    std::vector<std::string> states;
    for (std::size_t nDone = 0; nDone <= ops.size(); ++nDone) {
        std::string durable = initial;
        std::size_t nFlushed = 0;
        for (std::size_t i = 0; i < nDone; ++i) {
            if (ops[i].kind == COp::Flush || ops[i].kind == COp::FlushFolder) {
                nFlushed = i + 1;
            }
        }
        for (std::size_t i = 0; i < nFlushed; ++i) {
            if (ops[i].kind == COp::Write) {
                ApplyWrite(durable, ops[i], ops[i].bytes.size());
            } else if (ops[i].kind == COp::Truncate) {
                durable.resize(ops[i].nAt, '\0');
            }
        }
        AfterTheFlush(ops, nFlushed, nDone, durable.size(), durable, states);
    }
    return states;
}

// Every save from each content to each, failing at each of its writes, cuts and flushes in turn,
// a failed grow among them: a crash at any moment before a failure leaves a file that loads as
// the old numbers or the new ones, and the file the save leaves is what it reports. A file the
// save created keeps its name once the save is done; a crash before then may lose it, which loads
// as the old, empty, numbers.
TEST(StoreExplorerTest, EveryCrashStateLoadsAsTheOldNumbersOrTheNew)
{
    // Shrinking, the same length, growing and empty kinds, each to each, and a first save (no
    // file, which loads as an empty one does).
    const std::pair<const char*, const char*> numbers[] = {
        {"", ""}, {"7", ""}, {"", "4567"}, {"123", "4567"}, {"7", "42"}, {"0", "9999"}};
    std::vector<std::optional<std::string>> contents = {std::nullopt};
    for (const auto& [str3, str4] : numbers) {
        contents.push_back(EncodeStore(str3, str4));
    }
    int nStates = 0;
    for (const auto& old : contents) {
        for (const auto& next : contents) {
            if (!next || next == old) {
                continue;
            }
            bool bFailed = true;
            for (int nFailAt = 0; bFailed; ++nFailAt) {
                SCOPED_TRACE(::testing::Message()
                             << "from " << ::testing::PrintToString(old.value_or("(none)"))
                             << " to " << ::testing::PrintToString(*next) << ", failing step "
                             << nFailAt);
                CMemoryVolume volume;
                if (old) {
                    volume.Put(kPath, *old);
                }
                CRecordingOps ops(volume, nFailAt);
                const StoreWriteResult result =
                    UpdateStoreFile(ops, kPath, [&](const std::string&) { return *next; });
                bFailed = ops.m_nBeforeFailure != std::string::npos;
                EXPECT_EQ(result == StoreWriteResult::Ok, !bFailed);
                bFailed = bFailed || nFailAt == 0;
                const std::string* pLeft = volume.Find(kPath);
                const std::string left = pLeft ? *pLeft : "";
                EXPECT_TRUE(LoadsAs(left, result == StoreWriteResult::Ok ? *next : left) &&
                            (LoadsAs(left, old.value_or("")) || LoadsAs(left, *next) ||
                             (result != StoreWriteResult::Ok && LoadsAs(left, ""))))
                    << "left " << ::testing::PrintToString(left);
                EXPECT_TRUE(pLeft != nullptr || (!old && result != StoreWriteResult::Ok))
                    << "only a file the save made, and whose save failed, goes";
                std::vector<COp> steps = ops.m_ops;
                steps.resize(std::min(steps.size(), ops.m_nBeforeFailure));
                const bool bNamed =
                    old || std::any_of(steps.begin(), steps.end(),
                                       [](const COp& op) { return op.kind == COp::FlushFolder; });
                std::vector<std::string> states = CrashStates(old.value_or(""), steps);
                if (!bNamed) {
                    states.emplace_back(); // the name never reached the disk
                }
                int nBad = 0;
                for (const std::string& state : states) {
                    ++nStates;
                    if (!LoadsAs(state, old.value_or("")) && !LoadsAs(state, *next) &&
                        ++nBad == 1) {
                        ADD_FAILURE() << "a crash can leave " << ::testing::PrintToString(state);
                    }
                }
                if (result == StoreWriteResult::Ok) {
                    EXPECT_TRUE(bNamed) << "done, but the new file's name may not survive";
                    EXPECT_TRUE(LoadsAs(CrashStates(old.value_or(""), steps).back(), *next));
                }
            }
        }
    }
    EXPECT_GT(nStates, 1000);
}

// ---- Two copies --------------------------------------------------------------------------------

// The two copies take turns on one thread, so that no step waits on the system's scheduler and a
// run costs the same on every machine: one copy, the outer, runs its actions call by call; the
// other's actions run whole, each where the explorer chooses: before any call of the outer
// through which the other could tell it apart (an open, a lock, a close, a removal, a pause), in
// any box the outer shows, or between its actions. While the outer holds the file's lock the
// other would only wait for it, so nothing runs there. Each copy is the outer once.

// One copy's calls on the shared volume. Once counting, the nFailAt-th (from 1) of its open,
// create, lock, read, write, cut, flush, close and removal calls fails; a write fails as a full
// disk does: cut short, and no later write of that save gets anywhere.
class CCopyOps : public CMemoryFileOps {
public:
    CCopyOps(CMemoryVolume& volume, int nFailAt) : CMemoryFileOps(volume), m_nFailAt(nFailAt) {}
    bool m_bCounting = false;
    int m_nCalls = 0;
    std::function<void()> m_fnBeforeStep; // where the other copy may act

    Handle Open(const std::string& strPath, Mode mode, OpenFailure& failure) override
    {
        Step();
        if (Fails()) {
            failure = OpenFailure::Refused;
            return kNoFile;
        }
        return CMemoryFileOps::Open(strPath, mode, failure);
    }
    LockResult TryLock(Handle h, Lock lock) override
    {
        Step();
        const LockResult result = Fails() ? LockResult::Busy : CMemoryFileOps::TryLock(h, lock);
        if (result == LockResult::Held) {
            m_locked.insert(h);
        }
        return result;
    }
    long ReadAt(Handle h, std::uint32_t nOffset, void* pBuf, std::size_t nCount) override
    {
        return Fails() ? -1 : CMemoryFileOps::ReadAt(h, nOffset, pBuf, nCount);
    }
    long WriteAt(Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount) override
    {
        if (m_bDiskFull) {
            return -1;
        }
        if (Fails()) {
            m_bDiskFull = true;
            nCount /= 2;
        }
        return CMemoryFileOps::WriteAt(h, nOffset, pBuf, nCount);
    }
    bool Truncate(Handle h, std::uint32_t nLength) override
    {
        return !Fails() && CMemoryFileOps::Truncate(h, nLength);
    }
    bool Flush(Handle) override { return !Fails(); }
    bool Close(Handle h) override
    {
        Step();
        m_bDiskFull = false;
        m_locked.erase(h);
        return CMemoryFileOps::Close(h) && !Fails();
    }
    bool Remove(Handle h, const std::string& strPath) override
    {
        Step();
        return !Fails() && CMemoryFileOps::Remove(h, strPath);
    }
    void Pause() override
    {
        CMemoryFileOps::Pause();
        Step();
    }

private:
    void Step()
    {
        if (m_fnBeforeStep && m_locked.empty()) {
            m_fnBeforeStep();
        }
    }
    bool Fails() { return m_bCounting && ++m_nCalls == m_nFailAt; }

    int m_nFailAt;
    bool m_bDiskFull = false;
    std::set<Handle> m_locked;
};

struct CAction {
    enum What { Start, Set, Close, Kill, Remove } what; // Remove: somebody removes the file
    int nKind = 0;
    const char* digits = "";
};

// A press of "set" that "set" took: the kind, the number, and the moments it was pressed and
// "set" returned.
struct CPress {
    int nCopy;
    int nKind;
    std::string strNo;
    int nAt = 0;
    int nEnd = 0;
    bool bSaved = false; // no box said otherwise
};

struct CScenario {
    const char* name;
    std::optional<std::pair<const char*, const char*>> initial;
    std::vector<CAction> actions[2];             // copy 0 is the one that fails
    CCloseAnswer answer = CCloseAnswer::Discard; // copy 0's, where its close box opens
};

// One run of a scenario: every press, the numbers each copy still kept as it ended (closed
// without saving, killed, or still open), and the file's bytes at the end (nothing: no file).
// nFailAt 0 fails nothing.
struct COutcome {
    std::vector<CPress> presses;
    std::vector<CPress> kept;
    std::optional<std::string> file;
    int nCallsOfFailingCopy = 0;
    // When somebody removed the file, and what the copies kept then.
    int nRemovedAt = std::numeric_limits<int>::max();
    std::vector<CPress> keptAtRemoval;
};

// Follows choices where it has them and takes the first way otherwise; counts says how many ways
// each choice had.
COutcome RunScenario(const CScenario& scenario, int nOuter, int nFailAt, std::vector<int>& choices,
                     std::vector<int>& counts)
{
    counts.clear();
    CMemoryVolume volume;
    CFakeDialog copies[2];
    CCopyOps ops[2] = {{volume, nFailAt}, {volume, 0}};
    // Where a start looks for the file.
    const std::string strPath =
        ops[0].WorkingDirectory() + kPathSeparator + zandrel::kStoreFileName;
    if (scenario.initial) {
        volume.Put(strPath, EncodeStore(scenario.initial->first, scenario.initial->second));
    }
    COutcome outcome;
    int nNow = 0;
    const auto noteKept = [&](int nCopy, std::vector<CPress>& kept) {
        for (const int nKind : {0, 1}) {
            if (copies[nCopy].core.IsKept(nKind)) {
                const CPrevBuffer& buffer =
                    nKind != 0 ? copies[nCopy].core.m_pszPrevNo4 : copies[nCopy].core.m_pszPrevNo3;
                kept.push_back({nCopy, nKind, std::string(buffer.View())});
            }
        }
    };
    for (int nCopy = 0; nCopy < 2; ++nCopy) {
        copies[nCopy].core.SetFileOps(ops[nCopy]);
        if (scenario.actions[nCopy].front().what != CAction::Start) {
            copies[nCopy].core.InitNumberState();
        }
        ops[nCopy].m_bCounting = true;
        // Closing without saving lets go of what was kept, by the user's choice.
        copies[nCopy].surface.m_fnAnswer = [&, nCopy] {
            if (scenario.answer == CCloseAnswer::Discard) {
                noteKept(nCopy, outcome.kept);
            }
            return scenario.answer;
        };
    }
    // Runs one action of a copy; true when the copy ended.
    const auto act = [&](int nCopy, const CAction& action) {
        CFakeDialog& copy = copies[nCopy];
        switch (action.what) {
        case CAction::Start:
            copy.core.InitNumberState();
            return false;
        case CAction::Close:
            copy.core.OnClose();
            return true;
        case CAction::Kill:
            noteKept(nCopy, outcome.kept);
            return true;
        case CAction::Remove:
            volume.names.erase(strPath);
            ++volume.nVersion;
            outcome.nRemovedAt = ++nNow;
            noteKept(0, outcome.keptAtRemoval);
            noteKept(1, outcome.keptAtRemoval);
            return false;
        case CAction::Set:
            break;
        }
        copy.surface.Click(action.nKind != 0 ? zandrel::IDC_KIND4 : zandrel::IDC_KIND3);
        copy.surface.Type(action.digits);
        const bool bTaken = copy.surface.m_bSetEnabled;
        const std::size_t nBoxes = copy.surface.m_messages.size();
        const int nAt = ++nNow;
        copy.surface.Click(zandrel::IDC_SET);
        if (bTaken) {
            outcome.presses.push_back({nCopy, action.nKind, copy.core.m_strPrevNo, nAt, ++nNow,
                                       copy.surface.m_messages.size() == nBoxes});
        }
        return false;
    };
    const int nInner = 1 - nOuter;
    std::size_t nInnerDone = 0;
    bool bInnerEnded = false;
    const auto innerActs = [&] {
        bInnerEnded = act(nInner, scenario.actions[nInner][nInnerDone++]) || bInnerEnded;
    };
    // A moment of the outer: the other copy's next actions may run here, one by one.
    const auto offer = [&] {
        while (nInnerDone < scenario.actions[nInner].size()) {
            const std::size_t nDepth = counts.size();
            if (nDepth == choices.size()) {
                choices.push_back(0);
            }
            counts.push_back(2);
            if (choices[nDepth] == 0) {
                return;
            }
            innerActs();
        }
    };
    CFakeSurface& outerSurface = copies[nOuter].surface;
    std::function<void()> fnInBox = [&] {
        outerSurface.m_fnWhileBox = fnInBox; // again at the next box
        offer();
    };
    outerSurface.m_fnWhileBox = fnInBox;
    ops[nOuter].m_fnBeforeStep = offer;
    bool bOuterEnded = false;
    for (const CAction& action : scenario.actions[nOuter]) {
        offer();
        bOuterEnded = act(nOuter, action) || bOuterEnded;
    }
    ops[nOuter].m_fnBeforeStep = nullptr;
    outerSurface.m_fnWhileBox = nullptr;
    while (nInnerDone < scenario.actions[nInner].size()) {
        innerActs();
    }
    // Still open, showing them kept.
    if (!bOuterEnded) {
        noteKept(nOuter, outcome.kept);
    }
    if (!bInnerEnded) {
        noteKept(nInner, outcome.kept);
    }
    if (const std::string* pBytes = volume.Find(strPath)) {
        outcome.file = *pBytes;
    }
    outcome.nCallsOfFailingCopy = ops[0].m_nCalls;
    return outcome;
}

// Empty when every press the user made is, at the end, in the file, superseded by a later press
// of that kind in either copy, or kept by a copy as that ended (a save that empties the file
// keeps the other copy's number too): for each kind, the number that stands is the one pressed
// last. Two presses at once, the one not done before the other began, may end either way. A
// number that was in the file when somebody removed it is gone with it; one kept then is not.
std::string Violation(const COutcome& outcome)
{
    const CStoreRecords held = DecodeStore(outcome.file.value_or(""));
    for (const CPress& press : outcome.presses) {
        const auto same = [&](const CPress& other) {
            return other.nKind == press.nKind && other.strNo == press.strNo;
        };
        if (press.nAt < outcome.nRemovedAt &&
            std::none_of(outcome.keptAtRemoval.begin(), outcome.keptAtRemoval.end(), same)) {
            continue;
        }
        if (press.bSaved && !outcome.file) {
            return "the file that " + press.strNo + " was saved in is gone";
        }
        const std::string& strHeld = held.Of(press.nKind);
        const auto later = [&](const CPress& other) {
            return other.nKind == press.nKind && &other != &press && other.nEnd > press.nAt;
        };
        if (strHeld != press.strNo &&
            std::none_of(outcome.presses.begin(), outcome.presses.end(), later) &&
            std::none_of(outcome.kept.begin(), outcome.kept.end(), same)) {
            return "copy " + std::to_string(press.nCopy) + " pressed " + press.strNo +
                   " last, the file holds \"" + strHeld + "\"";
        }
    }
    return {};
}

TEST(StoreExplorerTest, TwoCopiesNoPressGivesWayToAnEarlierOne)
{
    using A = CAction;
    const std::pair<const char*, const char*> file{"111", "4444"};
    const CScenario scenarios[] = {
        {"a kept number meets a newer one",
         file,
         {{{A::Set, 0, "222"}, {A::Set, 1, "5555"}, {A::Close}}, {{A::Set, 0, "333"}}}},
        {"the same, trying again at the close",
         file,
         {{{A::Set, 0, "222"}, {A::Close}}, {{A::Set, 0, "333"}}},
         CCloseAnswer::TryAgain},
        {"another copy registers the other kind twice, back to the same digits",
         file,
         {{{A::Set, 0, "222"}, {A::Close}}, {{A::Set, 1, "5555"}, {A::Set, 1, "4444"}}}},
        {"two first saves",
         std::nullopt,
         {{{A::Set, 0, "222"}, {A::Close}}, {{A::Set, 1, "2222"}}}},
        {"the other kind saved meanwhile",
         file,
         {{{A::Set, 0, "222"}, {A::Close}}, {{A::Set, 1, "2222"}}}},
        {"a copy started after a failed save",
         file,
         {{{A::Set, 0, "222"}, {A::Close}}, {{A::Start}, {A::Set, 0, "333"}}}},
        {"two first saves, the failing copy killed",
         std::nullopt,
         {{{A::Set, 0, "222"}, {A::Kill}}, {{A::Set, 1, "2222"}}}},
        {"the file removed, a copy started anew saves the other kind",
         file,
         {{{A::Set, 0, "222"}, {A::Close}}, {{A::Remove}, {A::Start}, {A::Set, 1, "5555"}}}},
        {"killed instead of closed",
         file,
         {{{A::Set, 0, "222"}, {A::Set, 1, "5555"}, {A::Kill}}, {{A::Set, 0, "333"}, {A::Kill}}}},
    };
    for (const CScenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        int nRuns = 0;
        int nViolations = 0;
        for (const int nOuter : {0, 1}) {
            bool bFailedSomewhere = true;
            for (int nFailAt = 0; bFailedSomewhere; ++nFailAt) {
                bFailedSomewhere = nFailAt == 0;
                std::vector<int> choices;
                std::vector<int> counts;
                for (;;) {
                    const COutcome outcome =
                        RunScenario(scenario, nOuter, nFailAt, choices, counts);
                    ++nRuns;
                    bFailedSomewhere = bFailedSomewhere || outcome.nCallsOfFailingCopy >= nFailAt;
                    const std::string strViolation = Violation(outcome);
                    if (!strViolation.empty() && ++nViolations <= 3) {
                        std::ostringstream order;
                        for (std::size_t i = 0; i < counts.size(); ++i) {
                            order << choices[i];
                        }
                        ADD_FAILURE()
                            << strViolation << " (copy " << nOuter << " outer, failing call "
                            << nFailAt << ", choices " << order.str() << ")";
                    }
                    // The next order: the last choice that has a way left takes it.
                    choices.resize(counts.size());
                    while (!choices.empty() && choices.back() + 1 >= counts[choices.size() - 1]) {
                        choices.pop_back();
                    }
                    if (choices.empty()) {
                        break;
                    }
                    ++choices.back();
                }
            }
        }
        EXPECT_EQ(nViolations, 0) << "in " << nRuns << " runs";
        std::cout << scenario.name << ": " << nRuns << " runs\n";
    }
}

} // namespace
