// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "FakeSurface.h"
#include "zandrelEntry.h"

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

namespace {

// Every edit as a front end learns of it, the text before and after, cut to the limit.
TEST(EntryLimitTest, KeepsWhatFitsOfEachEdit)
{
    struct Row {
        const char* name;
        std::string before, after;
        std::size_t limit;
        std::string kept;
        std::size_t caret;
        bool cut;
    };
    const std::string longPaste(100000, '5');
    const Row rows[] = {
        {"typing within the limit", "12", "123", 3, "123", 3, false},
        {"typing past the limit is refused", "123", "1234", 3, "123", 3, true},
        {"typing in the middle", "13", "123", 3, "123", 2, false},
        {"a repeated digit", "11", "111", 3, "111", 3, false},
        {"a paste keeps what fits", "1", "198765", 3, "198", 3, true},
        {"a long paste", "", longPaste, 3, "555", 3, true},
        {"full-width digits over a selection", "12", "\uff11\uff12\uff13", 3, "\uff11", 3, true},
        {"a three-byte character beside a digit", "1", "1\uff11", 3, "1", 1, true},
        {"two-byte letters count twice", "", "\u00e9\u00e95", 4, "\u00e9\u00e9", 4, true},
        {"a four-byte character is never split", "1", "1\U0001F600", 4, "1", 1, true},
        {"a four-byte character that fits", "", "\U0001F600", 4, "\U0001F600", 4, false},
        {"deleting from a text over the limit", "1234", "123", 3, "123", 3, false},
        {"typing into a text over the limit", "1234", "12345", 3, "1234", 4, true},
        {"replacing in a text over the limit shrinks it", "1234", "9934", 3, "934", 1, true},
        // Characters that share their last or first byte: the edit is still whole characters.
        {"a character replaced by a longer one ending alike", "1\u00e9", "1\u20a9", 3, "1", 1,
         true},
        {"a character replaced by one starting alike", "\u00c3", "\u00e9", 1, "", 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CLimitedEdit result =
            LimitEntryEdit(row.before, EditBetween(row.before, row.after), row.limit);
        EXPECT_EQ(result.m_strText, row.kept);
        EXPECT_EQ(result.m_nCaret, row.caret);
        EXPECT_EQ(result.m_bCut, row.cut);
    }
}

} // namespace
