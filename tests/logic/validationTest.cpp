// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "FakeSurface.h"

#include <gtest/gtest.h>

namespace {

struct ValidationRow {
    const char* name;
    int kind;
    std::string entry;
    std::string prev;
    std::string normAfter; // "=" keeps the value it had before ("before")
    bool setEnabled;
    bool result;
    const char* warning = nullptr; // the exchange's report of an entry over its limit
};

void PrintTo(const ValidationRow& row, std::ostream* os)
{
    *os << row.name;
}

class ValidationTest : public ::testing::TestWithParam<ValidationRow> {};

TEST_P(ValidationTest, NormalisesEnablesAndReports)
{
    const ValidationRow& row = GetParam();
    CFakeDialog dlg;
    dlg.core.m_strEntryNorm = "before";
    dlg.core.m_strPrevNo = row.prev;
    dlg.surface.m_nRadio = row.kind;
    dlg.surface.m_strEntryText = row.entry;
    dlg.surface.m_bSetEnabled = !row.setEnabled;

    EXPECT_EQ(dlg.core.ValidateEntry(), row.result);
    EXPECT_EQ(dlg.core.m_strEntryNorm, row.normAfter == "=" ? "before" : row.normAfter);
    EXPECT_EQ(dlg.surface.m_bSetEnabled, row.setEnabled);
    EXPECT_EQ(dlg.core.m_strEntry, row.entry) << "the controls are read first";
    EXPECT_EQ(dlg.surface.m_nEntryLimit, row.kind + 3);
    EXPECT_EQ(dlg.surface.m_warnings,
              row.warning ? std::vector<std::string>{row.warning} : std::vector<std::string>{});
}

const ValidationRow kRows[] = {
    {"empty", 1, "", "42", "=", false, true},
    {"too_short", 1, "12", "", "12", false, true},
    {"padded_new", 1, "0042", "", "42", true, true},
    {"padded_equal", 1, "0042", "42", "42", false, true},
    {"different", 1, "4321", "1234", "4321", true, true},
    {"zeros_new", 1, "0000", "", "0", true, true},
    {"zeros_equal", 1, "0000", "0", "0", false, true},
    {"short_zeros", 0, "00", "", "0", false, true},
    {"letter_inside", 1, "12a4", "", "=", false, false},
    {"full_width_digits", 1, "\xef\xbc\x91\xef\xbc\x92", "", "=", false, false,
     "The entry can hold no more than 4 characters."},
    {"three_digits_padded", 0, "007", "", "7", true, true},
    {"three_digits_too_long", 0, "1234", "", "123", false, true,
     "The entry can hold no more than 3 characters."},
    {"three_digits_too_long_zeros", 0, "0005", "", "0", false, true,
     "The entry can hold no more than 3 characters."},
    {"unpadded_four_is_short", 1, "42", "", "42", false, true},
    {"equal_after_stripping", 0, "042", "42", "42", false, true},
    {"inner_zeros_kept", 1, "1020", "", "1020", true, true},
    {"trailing_zeros_kept", 0, "100", "1", "100", true, true},
    {"non_digit_past_width_unseen", 0, "123x", "", "123", false, true,
     "The entry can hold no more than 3 characters."},
    {"leading_blank", 0, " 12", "", "=", false, false},
    {"minus_sign", 1, "-123", "", "=", false, false},
    {"control_character", 0,
     "1\x01"
     "2",
     "", "=", false, false},
    {"high_byte", 0,
     "\x80"
     "12",
     "", "=", false, false},
};

INSTANTIATE_TEST_SUITE_P(Entries, ValidationTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
