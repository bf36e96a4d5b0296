// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The program on Windows: runs the main dialog once and ends with it.
#include "zandrelDlg.h"

#include <commctrl.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The visual styles the manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CZandrelDlg dlg;
    dlg.DoModal();
    // Every save finished before the dialog ended.
    return 0;
}
