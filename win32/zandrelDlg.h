// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The main dialog and the version box on Windows: the core's surface in Win32 controls.
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
    // The box before closing, with an error icon: try again, close without saving, or stay.
    virtual CCloseAnswer AskClose(HWND hOwner, const std::wstring& text,
                                  const std::wstring& caption);
    virtual void RunVersionBox(HWND hOwner);
};

// The version box, on template 100.
class CVersionInfoDlg {
public:
    INT_PTR DoModal(HWND hParent);

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
};

// The main dialog, on template 102. It holds the core, implements the core's surface with its
// controls and boxes, and hands every message of its controls and of itself to the core.
class CZandrelDlg : private CDialogSurface {
public:
    explicit CZandrelDlg(CModalHost* pHost = nullptr);
    ~CZandrelDlg() override;
    CZandrelDlg(const CZandrelDlg&) = delete;
    CZandrelDlg& operator=(const CZandrelDlg&) = delete;

    CZandrelDlgCore& Core() { return m_core; }
    // Runs the dialog until it ends; its result, IDCANCEL for every way it can end.
    INT_PTR DoModal(HWND hParent = nullptr);
    // The same dialog without its own message loop, for tests that drive it by messages.
    HWND Create(HWND hParent = nullptr);
    // 0 while the dialog runs, then how it ended.
    INT_PTR Result() const { return m_nResult; }
    // The process's exit status once an end request ended the program.
    int ExitStatus() const { return m_nExitStatus; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    bool OnPaint();
    HICON OnQueryDragIcon() const { return m_hIcon; }
    void OnEntryEdited();

    bool isChecked(int id) override { return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void setCheck(int id, bool on) override { CheckDlgButton(m_hWnd, id, on ? BST_CHECKED : 0); }
    std::string itemText(int id) override;
    void setEntryText(int, const std::string& text) override { SetEntryTextSilently(text); }
    void limitEntry(int, int nBytes) override { m_nEntryLimit = static_cast<std::size_t>(nBytes); }
    void setItemText(int id, const std::string& text) override;
    void enableItem(int id, bool on) override;
    void showMessage(const std::string& text, const std::string& caption) override;
    void showWarning(const std::string& text) override;
    CCloseAnswer askClose(const std::string& text, const std::string& caption) override
    {
        return m_host.AskClose(m_hWnd, Widen(text), Widen(caption));
    }
    void showVersionBox() override { m_host.RunVersionBox(m_hWnd); }
    void endDialog() override;
    void endProgram(int nStatus) override;

    void SetEntryTextSilently(const std::string& text);

    CWinTemplate m_template;
    CModalHost& m_host;
    HWND m_hWnd = nullptr;
    HICON m_hIcon;
    HICON m_hIconSmall;
    bool m_bModal = false;
    INT_PTR m_nResult = 0;
    int m_nExitStatus = 0;
    bool m_bSettingEntry = false; // the entry's notifications are ignored while this sets its text
    std::string m_strEntryShown;  // the entry's text before the user's edit
    std::size_t m_nEntryLimit = 0;
    CZandrelDlgCore m_core{*this};
};

// The one module all resources come from: the program's own.
HINSTANCE ResourceModule();
