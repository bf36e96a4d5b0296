// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The program's own texts, UTF-8, shown the same by both front ends.
#pragma once

namespace zandrel {

inline constexpr const char* kCaptionPrefix = "before-no = ";
inline constexpr const char* kNumberCaption = "number";
inline constexpr const char* kErrorCaption = "error";
inline constexpr const char* kStoreFileName = "zandrel.ini";
inline constexpr const char* kOpenFailedText = "File, \"zandrel.ini\" could not be opened.";
inline constexpr const char* kWriteFailedText = "File, \"zandrel.ini\" could not be written.";
// Asked before the window closes with registrations that could not be saved; %1 lists them.
inline constexpr const char* kNotSavedText =
    "Not saved in \"zandrel.ini\": %1.\n"
    "Try again, close without saving, or Cancel to keep the window open.";
// The close box's three answers, with their keyboard mnemonics.
inline constexpr const char* kTryAgainButton = "&Try again";
inline constexpr const char* kDiscardButton = "Close &without saving";
inline constexpr const char* kStayButton = "&Cancel";
// The exchange's own report of an entry over its length; %1 is the limit.
inline constexpr const char* kEntryTooLongText = "The entry can hold no more than %1 characters.";

} // namespace zandrel
