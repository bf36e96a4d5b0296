// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The program on Linux: the application object, the display check and the end requests.
#include "zandrel.h"

#include "zandrel_rc.h"
#include "zandrelDlg.h"
#include "zandrelStartup.h"

#include <cstdio>
#include <cstdlib>
#include <QString>
#include <string_view>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

CZandrelApp::CZandrelApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("zandrel"));
    const auto& ver = rc::Version().version;
    // No display name is set: Qt would append it to every window title, and the message boxes'
    // captions ("number", "error") are meant to read exactly so.
    setApplicationVersion(
        QStringLiteral("%1.%2.%3.%4").arg(ver[0]).arg(ver[1]).arg(ver[2]).arg(ver[3]));
    // Lets Wayland compositors and task bars match the window to its desktop entry and icon.
    setDesktopFileName(QStringLiteral("org.zandrel.zandrel"));
    setWindowIcon(CTemplateDialog::ProgramIcon());
}

bool CZandrelApp::InitInstance()
{
    // Qt draws every control itself: there is no control hosting or 3-D drawing to switch on.
    CZandrelDlg dlg;
    m_pMainWnd = &dlg;
    {
        const auto fnEnd = [&dlg] { dlg.Core().OnEndRequest(); };
        const CEndRequests signals(&dlg, fnEnd);
#if QT_CONFIG(sessionmanager)
        // The desktop session ends (X11 session managers).
        connect(this, &QGuiApplication::commitDataRequest, &dlg, fnEnd);
#endif
        dlg.DoModal();
    }
    m_nExitStatus = dlg.ExitStatus();
    m_pMainWnd = nullptr;
    return false;
}

namespace {

// --version and --help answer without a display, for scripts and package checks; every other
// argument is Qt's (-platform, -style, ...), as before.
bool AnsweredOption(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view strArg = argv[i];
        if (strArg == "--version") {
            const auto& ver = rc::Version().version;
            std::printf("zandrel %u.%u.%u.%u\n", unsigned{ver[0]}, unsigned{ver[1]},
                        unsigned{ver[2]}, unsigned{ver[3]});
            return true;
        }
        if (strArg == "--help" || strArg == "-h") {
            std::fputs(
                "Usage: zandrel [--version] [--help]\n"
                "Opens the zandrel window, which draws three- and four-digit numbers and keeps\n"
                "the numbers last registered in zandrel.ini in the current directory.\n"
                "Needs a graphical desktop (X11 or Wayland). See zandrel(1).\n",
                stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (AnsweredOption(argc, argv)) {
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    // Set here, once for the whole process, rather than by the file layer behind its back.
    PrepareProcess();
    if (!DisplayReachable()) {
        std::fputs(kNoDisplayText, stderr);
        return 1;
    }
    CZandrelApp theApp(argc, argv);
    ReleaseDisplayCheck();
    theApp.InitInstance();
    const int nStatus = theApp.m_nExitStatus;
    // Qt 6.4's Wayland client can hang in its teardown, its main thread waiting for the event
    // thread while that thread waits for events, when input arrives as the window closes. Every
    // save completed before the modal run returned and nothing else is kept, so on Wayland the
    // process ends here, before any teardown. X11 keeps the teardown, which hands the clipboard
    // to a clipboard manager.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fflush(nullptr);
        std::_Exit(nStatus);
    }
    return nStatus;
}
