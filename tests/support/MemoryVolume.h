// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include "zandrelFileOps.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

// Files in memory, as one folder of a POSIX file system behaves to the programs sharing it: names
// that lead to files, open handles that keep a file whose name went, and whole-file locks.
class CMemoryVolume {
public:
    struct File {
        std::string bytes;
        CFileOps::Handle exclusive = CFileOps::kNoFile;
        int nShared = 0;
    };
    struct Open {
        int nFile;
        bool bShared = false;
        bool bExclusive = false;
    };

    std::map<std::string, int> m_names;
    std::map<int, File> m_files;
    std::map<CFileOps::Handle, Open> m_handles;
    // Goes up whenever a name or a lock is let go or taken anew: what a waiting program waits on.
    int m_nVersion = 0;

    void Put(const std::string& strPath, const std::string& bytes)
    {
        m_names[strPath] = m_nNextFile;
        m_files[m_nNextFile++].bytes = bytes;
    }
    const std::string* Find(const std::string& strPath) const
    {
        const auto it = m_names.find(strPath);
        return it == m_names.end() ? nullptr : &m_files.at(it->second).bytes;
    }

    CFileOps::Handle Open(const std::string& strPath, CFileOps::Mode mode,
                          CFileOps::OpenFailure& failure)
    {
        const auto it = m_names.find(strPath);
        if (mode == CFileOps::Mode::Create) {
            if (it != m_names.end()) {
                failure = CFileOps::OpenFailure::Exists;
                return CFileOps::kNoFile;
            }
            Put(strPath, {});
            ++m_nVersion;
        } else if (it == m_names.end()) {
            failure = CFileOps::OpenFailure::Missing;
            return CFileOps::kNoFile;
        }
        const CFileOps::Handle h = m_nNextHandle++;
        m_handles[h] = {m_names.at(strPath)};
        return h;
    }
    CFileOps::LockResult TryLock(CFileOps::Handle h, CFileOps::Lock lock)
    {
        struct Open& open = m_handles.at(h);
        File& file = m_files.at(open.nFile);
        const bool bOthersShared = file.nShared > (open.bShared ? 1 : 0);
        const bool bOtherExclusive = file.exclusive != CFileOps::kNoFile && file.exclusive != h;
        if (bOtherExclusive || (lock == CFileOps::Lock::Exclusive && bOthersShared)) {
            return CFileOps::LockResult::Busy;
        }
        if (lock == CFileOps::Lock::Exclusive) {
            file.exclusive = h;
            open.bExclusive = true;
        } else if (!open.bShared) {
            ++file.nShared;
            open.bShared = true;
        }
        return CFileOps::LockResult::Held;
    }
    bool IsNamedBy(CFileOps::Handle h, const std::string& strPath) const
    {
        const auto it = m_names.find(strPath);
        return it != m_names.end() && it->second == m_handles.at(h).nFile;
    }
    std::string& Bytes(CFileOps::Handle h) { return m_files.at(m_handles.at(h).nFile).bytes; }
    long ReadAt(CFileOps::Handle h, std::uint32_t nOffset, void* pBuf, std::size_t nCount)
    {
        const std::string& bytes = Bytes(h);
        if (nOffset >= bytes.size()) {
            return 0;
        }
        return static_cast<long>(bytes.copy(static_cast<char*>(pBuf), nCount, nOffset));
    }
    long WriteAt(CFileOps::Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount)
    {
        std::string& bytes = Bytes(h);
        bytes.resize(std::max<std::size_t>(bytes.size(), nOffset + nCount));
        bytes.replace(nOffset, nCount, static_cast<const char*>(pBuf), nCount);
        return static_cast<long>(nCount);
    }
    void Truncate(CFileOps::Handle h, std::uint32_t nLength) { Bytes(h).resize(nLength, '\0'); }
    void Close(CFileOps::Handle h)
    {
        const struct Open open = m_handles.at(h);
        File& file = m_files.at(open.nFile);
        if (open.bExclusive) {
            file.exclusive = CFileOps::kNoFile;
        }
        file.nShared -= open.bShared ? 1 : 0;
        m_handles.erase(h);
        ++m_nVersion;
    }
    bool Remove(CFileOps::Handle h, const std::string& strPath)
    {
        if (!IsNamedBy(h, strPath)) {
            return false;
        }
        m_names.erase(strPath);
        ++m_nVersion;
        return true;
    }

private:
    int m_nNextFile = 1;
    CFileOps::Handle m_nNextHandle = 100;
};

// One program's file calls on a shared volume, with a clock of its own that only its pauses move.
class CMemoryFileOps : public CFileOps {
public:
    explicit CMemoryFileOps(CMemoryVolume& volume) : m_volume(volume) {}

    Handle Open(const std::string& strPath, Mode mode, OpenFailure& failure) override
    {
        return m_volume.Open(strPath, mode, failure);
    }
    LockResult TryLock(Handle h, Lock lock) override { return m_volume.TryLock(h, lock); }
    bool IsNamedBy(Handle h, const std::string& strPath) override
    {
        return m_volume.IsNamedBy(h, strPath);
    }
    long ReadAt(Handle h, std::uint32_t nOffset, void* pBuf, std::size_t nCount) override
    {
        return m_volume.ReadAt(h, nOffset, pBuf, nCount);
    }
    long WriteAt(Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount) override
    {
        return m_volume.WriteAt(h, nOffset, pBuf, nCount);
    }
    bool Truncate(Handle h, std::uint32_t nLength) override
    {
        m_volume.Truncate(h, nLength);
        return true;
    }
    bool Flush(Handle) override { return true; }
    bool Close(Handle h) override
    {
        m_volume.Close(h);
        return true;
    }
    bool Remove(Handle h, const std::string& strPath) override
    {
        return m_volume.Remove(h, strPath);
    }
    std::uint32_t Ticks() override { return m_nTicks; }
    void Pause() override { ++m_nTicks; }

protected:
    CMemoryVolume& m_volume;
    std::uint32_t m_nTicks = 0;
};
