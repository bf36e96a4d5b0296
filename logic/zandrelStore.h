// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

// The previous-number file: two records, three-digit kind first, each a 4-byte little-endian
// length followed, when not zero, by that many characters and a zero byte. No header.

// Longest text a record may hold; anything longer cannot come from a save and is refused.
inline constexpr std::size_t kMaxStoredDigits = 4;

struct CStoreRecords {
    std::string m_str3;
    std::string m_str4;
};

std::string EncodeStore(std::string_view str3, std::string_view str4);

// A record that is cut short, lacks its terminator or is longer than kMaxStoredDigits is not
// taken, and neither is any record after it. A text is taken up to its first zero byte.
CStoreRecords DecodeStore(std::string_view bytes);

// The system calls the file layer makes, behind one seam so that tests can make any of them fail.
class CFileOps {
public:
    virtual ~CFileOps() = default;
    virtual int Open(const char* pszPath, int nFlags, mode_t nMode);
    virtual ssize_t Read(int fd, void* pBuf, std::size_t nCount);
    virtual ssize_t Write(int fd, const void* pBuf, std::size_t nCount);
    virtual int Fsync(int fd);
    virtual int Fstat(int fd, struct stat* pStat);
    virtual int Fchmod(int fd, mode_t nMode);
    virtual int Flock(int fd, int nOperation);
    virtual int Close(int fd);
    virtual int Rename(const char* pszFrom, const char* pszTo);
    virtual int Unlink(const char* pszPath);
};

CFileOps& PosixFileOps();

// Reads the file under an exclusive lock. Nothing when it cannot be opened or is locked by
// another process. At most nLimit bytes are read: a valid file is far smaller.
std::optional<std::string> ReadStoreFile(CFileOps& ops, const std::string& strPath,
                                         std::size_t nLimit = 64);

enum class StoreWriteResult { Ok, OpenFailed, WriteFailed };

// Replaces the file with bytes as one step: a crash or a full disk leaves either the old file or
// the new one, never a mix. OpenFailed when the file cannot be opened for writing (missing
// directory, read-only file, locked by another process); WriteFailed when anything after that
// fails, in which case the old file is left as it was.
StoreWriteResult WriteStoreFile(CFileOps& ops, const std::string& strPath, std::string_view bytes);
