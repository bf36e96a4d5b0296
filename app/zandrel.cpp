// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrel.h"

#include "zandrel_rc.h"
#include "zandrelDlg.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <QByteArray>
#include <QString>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// A connection to the X server, held while Qt makes its own: a server whose only client this
// was would otherwise reset as the probe let go, and refuse Qt for that moment.
using CX11Connection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;

// Whether an X server answers at DISPLAY, authorisation included. A few tries, a tenth of a
// second apart: a server resets when its last client leaves (a window just closed on a bare X
// server) and refuses connections while it does.
bool X11Answers(CX11Connection& held)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        return false;
    }
    for (int nTry = 0; nTry < 10; ++nTry) {
        held.reset(xcb_connect(nullptr, nullptr));
        if (xcb_connection_has_error(held.get()) == 0) {
            return true;
        }
        held.reset();
        usleep(100000);
    }
    return false;
}

// Whether a compositor listens on WAYLAND_DISPLAY's socket: a socket a dead compositor left
// behind refuses the connection.
bool WaylandAnswers()
{
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty()) {
        return false;
    }
    const QByteArray path = name.startsWith('/') ? name : qgetenv("XDG_RUNTIME_DIR") + '/' + name;
    sockaddr_un address{};
    if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool bAnswers =
        fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return bAnswers;
}

// Whether Qt can be expected to reach a display. Qt itself aborts when it reaches none, with
// advice to reinstall the application; a user who started zandrel from a text console, an SSH
// shell or with a stale DISPLAY deserves a plain word instead. Platforms that need no display
// (offscreen, vnc, eglfs, ...) are the user's explicit choice and are left to Qt.
bool HasDisplay(CX11Connection& held)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("xcb")) {
        return X11Answers(held);
    }
    if (platform.startsWith("wayland")) {
        return WaylandAnswers();
    }
    return !platform.isEmpty() || WaylandAnswers() || X11Answers(held);
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
    // Under a file-size limit a write fails with EFBIG instead of ending the program: a font
    // cache Qt writes at start-up, and a save, which then says it could not be written. Set here,
    // once for the whole process, rather than by the file layer behind its back.
    std::signal(SIGXFSZ, SIG_IGN);
    CX11Connection held(nullptr, &xcb_disconnect);
    if (!HasDisplay(held)) {
        std::fputs("zandrel: needs a graphical desktop, but neither DISPLAY (X11) nor "
                   "WAYLAND_DISPLAY (Wayland) names one that can be reached\n",
                   stderr);
        return 1;
    }
    CZandrelApp theApp(argc, argv);
    held.reset();
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
