// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The entry's rules: its length limit in bytes, and when a registration may be made.
#include "zandrelEntry.h"

#include <algorithm>

namespace {

bool IsContinuation(char ch)
{
    return (static_cast<unsigned char>(ch) & 0xC0u) == 0x80u;
}

// Whether a character starts at nAt, or the text ends there.
bool AtCharacter(std::string_view text, std::size_t nAt)
{
    return nAt >= text.size() || !IsContinuation(text[nAt]);
}

} // namespace

CEntryEdit EditBetween(std::string_view before, std::string_view after)
{
    const std::size_t nShorter = std::min(before.size(), after.size());
    std::size_t nPrefix = 0;
    while (nPrefix < nShorter && before[nPrefix] == after[nPrefix]) {
        ++nPrefix;
    }
    while (nPrefix > 0 && !(AtCharacter(before, nPrefix) && AtCharacter(after, nPrefix))) {
        --nPrefix;
    }
    std::size_t nSuffix = 0;
    while (nSuffix < nShorter - nPrefix &&
           before[before.size() - 1 - nSuffix] == after[after.size() - 1 - nSuffix]) {
        ++nSuffix;
    }
    while (nSuffix > 0 && !(AtCharacter(before, before.size() - nSuffix) &&
                            AtCharacter(after, after.size() - nSuffix))) {
        --nSuffix;
    }
    return {nPrefix, before.size() - nSuffix,
            std::string(after.substr(nPrefix, after.size() - nSuffix - nPrefix))};
}

CLimitedEdit LimitEntryEdit(std::string_view text, const CEntryEdit& edit, std::size_t nLimit)
{
    const std::size_t nFrom = std::min(edit.m_nFrom, text.size());
    const std::size_t nTo = std::clamp(edit.m_nTo, nFrom, text.size());
    const std::size_t nKept = text.size() - (nTo - nFrom);
    const std::size_t nRoom = nLimit > nKept ? nLimit - nKept : 0;
    std::size_t nFits = std::min(nRoom, edit.m_strInserted.size());
    while (!AtCharacter(edit.m_strInserted, nFits)) {
        --nFits;
    }
    CLimitedEdit result;
    result.m_strText.reserve(nKept + nFits);
    result.m_strText.append(text.substr(0, nFrom));
    result.m_strText.append(edit.m_strInserted, 0, nFits);
    result.m_strText.append(text.substr(nTo));
    result.m_nCaret = nFrom + nFits;
    result.m_bCut = nFits < edit.m_strInserted.size();
    return result;
}
