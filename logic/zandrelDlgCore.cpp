// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The main dialog's behaviour, whatever draws it: events, the exchange, closing, the number file.
#include "zandrelDlgCore.h"

#include "zandrelDraw.h"
#include "zandrelIds.h"
#include "zandrelRuntime.h"
#include "zandrelTexts.h"

#include <cstring>

using namespace zandrel;

std::string g_strStorePath;

namespace {

// One of the program's texts with its %1 filled in.
std::string FormatText(std::string_view strText, const std::string& strArg)
{
    const std::size_t nAt = strText.find("%1");
    return std::string(strText.substr(0, nAt)) + strArg + std::string(strText.substr(nAt + 2));
}

} // namespace

void CPrevBuffer::Assign(std::string_view text)
{
    if (text.empty()) {
        m_pBlock.reset();
        return;
    }
    auto pBlock = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(pBlock.get(), text.data(), text.size());
    pBlock[text.size()] = '\0';
    m_pBlock = std::move(pBlock);
}

CZandrelDlgCore::CZandrelDlgCore(CDialogSurface& surface)
    : m_surface(surface), m_fnTickCount(SystemTickCount), m_numberFile(SystemFileOps())
{
}

bool CZandrelDlgCore::readControls()
{
    m_nKind = m_surface.isChecked(IDC_KIND3) ? 0 : m_surface.isChecked(IDC_KIND4) ? 1 : -1;
    m_bUsePrev = m_surface.isChecked(IDC_USEPREV) ? 1 : 0;
    m_strEntry = m_surface.itemText(IDC_ENTRY);
    const int nLimit = DigitCount();
    m_surface.limitEntry(IDC_ENTRY, nLimit);
    if (m_strEntry.size() <= static_cast<std::size_t>(nLimit)) {
        return true;
    }
    InBox([&] { m_surface.showWarning(FormatText(kEntryTooLongText, std::to_string(nLimit))); });
    return false;
}

void CZandrelDlgCore::writeControls()
{
    m_surface.setCheck(IDC_KIND3, m_nKind == 0);
    m_surface.setCheck(IDC_KIND4, m_nKind == 1);
    m_surface.setCheck(IDC_USEPREV, m_bUsePrev != 0);
    m_surface.setEntryText(IDC_ENTRY, m_strEntry);
    m_surface.limitEntry(IDC_ENTRY, DigitCount());
}

void CZandrelDlgCore::RefreshPrevDisplay()
{
    std::string strCaption = kCaptionPrefix;
    if (!m_strPrevNo.empty()) {
        m_strEntry = FormatZeroPadded(Atoi(m_strPrevNo), DigitCount());
        strCaption += m_strEntry;
    } else {
        m_strEntry.clear();
    }
    m_surface.setItemText(IDC_PREVGROUP, strCaption);
    writeControls();
}

void CZandrelDlgCore::SwitchKind(int nKind, const CPrevBuffer& buffer)
{
    m_nKind = nKind;
    m_strPrevNo = buffer.c_str();
    RefreshPrevDisplay();
    // The text that writeControls put into the entry raised no change event, so the enable state
    // of "set" has to be brought up to date here.
    ValidateEntry();
}

void CZandrelDlgCore::OnKind3()
{
    SwitchKind(0, m_pszPrevNo3);
}

void CZandrelDlgCore::OnKind4()
{
    SwitchKind(1, m_pszPrevNo4);
}

void CZandrelDlgCore::RegisterPrevNumber()
{
    m_strPrevNo = m_strEntryNorm;
    const int n = Atoi(m_strPrevNo);
    CPrevBuffer& buffer = PrevBuffer(m_nKind);
    FreePrevBuffer(buffer);
    buffer.Assign(m_strPrevNo);
    m_strEntry = FormatZeroPadded(n, DigitCount());
    // Writing the entry re-runs the validation, which now finds the entry equal to the previous
    // number and disables "set".
    m_surface.setItemText(IDC_ENTRY, m_strEntry);
    m_surface.setItemText(IDC_PREVGROUP, kCaptionPrefix + m_strEntry);
}

