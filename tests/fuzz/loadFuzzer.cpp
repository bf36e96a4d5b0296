// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the start-up load as zandrel.ini, then uses what was loaded the way a
// user would: both kinds shown, entries validated, a draw, a registration and its save. Nothing
// may crash, hang or read out of bounds, and the saved file must read back as what is in memory.
#include "FakeSurface.h"
#include "zandrelStore.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>

namespace {

// zandrel.ini in memory: the fuzzer runs far faster without touching the disk.
class CMemoryFileOps : public CFileOps {
public:
    static constexpr int kStoreFd = 100, kTempFd = 101, kDirFd = 102;
    std::string m_strFile;
    std::string m_strTemp;
    std::size_t m_nReadPos = 0;

    int Open(const char*, int nFlags, mode_t) override
    {
        if (nFlags & O_DIRECTORY) {
            return kDirFd;
        }
        if (nFlags & O_EXCL) {
            m_strTemp.clear();
            return kTempFd;
        }
        m_nReadPos = 0;
        return kStoreFd;
    }
    ssize_t Read(int fd, void* pBuf, std::size_t nCount) override
    {
        if (fd != kStoreFd) {
            errno = EBADF;
            return -1;
        }
        const std::size_t n = std::min(nCount, m_strFile.size() - m_nReadPos);
        m_strFile.copy(static_cast<char*>(pBuf), n, m_nReadPos);
        m_nReadPos += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t Write(int fd, const void* pBuf, std::size_t nCount) override
    {
        if (fd != kTempFd) {
            errno = EBADF;
            return -1;
        }
        m_strTemp.append(static_cast<const char*>(pBuf), nCount);
        return static_cast<ssize_t>(nCount);
    }
    int Fsync(int) override { return 0; }
    int Fstat(int, struct stat* pStat) override
    {
        *pStat = {};
        pStat->st_mode = S_IFREG | 0644;
        pStat->st_nlink = 1;
        return 0;
    }
    int Fchmod(int, mode_t) override { return 0; }
    int Ftruncate(int, off_t) override { return 0; }
    std::vector<std::string> ListDirectory(const char*) override { return {}; }
    int Flock(int, int) override { return 0; }
    int Close(int) override { return 0; }
    int Rename(const char*, const char*) override
    {
        m_strFile = m_strTemp;
        return 0;
    }
    int Unlink(const char*) override { return 0; }
};

void Check(bool bOk)
{
    if (!bOk) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string bytes(reinterpret_cast<const char*>(pData), nSize);

    const CStoreRecords records = DecodeStore(bytes);
    Check(records.m_str3.size() <= kMaxStoredDigits && records.m_str4.size() <= kMaxStoredDigits);
    const CStoreRecords again = DecodeStore(EncodeStore(records.m_str3, records.m_str4));
    Check(again.m_str3 == records.m_str3 && again.m_str4 == records.m_str4);

    CMemoryFileOps ops;
    ops.m_strFile = bytes;
    CFakeDialog dlg;
    dlg.core.SetFileOps(ops);
    dlg.core.SetTickSource([] { return 20261207u; });
    dlg.core.InitNumberState();
    Check(dlg.core.m_pszPrevNo3.View() == records.m_str3 &&
          dlg.core.m_pszPrevNo4.View() == records.m_str4);

    dlg.surface.m_nRadio = 1;
    dlg.core.OnKind4();
    dlg.core.OnGet();
    dlg.surface.m_nRadio = 0;
    dlg.core.OnKind3();
    dlg.core.OnGet();
    // Entries made of the input's own bytes, a few at a time.
    for (std::size_t i = 0; i < bytes.size() && i < 16; i += 4) {
        dlg.surface.Type(bytes.substr(i, 4));
    }
    dlg.surface.Type("123");
    dlg.core.OnSet();
    const CStoreRecords saved = DecodeStore(ops.m_strFile);
    Check(saved.m_str3 == "123" && saved.m_str4 == dlg.core.m_pszPrevNo4.View());
    return 0;
}
