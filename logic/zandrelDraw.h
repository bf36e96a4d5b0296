// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The draw behind "get": the generator, the "使用" search and the zero-padded text.
#pragma once

#include <cstdint>
#include <string>

struct CDrawResult {
    std::string m_strText; // what the user is shown, zero-padded to the kind's width
    int m_nFinal = 0;      // the random value the text was made from
    long m_nDraws = 0;     // how many values were drawn
};

// One press of "get". The generator is seeded with nSeed. With bSearch the sequence is walked
// until it yields nPrev and the value after it is taken (for nPrev 0 that is the first value, as
// the walk compares against a starting value of 0). nDigits is 3 or 4.
//
// The search runs only for nPrev in the generator's range 0..32767; for any other value, which
// only a hand-edited file can bring in, it would never end, so one value is drawn instead.
CDrawResult DrawNumber(std::uint32_t nSeed, int nDigits, bool bSearch, int nPrev);

// The number shown for a final random value: its leading nDigits decimal digits, zero-padded.
std::string ShownNumber(int nFinal, int nDigits);
