// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The floor zandrel is measured against: its main dialog's template handed to Windows' dialog
// manager by the same code, with the same icon and manifest, and nothing behind it.
#include "WinTemplate.h"

#include <commctrl.h>
#include <windows.h>

namespace {

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM)
{
    if (nMsg == WM_INITDIALOG) {
        return TRUE;
    }
    if ((nMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || nMsg == WM_CLOSE) {
        EndDialog(hDlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const CWinTemplate tpl(rc::MainDialog());
    DialogBoxIndirectParamW(hInstance, tpl.Get(), nullptr, DialogProc, 0);
    return 0;
}
