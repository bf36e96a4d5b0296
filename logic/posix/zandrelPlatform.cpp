// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The runtime and file calls on Linux and other POSIX systems.
#include "zandrelFileOps.h"
#include "zandrelRuntime.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

const char kPathSeparator = '/';

std::uint32_t SystemTickCount()
{
    timespec ts{};
    // CLOCK_BOOTTIME keeps counting through suspend, as the original tick count did.
    if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0) {
        clock_gettime(CLOCK_MONOTONIC, &ts);
    }
    const auto nMs = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                     static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(nMs);
}

std::string GetWorkingDirectory()
{
    std::error_code ec;
    std::string strPath = std::filesystem::current_path(ec).string();
    return ec ? std::string() : strPath;
}

CFileOps::Handle CSystemFileOps::Open(const std::string& strPath, Mode mode, OpenFailure& failure)
{
    // O_NONBLOCK: a FIFO planted under the file's name must not hang the program. No O_NOFOLLOW
    // and no resolving of links here: a link is followed exactly where the kernel follows it, so
    // its protections in shared folders hold.
    const int nFlags = mode == Mode::Read     ? O_RDONLY
                       : mode == Mode::Update ? O_RDWR
                                              : O_RDWR | O_CREAT | O_EXCL;
    int fd;
    do {
        fd = ::open(strPath.c_str(), nFlags | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        failure = errno == ENOENT   ? OpenFailure::Missing
                  : errno == EEXIST ? OpenFailure::Exists
                                    : OpenFailure::Refused;
    }
    return fd;
}

CFileOps::LockResult CSystemFileOps::TryLock(Handle h, Lock lock)
{
    const int nOperation = (lock == Lock::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    int nResult;
    do {
        nResult = ::flock(static_cast<int>(h), nOperation);
    } while (nResult != 0 && errno == EINTR);
    if (nResult == 0) {
        return LockResult::Held;
    }
    return errno == EWOULDBLOCK ? LockResult::Busy : LockResult::Unsupported;
}

bool CSystemFileOps::IsNamedBy(Handle h, const std::string& strPath)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(static_cast<int>(h), &open) == 0 && ::stat(strPath.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

long CSystemFileOps::ReadAt(Handle h, std::uint32_t nOffset, void* pBuf, std::size_t nCount)
{
    ssize_t n;
    do {
        n = ::pread(static_cast<int>(h), pBuf, nCount, static_cast<off_t>(nOffset));
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

long CSystemFileOps::WriteAt(Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount)
{
    ssize_t n;
    do {
        n = ::pwrite(static_cast<int>(h), pBuf, nCount, static_cast<off_t>(nOffset));
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

bool CSystemFileOps::Truncate(Handle h, std::uint32_t nLength)
{
    return ::ftruncate(static_cast<int>(h), static_cast<off_t>(nLength)) == 0;
}

bool CSystemFileOps::Flush(Handle h)
{
    return ::fsync(static_cast<int>(h)) == 0;
}

bool CSystemFileOps::Close(Handle h)
{
    // Not retried on EINTR: on Linux the descriptor is gone whatever close reports.
    return ::close(static_cast<int>(h)) == 0;
}

bool CSystemFileOps::Remove(const std::string& strPath)
{
    return ::unlink(strPath.c_str()) == 0;
}

void CSystemFileOps::Pause()
{
    const timespec ms{0, 1000000};
    ::nanosleep(&ms, nullptr);
}

CFileOps& SystemFileOps()
{
    static CSystemFileOps s_ops;
    return s_ops;
}
