// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The entry's rules: its length limit in bytes, and when a registration may be made.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The entry's length limit, as an edit box with a limit keeps it, in UTF-8 bytes, which is what
// the exchange counts. Both front ends ask this of every edit the user makes, so that a key or a
// paste ends the same everywhere.

// One edit: the bytes [m_nFrom, m_nTo) of the text replaced by m_strInserted.
struct CEntryEdit {
    std::size_t m_nFrom = 0;
    std::size_t m_nTo = 0;
    std::string m_strInserted;
};

// The edit that turned before into after: what lies between the parts it left alone at either
// end, on whole characters. A front end that learns of an edit only afterwards finds it so.
CEntryEdit EditBetween(std::string_view before, std::string_view after);

struct CLimitedEdit {
    std::string m_strText;
    std::size_t m_nCaret = 0; // in bytes, after what was inserted
    bool m_bCut = false;      // some of the insertion was left out: the front end beeps
};

// The text the entry keeps: what the edit removes goes, and of what it inserts as many whole
// characters as still fit in nLimit bytes. A text already over the limit (the program may set one)
// can be cut down, never grown.
CLimitedEdit LimitEntryEdit(std::string_view text, const CEntryEdit& edit, std::size_t nLimit);
