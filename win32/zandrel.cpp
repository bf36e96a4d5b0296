// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The program on Windows: runs the main dialog once and ends with it.
#include "zandrelDlg.h"

#include <commctrl.h>
#include <cstdlib>
#include <windows.h>

// What a C++ program does when it cannot go on. The runtime's own handler first prints the type
// of the exception in words, and for that links in the whole name demangler, nearly a sixth of
// the program; ending at once says as much to a user of a window.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The visual styles the manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CZandrelDlg dlg;
    dlg.DoModal();
    // Every save finished before the dialog ended; 1 where an end request could not save a number
    // that was kept.
    return dlg.ExitStatus();
}
