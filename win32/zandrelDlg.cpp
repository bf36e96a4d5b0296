// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The main dialog and the version box on Windows: the core's surface in Win32 controls.
#include "zandrelDlg.h"

#include "Wide.h"
#include "zandrelEntry.h"
#include "zandrelIds.h"
#include "zandrelTexts.h"

#include <commctrl.h>

using namespace zandrel;

HINSTANCE ResourceModule()
{
    return GetModuleHandleW(nullptr);
}

void CModalHost::MessageBox(HWND hOwner, const std::wstring& text, const std::wstring& caption,
                            UINT nType)
{
    ::MessageBoxW(hOwner, text.c_str(), caption.c_str(), nType);
}

CCloseAnswer CModalHost::AskClose(HWND hOwner, const std::wstring& text,
                                  const std::wstring& caption)
{
    // A task dialog, from comctl32 6, which the manifest asks for: it names the answers.
    const std::wstring strTryAgain = Widen(zandrel::kTryAgainButton);
    const std::wstring strDiscard = Widen(zandrel::kDiscardButton);
    const std::wstring strStay = Widen(zandrel::kStayButton);
    const TASKDIALOG_BUTTON buttons[] = {{IDRETRY, strTryAgain.c_str()},
                                         {IDCONTINUE, strDiscard.c_str()},
                                         {IDCANCEL, strStay.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = hOwner;
    // Escape and the close box answer Cancel.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = caption.c_str();
    config.pszMainIcon = TD_ERROR_ICON;
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = IDRETRY;
    int nButton = IDCANCEL;
    if (FAILED(TaskDialogIndirect(&config, &nButton, nullptr, nullptr))) {
        return CCloseAnswer::Stay;
    }
    return nButton == IDRETRY      ? CCloseAnswer::TryAgain
           : nButton == IDCONTINUE ? CCloseAnswer::Discard
                                   : CCloseAnswer::Stay;
}

void CModalHost::RunVersionBox(HWND hOwner)
{
    CVersionInfoDlg dlgAbout;
    dlgAbout.DoModal(hOwner);
}

INT_PTR CVersionInfoDlg::DoModal(HWND hParent)
{
    const CWinTemplate tpl(rc::VersionDialog());
    return DialogBoxIndirectParamW(ResourceModule(), tpl.Get(), hParent, DialogProc, 0);
}

INT_PTR CALLBACK CVersionInfoDlg::DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM)
{
    // No handlers of its own: OK, Enter, Escape and the close box all end it.
    if (nMsg == WM_INITDIALOG) {
        return TRUE;
    }
    if (nMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

namespace {

CModalHost& DefaultModalHost()
{
    static CModalHost s_defaultHost;
    return s_defaultHost;
}

// Centred on the work area of the monitor the window opens on: the template gives no position,
// and Windows would otherwise put it at the screen's top-left corner.
void CentreOnWorkArea(HWND hWnd)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT rect;
    if (!GetMonitorInfoW(MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor) ||
        !GetWindowRect(hWnd, &rect)) {
        return;
    }
    const RECT& work = monitor.rcWork;
    SetWindowPos(hWnd, nullptr, work.left + (work.right - work.left - (rect.right - rect.left)) / 2,
                 work.top + (work.bottom - work.top - (rect.bottom - rect.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON LoadProgramIcon(int nMetricX, int nMetricY)
{
    return static_cast<HICON>(LoadImageW(ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                         IMAGE_ICON, GetSystemMetrics(nMetricX),
                                         GetSystemMetrics(nMetricY), LR_DEFAULTCOLOR));
}

} // namespace

CZandrelDlg::CZandrelDlg(CModalHost* pHost)
    : m_template(rc::MainDialog()), m_host(pHost != nullptr ? *pHost : DefaultModalHost()),
      m_hIcon(LoadProgramIcon(SM_CXICON, SM_CYICON)),
      m_hIconSmall(LoadProgramIcon(SM_CXSMICON, SM_CYSMICON))
{
}

CZandrelDlg::~CZandrelDlg()
{
    if (m_hWnd != nullptr && !m_bModal) {
        DestroyWindow(m_hWnd);
    }
    for (const HICON hIcon : {m_hIcon, m_hIconSmall}) {
        if (hIcon != nullptr) {
            DestroyIcon(hIcon);
        }
    }
}

INT_PTR CZandrelDlg::DoModal(HWND hParent)
{
    m_bModal = true;
    const INT_PTR nResult = DialogBoxIndirectParamW(ResourceModule(), m_template.Get(), hParent,
                                                    DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return nResult;
}

HWND CZandrelDlg::Create(HWND hParent)
{
    m_bModal = false;
    return CreateDialogIndirectParamW(ResourceModule(), m_template.Get(), hParent, DialogProc,
                                      reinterpret_cast<LPARAM>(this));
}

void CZandrelDlg::endDialog()
{
    m_nResult = IDCANCEL;
    if (m_bModal) {
        ::EndDialog(m_hWnd, IDCANCEL);
    } else {
        ShowWindow(m_hWnd, SW_HIDE);
    }
}

void CZandrelDlg::endProgram(int nStatus)
{
    m_nExitStatus = nStatus;
    if (m_bModal) {
        // Every modal loop, a box's included, ends on the quit message and hands it on to the one
        // it runs within, down to the dialog's own.
        PostQuitMessage(nStatus);
    } else {
        endDialog();
    }
}

INT_PTR CALLBACK CZandrelDlg::DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_INITDIALOG) {
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        reinterpret_cast<CZandrelDlg*>(lParam)->m_hWnd = hDlg;
    }
    auto* pDlg = reinterpret_cast<CZandrelDlg*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    return pDlg != nullptr ? pDlg->HandleMessage(nMsg, wParam, lParam) : FALSE;
}

// Windows' messages, translated into the core's events: the controls' clicks and the entry's
// changes, the window menu, closing and the end of the session. The core's table decides what
// each one does; FALSE hands a message on to the dialog manager's default handling.
INT_PTR CZandrelDlg::HandleMessage(UINT nMsg, WPARAM wParam, LPARAM)
{
    switch (nMsg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_SYSCOMMAND:
        return m_core.OnSysCommand(static_cast<UINT>(wParam)) ? TRUE : FALSE;
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_COMMAND:
        // Escape too comes as a click of IDCANCEL.
        if (HIWORD(wParam) == BN_CLICKED) {
            m_core.OnCommand(LOWORD(wParam), CNotify::Clicked);
        } else if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_ENTRY) {
            OnEntryEdited();
        }
        return TRUE;
    case WM_CLOSE:
        m_core.OnClose();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            m_core.OnEndRequest();
        }
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CZandrelDlg::OnInitDialog()
{
    if (HMENU hSysMenu = GetSystemMenu(m_hWnd, FALSE)) {
        const std::wstring strAboutMenu = Widen(rc::String(IDS_ABOUTBOX));
        if (!strAboutMenu.empty()) {
            AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, strAboutMenu.c_str());
        }
    }
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall));
    CentreOnWorkArea(m_hWnd);
    m_core.InitNumberState();
    return TRUE; // the focus goes to the first tab stop, "get"
}

bool CZandrelDlg::OnPaint()
{
    if (!IsIconic(m_hWnd)) {
        return false;
    }
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    RECT rect;
    GetClientRect(m_hWnd, &rect);
    const auto [x, y] = IconOrigin(rect.right - rect.left, rect.bottom - rect.top,
                                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(hdc, x, y, m_hIcon);
    EndPaint(m_hWnd, &ps);
    return true;
}

void CZandrelDlg::SetEntryTextSilently(const std::string& text)
{
    const bool bWas = m_bSettingEntry;
    m_bSettingEntry = true;
    SetDlgItemTextW(m_hWnd, IDC_ENTRY, Widen(text).c_str());
    m_bSettingEntry = bWas;
    m_strEntryShown = text;
}

// The user changed the entry. The edit control learns of no byte limit: what the user's edit may
// keep is the logic's to say, and the control is set to that.
void CZandrelDlg::OnEntryEdited()
{
    if (m_bSettingEntry) {
        return;
    }
    const std::string strBefore = m_strEntryShown;
    const std::string strNow = itemText(IDC_ENTRY);
    const CLimitedEdit kept =
        LimitEntryEdit(strBefore, EditBetween(strBefore, strNow), m_nEntryLimit);
    if (kept.m_strText != strNow) {
        SetEntryTextSilently(kept.m_strText);
        const auto nCaret = static_cast<WPARAM>(
            Widen(std::string_view(kept.m_strText).substr(0, kept.m_nCaret)).size());
        SendDlgItemMessageW(m_hWnd, IDC_ENTRY, EM_SETSEL, nCaret, static_cast<LPARAM>(nCaret));
    }
    m_strEntryShown = kept.m_strText;
    if (kept.m_bCut) {
        MessageBeep(MB_OK);
    }
    if (kept.m_strText != strBefore) {
        m_core.OnCommand(IDC_ENTRY, CNotify::Changed);
    }
}

std::string CZandrelDlg::itemText(int id)
{
    const HWND hItem = GetDlgItem(m_hWnd, id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hItem)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(hItem, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

void CZandrelDlg::setItemText(int id, const std::string& text)
{
    if (id == IDC_ENTRY) {
        // Raised by hand, so that it comes exactly once, whether or not the text changed.
        SetEntryTextSilently(text);
        m_core.OnCommand(IDC_ENTRY, CNotify::Changed);
        return;
    }
    SetDlgItemTextW(m_hWnd, id, Widen(text).c_str());
}

void CZandrelDlg::enableItem(int id, bool on)
{
    const HWND hItem = GetDlgItem(m_hWnd, id);
    if (hItem == nullptr) {
        return;
    }
    // A disabled control loses the keyboard focus to nobody, and the keyboard then reaches no
    // control at all: hand the focus on first, as the Tab key would ("set" after a registration).
    if (!on && GetFocus() == hItem) {
        SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, FALSE);
    }
    EnableWindow(hItem, on ? TRUE : FALSE);
}

void CZandrelDlg::showMessage(const std::string& text, const std::string& caption)
{
    m_host.MessageBox(m_hWnd, Widen(text), Widen(caption), MB_OK);
}

void CZandrelDlg::showWarning(const std::string& text)
{
    wchar_t szTitle[256] = L"";
    GetWindowTextW(m_hWnd, szTitle, 256);
    m_host.MessageBox(m_hWnd, Widen(text), szTitle, MB_OK | MB_ICONEXCLAMATION);
}
