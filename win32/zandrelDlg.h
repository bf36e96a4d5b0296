// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include "DialogSurface.h"
#include "Wide.h"
#include "WinTemplate.h"
#include "zandrelDlgCore.h"

#include <string>
#include <windows.h>

// What a dialog shows modally on top of itself. Tests put a recording host in its place, so that
// no box waits for a user who is not there.
class CModalHost {
public:
    virtual ~CModalHost() = default;
    virtual void MessageBox(HWND hOwner, const std::wstring& text, const std::wstring& caption,
                            UINT nType);
    // Retry and Cancel; true for Retry.
    virtual bool AskRetry(HWND hOwner, const std::wstring& text, const std::wstring& caption);
    virtual void RunVersionBox(HWND hOwner);
};

// The version box, on template 100.
class CVersionInfoDlg {
public:
    INT_PTR DoModal(HWND hParent);

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
};

// The main dialog, on template 102: binds the number logic's surface to real controls and routes
// the dialog's messages to it.
class CZandrelDlg : private CDialogSurface, public CZandrelDlgCore {
public:
    explicit CZandrelDlg(CModalHost* pHost = nullptr);
    ~CZandrelDlg() override;
    CZandrelDlg(const CZandrelDlg&) = delete;
    CZandrelDlg& operator=(const CZandrelDlg&) = delete;

    // Runs the dialog until it ends; its result, IDCANCEL for every way it can end.
    INT_PTR DoModal(HWND hParent = nullptr);
    // The same dialog without its own message loop, for tests that drive it by messages.
    HWND Create(HWND hParent = nullptr);
    HWND GetSafeHwnd() const { return m_hWnd; }
    // 0 while the dialog runs, then how it ended.
    INT_PTR Result() const { return m_nResult; }

    BOOL OnInitDialog();
    bool OnSysCommand(UINT nID, LPARAM lParam);
    bool OnPaint();
    HICON OnQueryDragIcon() const { return m_hIcon; }
    void OnClose();
    void OnCancel();

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
    void OnCommand(int nID, int nCode);
    void OnEntryEdited();
    void EndDialog(INT_PTR nResult);

    bool isChecked(int id) override { return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void setCheck(int id, bool on) override { CheckDlgButton(m_hWnd, id, on ? BST_CHECKED : 0); }
    std::string itemText(int id) override;
    void setEntryText(int, const std::string& text) override { SetEntryTextSilently(Widen(text)); }
    void limitEntry(int id, int nBytes) override
    {
        SendDlgItemMessageW(m_hWnd, id, EM_LIMITTEXT, static_cast<WPARAM>(nBytes), 0);
    }
    void setItemText(int id, const std::string& text) override;
    void enableItem(int id, bool on) override;
    void showMessage(const std::string& text, const std::string& caption) override;
    void showWarning(const std::string& text) override;
    bool askRetry(const std::string& text, const std::string& caption) override
    {
        return m_host.AskRetry(m_hWnd, Widen(text), Widen(caption));
    }

    void SetEntryTextSilently(const std::wstring& text);

    CWinTemplate m_template;
    CModalHost& m_host;
    HWND m_hWnd = nullptr;
    HICON m_hIcon;
    HICON m_hIconSmall;
    bool m_bModal = false;
    INT_PTR m_nResult = 0;
    bool m_bSettingEntry = false; // the entry's notifications are ignored while this sets its text
    std::wstring m_strEntryShown; // what the user last had in the entry, to go back to
};

// The one module all resources come from: the program's own.
HINSTANCE ResourceModule();