void CZandrelDlgCore::ReleasePrevNumbers()
{
    FreePrevBuffer(m_pszPrevNo3);
    FreePrevBuffer(m_pszPrevNo4);
}

bool CZandrelDlgCore::ValidateEntry()
{
    readControls();
    const std::size_t nLen = m_strEntry.size();
    const auto nWidth = static_cast<std::size_t>(DigitCount());
    std::string strOut;
    bool bCopying = false;
    std::size_t i = 0;
    for (; i < nLen && i < nWidth; ++i) {
        const char ch = m_strEntry[i];
        if (ch < '0' || ch > '9') {
            EnableSet(false);
            return false;
        }
        bCopying = bCopying || ch != '0';
        if (bCopying) {
            strOut += ch;
        }
    }
    if (strOut.empty() && i > 0) {
        strOut.assign(1, '0');
    }
    if (strOut.empty()) {
        EnableSet(false);
        return true;
    }
    EnableSet(nLen == nWidth && (strOut != m_strPrevNo || IsKept(m_nKind)));
    m_strEntryNorm = strOut;
    return true;
}

void CZandrelDlgCore::EnableSet(bool bOn)
{
    m_bSetAllowed = bOn;
    m_surface.enableItem(IDC_SET, bOn);
}

void CZandrelDlgCore::OnSet()
{
    // A click can reach a disabled button (automation and assistive tools send them): only an
    // entry that the rules accept is registered.
    if (!ValidateEntry() || !m_bSetAllowed) {
        return;
    }
    RegisterPrevNumber();
    SavePrevNumbers();
}

void CZandrelDlgCore::OnGet()
{
    const bool bSearch = m_bUsePrev != 0 && !m_strPrevNo.empty();
    const CDrawResult result =
        DrawNumber(m_fnTickCount(), DigitCount(), bSearch, bSearch ? Atoi(m_strPrevNo) : 0);
    InBox([&] { m_surface.showMessage(result.m_strText, kNumberCaption); });
}

void CZandrelDlgCore::LoadPrevNumbers()
{
    g_strStorePath = m_numberFile.WorkingDirectory();
    if (!g_strStorePath.empty()) {
        g_strStorePath += kPathSeparator;
        g_strStorePath += kStoreFileName;
    }

    m_pszPrevNo4.Release();
    m_pszPrevNo3.Release();
    m_strEntryNorm.clear();
    m_strPrevNo.clear();
    m_strEntry.clear();
    m_nKind = 0;

    const std::optional<CStoreRecords> records = m_numberFile.Load(g_strStorePath);
    if (!records) {
        return;
    }
    m_pszPrevNo3.Assign(records->m_str3);
    m_pszPrevNo4.Assign(records->m_str4);

    if (!m_pszPrevNo3.IsEmpty()) {
        m_strPrevNo = m_pszPrevNo3.c_str();
        m_strEntry = FormatZeroPadded(Atoi(m_strPrevNo), 3);
        m_surface.setItemText(IDC_PREVGROUP, kCaptionPrefix + m_strEntry);
    }
}

void CZandrelDlgCore::InitNumberState()
{
    LoadPrevNumbers();
    m_bUsePrev = 1;
    writeControls();
    // writeControls raises no change event, so the validation runs by hand.
    ValidateEntry();
}

StoreWriteResult CZandrelDlgCore::SaveNumbers(int nFresh)
{
    const CNumberFile::CSaved saved = m_numberFile.Save(
        g_strStorePath, {std::string(m_pszPrevNo3.View()), std::string(m_pszPrevNo4.View())},
        nFresh);
    m_pszPrevNo3.Assign(saved.m_strNumbers[0]);
    m_pszPrevNo4.Assign(saved.m_strNumbers[1]);
    // Another copy's number that stands is shown.
    if (m_nKind >= 0 && PrevBuffer(m_nKind).View() != m_strPrevNo) {
        SwitchKind(m_nKind, PrevBuffer(m_nKind));
    }
    return saved.m_result;
}

