// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The save rule between copies sharing the previous-number file, and this copy's memory of it.
#include "zandrelNumberFile.h"

CSavePlan PlanSave(const CStoreRecords& held, const CKindTexts& mine, const CKeptMarks& kept,
                   int nFresh)
{
    CSavePlan plan;
    for (const int nKind : {0, 1}) {
        const std::string& strHeld = held.Of(nKind);
        plan.m_bOurs[nKind] = nKind == nFresh || strHeld.empty() ||
                              (kept[nKind].m_bKept && strHeld == kept[nKind].m_strNote);
        plan.m_strNumbers[nKind] = plan.m_bOurs[nKind] ? mine[nKind] : strHeld;
    }
    plan.m_strBytes = EncodeStore(plan.m_strNumbers[0], plan.m_strNumbers[1]);
    return plan;
}

std::optional<CStoreRecords> CNumberFile::Load(const std::string& strPath)
{
    m_kept = {};
    const std::optional<CStoreRecords> records = ReadStoreFile(*m_pOps, strPath);
    m_lastSeen = records.value_or(m_lastSeen);
    return records;
}

CNumberFile::CSaved CNumberFile::Save(const std::string& strPath, const CKindTexts& mine,
                                      int nFresh)
{
    std::optional<CSavePlan> plan;
    std::optional<CStoreRecords> after;
    const StoreWriteResult result = UpdateStoreFile(
        *m_pOps, strPath,
        [&](const std::string& current) {
            m_lastSeen = DecodeStore(current);
            plan = PlanSave(m_lastSeen, mine, m_kept, nFresh);
            return plan->m_strBytes;
        },
        &after);
    if (!plan) {
        // Nothing was read, so nothing decided: the press is kept as it stands.
        if (nFresh >= 0) {
            const std::optional<CStoreRecords> now = PeekStoreFile(*m_pOps, strPath);
            m_kept[nFresh] = {true, now.value_or(m_lastSeen).Of(nFresh)};
        }
        return {result, mine};
    }
    m_lastSeen = after.value_or(m_lastSeen);
    for (const int nKind : {0, 1}) {
        // A number the file does not hold, as far as can be seen, is this copy's to save: the
        // file's own among them where this save lost it. Unseen, only what this copy wrote.
        const std::string& strNumber = plan->m_strNumbers[nKind];
        m_kept[nKind] = {!strNumber.empty() &&
                             (after ? after->Of(nKind) != strNumber : plan->m_bOurs[nKind]),
                         m_lastSeen.Of(nKind)};
    }
    return {result, plan->m_strNumbers};
}
