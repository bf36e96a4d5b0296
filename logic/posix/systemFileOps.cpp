// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The file calls on Linux and other POSIX systems.
#include "zandrelFileOps.h"
#include "zandrelRuntime.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CFileOps::OpenFailure OpenFailureOf(int nError, const std::string& strPath)
{
    using Failure = CFileOps::OpenFailure;
    switch (nError) {
    case ENOENT:
        return Failure::Missing;
    case EEXIST: {
        // A link to nowhere is taken both ways, missing to open and existing to create: it is no
        // file of ours, and it would keep a save trying until the wait ran out.
        struct stat target {};
        struct stat link {};
        const bool bDangling = ::stat(strPath.c_str(), &target) != 0 && errno == ENOENT &&
                               ::lstat(strPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
        return bDangling ? Failure::Refused : Failure::Exists;
    }
    // A lease (Samba's oplocks, an NFS server's delegation) refuses a non-blocking open while
    // its holder is asked to let go, which takes moments.
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return Failure::Busy;
    default:
        return Failure::Refused;
    }
}

} // namespace

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
        failure = OpenFailureOf(errno, strPath);
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

bool CSystemFileOps::FlushFolder(const std::string& strPath)
{
    const std::size_t nSlash = strPath.rfind('/');
    const std::string strFolder = nSlash == std::string::npos ? "." : strPath.substr(0, nSlash + 1);
    const int fd = ::open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool bFlushed = ::fsync(fd) == 0;
    ::close(fd);
    return bFlushed;
}

bool CSystemFileOps::Close(Handle h)
{
    // Not retried on EINTR: on Linux the descriptor is gone whatever close reports.
    return ::close(static_cast<int>(h)) == 0;
}

bool CSystemFileOps::Remove(Handle h, const std::string& strPath)
{
    // POSIX removes by name only: the look first keeps a file another program put in its place.
    return IsNamedBy(h, strPath) && ::unlink(strPath.c_str()) == 0;
}

std::uint32_t CSystemFileOps::Ticks()
{
    return SystemTickCount();
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
