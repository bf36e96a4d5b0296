// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the start-up load as zandrel.ini, then uses what was loaded the way a
// user would: both kinds shown, entries validated, a draw, a registration and its save. Nothing
// may crash, hang or read out of bounds, and the saved file must read back as what is in memory.
#include "FakeSurface.h"
#include "zandrelStore.h"

#include <cstdlib>
#include <string>

namespace {

// zandrel.ini in memory: the fuzzer runs far faster without touching the disk.
class CMemoryFileOps : public CFileOps {
public:
    static constexpr Handle kStore = 100;
    std::string m_strFile;

    Handle Open(const std::string&, Mode, OpenFailure&) override { return kStore; }
    LockResult TryLock(Handle, Lock) override { return LockResult::Held; }
    bool IsNamedBy(Handle, const std::string&) override { return true; }
    long ReadAt(Handle, std::uint32_t nOffset, void* pBuf, std::size_t nCount) override
    {
        if (nOffset >= m_strFile.size()) {
            return 0;
        }
        return static_cast<long>(m_strFile.copy(static_cast<char*>(pBuf), nCount, nOffset));
    }
    long WriteAt(Handle, std::uint32_t nOffset, const void* pBuf, std::size_t nCount) override
    {
        if (m_strFile.size() < nOffset + nCount) {
            m_strFile.resize(nOffset + nCount);
        }
        m_strFile.replace(nOffset, nCount, static_cast<const char*>(pBuf), nCount);
        return static_cast<long>(nCount);
    }
    bool Truncate(Handle, std::uint32_t nLength) override
    {
        m_strFile.resize(nLength);
        return true;
    }
    bool Flush(Handle) override { return true; }
    bool Close(Handle) override { return true; }
    bool Remove(const std::string&) override { return true; }
    void Pause() override {}
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
