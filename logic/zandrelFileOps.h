// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The file calls behind one seam, so that tests can fail or replace any of them.
#pragma once

#include "zandrelRuntime.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The file calls the previous-number file needs, behind one seam: each platform implements them in
// its own file, and tests put a failing or in-memory layer in their place. Paths are UTF-8.
class CFileOps {
public:
    // A descriptor on POSIX, a HANDLE on Windows.
    using Handle = std::intptr_t;
    static constexpr Handle kNoFile = -1;

    enum class Mode {
        Read,   // an existing file, for reading
        Update, // an existing file, for reading and writing; never truncated by the open
        Create, // a new file, for reading and writing; fails where the name is taken
    };
    // Why an open failed.
    enum class OpenFailure {
        Missing, // no file of that name (Read, Update)
        Exists,  // the name is taken (Create)
        Busy,    // another program has the file open in a way that shuts this open out, for now
        Refused, // anything else: permissions, a missing folder, no room
    };
    enum class Lock { Shared, Exclusive };
    enum class LockResult {
        Held,
        Busy,        // another process holds a lock that excludes this one
        Unsupported, // the file system has no locks to give: go on without
    };

    virtual ~CFileOps() = default;

    // Never waits: kNoFile and the reason when the file cannot be opened now.
    // The folder a start looks for the file in: the working directory; empty when it cannot be
    // read.
    virtual std::string WorkingDirectory() = 0;
    virtual Handle Open(const std::string& strPath, Mode mode, OpenFailure& failure) = 0;
    // Never waits: the caller decides how long to try.
    virtual LockResult TryLock(Handle h, Lock lock) = 0;
    // Whether the path names the open file at this moment: false once the file has been replaced
    // under its name, renamed or removed.
    virtual bool IsNamedBy(Handle h, const std::string& strPath) = 0;
    // Positional reads and writes: the number of bytes moved, or -1.
    virtual long ReadAt(Handle h, std::uint32_t nOffset, void* pBuf, std::size_t nCount) = 0;
    virtual long WriteAt(Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount) = 0;
    virtual bool Truncate(Handle h, std::uint32_t nLength) = 0;
    // Down to the disk.
    virtual bool Flush(Handle h) = 0;
    // Down to the disk for the folder that holds strPath: a file just created there keeps its name.
    virtual bool FlushFolder(const std::string& strPath) = 0;
    // Releases the lock too. False when the platform reports a late write error.
    virtual bool Close(Handle h) = 0;
    // Removes the open file h, which the path named when it was opened, from its folder; never
    // a file another program has put in its place. The handle stays usable until it is closed.
    virtual bool Remove(Handle h, const std::string& strPath) = 0;
    // The clock the wait for another program is timed by, in milliseconds, wrapping, and the
    // pause between two tries.
    virtual std::uint32_t Ticks() = 0;
    virtual void Pause() = 0;

protected:
    CFileOps() = default;
    CFileOps(const CFileOps&) = default;
    CFileOps& operator=(const CFileOps&) = default;
};

// The platform's own file calls.
class CSystemFileOps : public CFileOps {
public:
    std::string WorkingDirectory() override { return GetWorkingDirectory(); }
    Handle Open(const std::string& strPath, Mode mode, OpenFailure& failure) override;
    LockResult TryLock(Handle h, Lock lock) override;
    bool IsNamedBy(Handle h, const std::string& strPath) override;
    long ReadAt(Handle h, std::uint32_t nOffset, void* pBuf, std::size_t nCount) override;
    long WriteAt(Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount) override;
    bool Truncate(Handle h, std::uint32_t nLength) override;
    bool Flush(Handle h) override;
    bool FlushFolder(const std::string& strPath) override;
    bool Close(Handle h) override;
    bool Remove(Handle h, const std::string& strPath) override;
    std::uint32_t Ticks() override;
    void Pause() override;
};

CFileOps& SystemFileOps();
