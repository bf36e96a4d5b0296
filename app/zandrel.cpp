// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrel.h"

#include "zandrel_rc.h"
#include "zandrelDlg.h"

#include <cstdio>
#include <cstdlib>
#include <QByteArray>
#include <QFileInfo>
#include <QString>

namespace {

// Whether Qt can be expected to find a display. Qt itself aborts when it finds none, with advice
// to reinstall the application; a user who started zandrel from a text console or an SSH shell
// deserves a plain word instead. Platforms that need no display (offscreen, vnc, eglfs, ...) are
// the user's explicit choice and are left to Qt.
bool HasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland")) {
        return true;
    }
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        return true;
    }
    const QString strWayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (strWayland.isEmpty()) {
        return false;
    }
    const QString strSocket =
        strWayland.startsWith(QLatin1Char('/'))
            ? strWayland
            : qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + strWayland;
    return QFileInfo(strSocket).exists();
}

} // namespace

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
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return false;
}

int main(int argc, char** argv)
{
    if (!HasDisplay()) {
        std::fputs("zandrel: needs a graphical desktop, but neither DISPLAY (X11) nor "
                   "WAYLAND_DISPLAY (Wayland) names one that can be reached\n",
                   stderr);
        return 1;
    }
    CZandrelApp theApp(argc, argv);
    theApp.InitInstance();
    // Qt 6.4's Wayland client can hang in its teardown, its main thread waiting for the event
    // thread while that thread waits for events, when input arrives as the window closes. Every
    // save completed before the modal run returned and nothing else is kept, so on Wayland the
    // process ends here, before any teardown. X11 keeps the teardown, which hands the clipboard
    // to a clipboard manager.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return 0;
}
