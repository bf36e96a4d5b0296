// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the start-up load as zandrel.ini, then uses what was loaded the way a
// user would: both kinds shown, entries validated, a draw, a registration and its save. Nothing
// may crash, hang or read out of bounds, and the saved file must read back as what is in memory.
#include "FakeSurface.h"
#include "MemoryVolume.h"
#include "zandrelRuntime.h"
#include "zandrelStore.h"
#include "zandrelTexts.h"

#include <cstdlib>
#include <string>

namespace {

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

    // zandrel.ini in memory: the fuzzer runs far faster without touching the disk.
    CMemoryVolume volume;
    CMemoryFileOps ops(volume);
    const std::string strPath = ops.WorkingDirectory() + kPathSeparator + zandrel::kStoreFileName;
    volume.Put(strPath, bytes);
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
    const CStoreRecords saved = DecodeStore(*volume.Find(strPath));
    Check(saved.m_str3 == "123" && saved.m_str4 == dlg.core.m_pszPrevNo4.View());
    return 0;
}
