// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// zandrel.ini's bytes, and its reading and in-place writing under a lock, safe against crashes.
#pragma once

#include "zandrelFileOps.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The previous-number file: two records, three-digit kind first, each a 4-byte little-endian
// length followed, when not zero, by that many characters and a zero byte. No header.

// Longest text a record may hold; anything longer cannot come from a save and is refused.
inline constexpr std::size_t kMaxStoredDigits = 4;

struct CStoreRecords {
    std::string m_str3;
    std::string m_str4;

    // A kind's text: 0 three digits, any other four.
    const std::string& Of(int nKind) const { return nKind != 0 ? m_str4 : m_str3; }
};

std::string EncodeStore(std::string_view str3, std::string_view str4);

// A record that is cut short, lacks its terminator or is longer than kMaxStoredDigits is not
// taken, and neither is any record after it. A text is taken up to its first zero byte. Bytes
// after the second record are ignored: a save cut short leaves its new records followed by a
// tail of the old ones.
CStoreRecords DecodeStore(std::string_view bytes);

// How long a start or a save waits for a file or lock that another program holds: long enough for
// any save of another copy, or a scan by a virus checker, to finish; short enough that a file held
// for good is soon given up.
inline constexpr int kLockWaitMs = 2000;

// The file's records, read under a shared lock. Nothing when it cannot be opened or read, or stays
// busy with another program for longer than the wait.
std::optional<CStoreRecords> ReadStoreFile(CFileOps& ops, const std::string& strPath);

// The file's records as they stand, read without waiting for the file or locking it. Nothing when
// it cannot be opened or read, a missing file among them: what cannot be reached now may come
// back as it was.
std::optional<CStoreRecords> PeekStoreFile(CFileOps& ops, const std::string& strPath);

enum class StoreWriteResult {
    Ok,
    // Nothing read and nothing written: the file can be neither opened nor created, stays busy
    // with another program, or cannot be read.
    OpenFailed,
    // The write failed: the file loads as the old numbers, the new ones or none; pAfter says which.
    WriteFailed,
};

// Rewrites the file in place under an exclusive lock; fnCompose gets what the file holds at that
// moment and returns the new content.
// - The file written is the one the path names once the lock is held: one replaced or removed
//   while the save waited is opened again, within the same wait.
// - The file stays the same file: its links, owner, permissions and attributes are untouched.
// - The steps are ordered so that a crash at any moment leaves a file that loads as the old
//   numbers or the new ones.
// - A save that fails puts the old bytes back; where that fails, a file that loads as the old or
//   the new numbers is left as it is, and only one that loads as neither is emptied. A file that
//   this save created and found empty under the lock is removed again.
// - A file this save created keeps its name: its folder is flushed too before the save is done.
// - Once composed, pAfter gets the records the file holds at the end: those written where it
//   succeeds; where it fails, seen under the lock where it still holds it, and nothing where they
//   cannot be read.
using CStoreCompose = std::function<std::string(const std::string& current)>;
StoreWriteResult UpdateStoreFile(CFileOps& ops, const std::string& strPath,
                                 const CStoreCompose& fnCompose,
                                 std::optional<CStoreRecords>* pAfter = nullptr);
