// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Stand-ins for the C runtime calls whose results users see: atoi, padding, the generator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Small stand-ins for the C runtime and system calls the program was first written against. Their
// results are part of what users see (the drawn numbers, the padded texts), so they must match
// the originals exactly rather than whatever this platform's library happens to do.

// The linear congruential generator of the original C runtime: 15-bit outputs, so that a given
// seed yields the same sequence as it always did. std::rand is no substitute: its range is wider
// here and its sequence differs.
class CRand {
public:
    static constexpr int kRandMax = 0x7FFF;

    void srand(std::uint32_t nSeed) { m_nState = nSeed; }
    int rand()
    {
        m_nState = m_nState * 214013u + 2531011u;
        return static_cast<int>((m_nState >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t m_nState = 1;
};

// atoi: optional blanks, optional sign, then digits up to the first non-digit. Saturates instead
// of overflowing.
int Atoi(std::string_view str);

// The "%03d" / "%04d" family: zero-pads to at least nWidth characters and never cuts.
std::string FormatZeroPadded(int n, int nWidth);

// The rest is the platform's, each in its own file.

// Milliseconds since system start, suspended time included, wrapping at 2^32: the draw's seed.
std::uint32_t SystemTickCount();

// The whole working directory in UTF-8, however long; empty when it cannot be read (for instance
// when it has been removed).
std::string GetWorkingDirectory();

// What joins a directory and a file name.
extern const char kPathSeparator;
