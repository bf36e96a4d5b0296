// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

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
    virtual int Fchown(int fd, uid_t nUid, gid_t nGid);
    virtual int Ftruncate(int fd, off_t nLength);
    virtual int Flock(int fd, int nOperation);
    virtual int Close(int fd);
    virtual int Rename(const char* pszFrom, const char* pszTo);
    virtual int Unlink(const char* pszPath);
    virtual int Lstat(const char* pszPath, struct stat* pStat);
    // The names in a directory; empty when it cannot be read.
    virtual std::vector<std::string> ListDirectory(const char* pszDir);
};

CFileOps& PosixFileOps();

// Reads the file under an exclusive lock. Nothing when it cannot be opened or is locked by
// another process. At most nLimit bytes are read: a valid file is far smaller.
std::optional<std::string> ReadStoreFile(CFileOps& ops, const std::string& strPath,
                                         std::size_t nLimit = 64);

enum class StoreWriteResult { Ok, OpenFailed, WriteFailed };

// Writes bytes as the new content of the file, keeping what makes it the same file to its users:
// its owner, group, permission bits and hard links.
// - Where a fresh copy can carry all of that (the directory takes new files, the file has one
//   link, the copy can be given the old owner), the copy is written beside it and renamed over it,
//   so a crash or a full disk leaves either the old bytes or the new ones, never a mix.
// - Otherwise the file is rewritten in place, as a plain open-and-truncate would, so every save
//   that such a program could make still succeeds.
// OpenFailed when the file can be neither created nor opened for writing (missing directory,
// read-only file, locked by another process); WriteFailed when anything after that fails.
StoreWriteResult WriteStoreFile(CFileOps& ops, const std::string& strPath, std::string_view bytes);

// Removes the temporary copies that saves killed part-way left beside the file. A copy whose
// writer still runs is locked by it and is left alone.
void SweepStaleTemps(CFileOps& ops, const std::string& strPath);
