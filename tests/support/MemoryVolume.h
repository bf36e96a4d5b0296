// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include "zandrelFileOps.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

// Files in memory, as one folder of a POSIX file system holds them for the programs sharing it:
// names that lead to files, open handles that keep a file whose name went, and whole-file locks.
struct CMemoryVolume {
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

    std::map<std::string, int> names;
    std::map<int, File> files;
    std::map<CFileOps::Handle, Open> handles;
    // Goes up whenever a name or a lock changes: what a waiting program waits on.
    int nVersion = 0;
    int nNextFile = 1;
    CFileOps::Handle nNextHandle = 100;

    void Put(const std::string& strPath, const std::string& bytes)
    {
        names[strPath] = nNextFile;
        files[nNextFile++].bytes = bytes;
    }
    const std::string* Find(const std::string& strPath) const
    {
        const auto it = names.find(strPath);
        return it == names.end() ? nullptr : &files.at(it->second).bytes;
    }
};

// One program's file calls on a shared volume, with a clock of its own that only its pauses move.
class CMemoryFileOps : public CFileOps {
public:
    explicit CMemoryFileOps(CMemoryVolume& volume) : m_volume(volume) {}

    // One folder; its name is no path on the machine, and asking for it costs no system call.
    std::string WorkingDirectory() override { return "/memory"; }

    Handle Open(const std::string& strPath, Mode mode, OpenFailure& failure) override
    {
        const bool bNamed = m_volume.names.count(strPath) != 0;
        if (mode == Mode::Create ? bNamed : !bNamed) {
            failure = bNamed ? OpenFailure::Exists : OpenFailure::Missing;
            return kNoFile;
        }
        if (mode == Mode::Create) {
            m_volume.Put(strPath, {});
            ++m_volume.nVersion;
        }
        const Handle h = m_volume.nNextHandle++;
        m_volume.handles[h] = {m_volume.names.at(strPath)};
        return h;
    }
    LockResult TryLock(Handle h, Lock lock) override
    {
        CMemoryVolume::Open& open = m_volume.handles.at(h);
        CMemoryVolume::File& file = m_volume.files.at(open.nFile);
        const bool bOthersShared = file.nShared > (open.bShared ? 1 : 0);
        if ((file.exclusive != kNoFile && file.exclusive != h) ||
            (lock == Lock::Exclusive && bOthersShared)) {
            return LockResult::Busy;
        }
        if (lock == Lock::Exclusive) {
            file.exclusive = h;
            open.bExclusive = true;
        } else if (!open.bShared) {
            ++file.nShared;
            open.bShared = true;
        }
        return LockResult::Held;
    }
    bool IsNamedBy(Handle h, const std::string& strPath) override
    {
        const auto it = m_volume.names.find(strPath);
        return it != m_volume.names.end() && it->second == m_volume.handles.at(h).nFile;
    }
    long ReadAt(Handle h, std::uint32_t nOffset, void* pBuf, std::size_t nCount) override
    {
        const std::string& bytes = Bytes(h);
        return nOffset >= bytes.size()
                   ? 0
                   : static_cast<long>(bytes.copy(static_cast<char*>(pBuf), nCount, nOffset));
    }
    long WriteAt(Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount) override
    {
        std::string& bytes = Bytes(h);
        bytes.resize(std::max<std::size_t>(bytes.size(), nOffset + nCount));
        bytes.replace(nOffset, nCount, static_cast<const char*>(pBuf), nCount);
        return static_cast<long>(nCount);
    }
    bool Truncate(Handle h, std::uint32_t nLength) override
    {
        Bytes(h).resize(nLength, '\0');
        return true;
    }
    bool Flush(Handle) override { return true; }
    bool FlushFolder(const std::string&) override { return true; }
    bool Close(Handle h) override
    {
        const CMemoryVolume::Open open = m_volume.handles.at(h);
        CMemoryVolume::File& file = m_volume.files.at(open.nFile);
        if (open.bExclusive) {
            file.exclusive = kNoFile;
        }
        file.nShared -= open.bShared ? 1 : 0;
        m_volume.handles.erase(h);
        ++m_volume.nVersion;
        return true;
    }
    bool Remove(Handle h, const std::string& strPath) override
    {
        if (!IsNamedBy(h, strPath)) {
            return false;
        }
        m_volume.names.erase(strPath);
        ++m_volume.nVersion;
        return true;
    }
    std::uint32_t Ticks() override { return m_nTicks; }
    void Pause() override { ++m_nTicks; }

private:
    CMemoryVolume::File& File(Handle h) { return m_volume.files.at(m_volume.handles.at(h).nFile); }
    std::string& Bytes(Handle h) { return File(h).bytes; }

    CMemoryVolume& m_volume;
    std::uint32_t m_nTicks = 0;
};
