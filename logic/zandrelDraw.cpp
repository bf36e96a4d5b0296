// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The draw behind "get": the generator, the "使用" search and the zero-padded text.
#include "zandrelDraw.h"

#include "zandrelRuntime.h"

CDrawResult DrawNumber(std::uint32_t nSeed, int nDigits, bool bSearch, int nPrev)
{
    CRand rng;
    rng.srand(nSeed);
    CDrawResult result;
    const bool bWalk = bSearch && nPrev >= 0 && nPrev <= CRand::kRandMax;
    int nLast = 0;
    bool bDone = false;
    // The text depends on the final value alone, so the walk only compares numbers and the text
    // is made once at the end.
    while (!bDone) {
        bDone = !bWalk || nLast == nPrev;
        nLast = rng.rand();
        ++result.m_nDraws;
    }
    result.m_nFinal = nLast;
    result.m_strText = ShownNumber(nLast, nDigits);
    return result;
}

std::string ShownNumber(int nFinal, int nDigits)
{
    const std::string strDecimal = std::to_string(nFinal);
    return FormatZeroPadded(Atoi(strDecimal.substr(0, static_cast<std::size_t>(nDigits))), nDigits);
}