void CZandrelDlgCore::SavePrevNumbers()
{
    const bool bWasKept = IsKept(m_nKind);
    const StoreWriteResult result = SaveNumbers(m_nKind);
    if (result != StoreWriteResult::Ok) {
        InBox([&] {
            m_surface.showMessage(result == StoreWriteResult::OpenFailed ? kOpenFailedText
                                                                         : kWriteFailedText,
                                  kErrorCaption);
        });
    }
    // While the number shown is not saved, "set" takes the same digits again, to retry.
    if (IsKept(m_nKind) != bWasKept) {
        ValidateEntry();
    }
}

std::string CZandrelDlgCore::KeptNumbersText()
{
    std::string strNumbers;
    for (const int nKind : {0, 1}) {
        if (IsKept(nKind)) {
            strNumbers += strNumbers.empty() ? "" : ", ";
            strNumbers += nKind != 0 ? "numbers4 " : "numbers3 ";
            strNumbers += FormatZeroPadded(Atoi(PrevBuffer(nKind).View()), nKind + 3);
        }
    }
    return FormatText(kNotSavedText, strNumbers);
}

bool CZandrelDlgCore::SaveBeforeClose()
{
    // A failed try can still end the marks: another copy's later number stands in the file.
    while (m_numberFile.IsAnyKept() && SaveNumbers(-1) != StoreWriteResult::Ok &&
           m_numberFile.IsAnyKept()) {
        CCloseAnswer answer = CCloseAnswer::Stay;
        InBox([&] { answer = m_surface.askClose(KeptNumbersText(), kErrorCaption); });
        // An end request may have closed the box; it has saved what it could.
        switch (m_bEnding ? CCloseAnswer::Stay : answer) {
        case CCloseAnswer::TryAgain:
            break;
        case CCloseAnswer::Discard:
            m_numberFile.Forget();
            return true;
        case CCloseAnswer::Stay:
            return false;
        }
    }
    return !m_bEnding;
}

void CZandrelDlgCore::EndRun(bool bRelease)
{
    if (m_nBoxes == 0 && !m_bEnding && SaveBeforeClose()) {
        if (bRelease) {
            ReleasePrevNumbers();
        }
        m_surface.endDialog();
    }
}

void CZandrelDlgCore::OnClose()
{
    EndRun(true);
}

void CZandrelDlgCore::OnCancel()
{
    EndRun(false);
}

void CZandrelDlgCore::OnEndRequest()
{
    if (m_bEnding) {
        return;
    }
    m_bEnding = true;
    if (m_numberFile.IsAnyKept()) {
        SaveNumbers(-1);
    }
    // A number still kept now is lost with the process: the status says so.
    m_surface.endProgram(m_numberFile.IsAnyKept() ? 1 : 0);
}

// The event table: each control's event and the handler it runs.
const CZandrelDlgCore::CEventEntry CZandrelDlgCore::s_eventTable[] = {
    {IDC_SET, CNotify::Clicked, &CZandrelDlgCore::OnSet},
    {IDC_GET, CNotify::Clicked, &CZandrelDlgCore::OnGet},
    {IDC_KIND3, CNotify::Clicked, &CZandrelDlgCore::OnKind3},
    {IDC_KIND4, CNotify::Clicked, &CZandrelDlgCore::OnKind4},
    {IDC_USEPREV, CNotify::Clicked, &CZandrelDlgCore::OnUseCheck},
    {IDC_ENTRY, CNotify::Changed, &CZandrelDlgCore::OnEntryChange},
    {IDCANCEL, CNotify::Clicked, &CZandrelDlgCore::OnCancel},
};

bool CZandrelDlgCore::OnCommand(int nID, CNotify code)
{
    for (const CEventEntry& entry : s_eventTable) {
        if (entry.nID == nID && entry.code == code) {
            (this->*entry.pfnHandler)();
            return true;
        }
    }
    return false;
}

bool CZandrelDlgCore::OnSysCommand(unsigned nID)
{
    if (((nID & 0xFFFFu) & ~0xFu) != IDM_ABOUTBOX) {
        return false;
    }
    InBox([&] { m_surface.showVersionBox(); });
    return true;
}
