// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The previous-number file as one running copy sees it: what the copy last read or wrote, which
// registrations a failed save kept, and the rule for what each save writes beside other copies.
#pragma once

#include "zandrelStore.h"

#include <array>
#include <optional>
#include <string>

// Both kinds' texts, indexed by kind: 0 three digits, 1 four.
using CKindTexts = std::array<std::string, 2>;

// A registration a failed save kept, noted against the file's record of its kind at the press: it
// yields only to a record that differs from the note, another copy's later number.
struct CKeptMark {
    bool m_bKept = false;
    std::string m_strNote;
};
using CKeptMarks = std::array<CKeptMark, 2>;

struct CSavePlan {
    std::string m_strBytes;
    CKindTexts m_strNumbers;       // what stands once written
    std::array<bool, 2> m_bOurs{}; // the copy's own number went in, not the file's
};

// What a save writes, from the file's records, this copy's numbers and kept marks and the kind
// just registered (-1 none): the registered kind; a kept kind whose record is as noted; a kind
// whose record is empty (no save writes an empty record over a number: it was removed, emptied or
// cut short, or written by a copy that had none). Any other kind keeps the file's number.
CSavePlan PlanSave(const CStoreRecords& held, const CKindTexts& mine, const CKeptMarks& kept,
                   int nFresh);

class CNumberFile {
public:
    explicit CNumberFile(CFileOps& ops) : m_pOps(&ops) {}
    void SetFileOps(CFileOps& ops) { m_pOps = &ops; }
    std::string WorkingDirectory() const { return m_pOps->WorkingDirectory(); }

    // The numbers at the start; nothing where the file is missing or cannot be read.
    std::optional<CStoreRecords> Load(const std::string& strPath);

    struct CSaved {
        StoreWriteResult m_result;
        CKindTexts m_strNumbers; // what stands now, for the window to show
    };
    // A failed save keeps every number the file does not hold. Where nothing could be read, it
    // keeps the registered kind, noted against the file as it reads without waiting or, where it
    // cannot be read or reached, as this copy last read or wrote it.
    CSaved Save(const std::string& strPath, const CKindTexts& mine, int nFresh);

    bool IsKept(int nKind) const { return m_kept[Index(nKind)].m_bKept; }
    bool IsAnyKept() const { return IsKept(0) || IsKept(1); }
    void Forget() { m_kept = {}; }

private:
    static int Index(int nKind) { return nKind != 0 ? 1 : 0; }

    CFileOps* m_pOps;
    CStoreRecords m_lastSeen;
    CKeptMarks m_kept;
};
