// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The shell's platform calls on Linux: the X11 and Wayland display check, and the signals.
#include "zandrelStartup.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <memory>
#include <QByteArray>
#include <QSocketNotifier>
#include <QtGlobal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

const char* const kNoDisplayText =
    "zandrel: needs a graphical desktop, but neither DISPLAY (X11) nor WAYLAND_DISPLAY (Wayland) "
    "names one that can be reached\n";

namespace {

// A connection to the X server, held while Qt makes its own: a server whose only client this
// was would otherwise reset as the probe let go, and refuse Qt for that moment.
std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> s_pHeld(nullptr, &xcb_disconnect);

// Whether an X server answers at DISPLAY, authorisation included. A few tries, a tenth of a
// second apart: a server resets when its last client leaves (a window just closed on a bare X
// server) and refuses connections while it does.
bool X11Answers()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        return false;
    }
    for (int nTry = 0; nTry < 10; ++nTry) {
        s_pHeld.reset(xcb_connect(nullptr, nullptr));
        if (xcb_connection_has_error(s_pHeld.get()) == 0) {
            return true;
        }
        s_pHeld.reset();
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

} // namespace

void PrepareProcess()
{
    // Under a file-size limit a write fails with EFBIG instead of ending the program: a font
    // cache Qt writes at start-up, and a save, which then says it could not be written.
    std::signal(SIGXFSZ, SIG_IGN);
}

// Platforms that need no display (offscreen, vnc, eglfs, ...) are the user's explicit choice and
// are left to Qt.
bool DisplayReachable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("xcb")) {
        return X11Answers();
    }
    if (platform.startsWith("wayland")) {
        return WaylandAnswers();
    }
    return !platform.isEmpty() || WaylandAnswers() || X11Answers();
}

void ReleaseDisplayCheck()
{
    s_pHeld.reset();
}

namespace {

// A signal handler may only write: it tells the event loop through a socket.
int s_endSocket[2] = {-1, -1};
constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

void TellEventLoop(int)
{
    const int nSavedErrno = errno;
    const char c = 'e';
    [[maybe_unused]] const ssize_t n = write(s_endSocket[0], &c, 1);
    errno = nSavedErrno;
}

} // namespace

struct CEndRequests::CState {
    struct sigaction previous[std::size(kEndSignals)]{};
    std::unique_ptr<QSocketNotifier> pNotifier;
};

CEndRequests::CEndRequests(QObject* pContext, std::function<void()> fnEnd)
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, s_endSocket) != 0) {
        return;
    }
    m_pState = std::make_unique<CState>();
    m_pState->pNotifier = std::make_unique<QSocketNotifier>(s_endSocket[1], QSocketNotifier::Read);
    QObject::connect(m_pState->pNotifier.get(), &QSocketNotifier::activated, pContext,
                     [fnEnd = std::move(fnEnd)] {
                         char c;
                         while (read(s_endSocket[1], &c, 1) > 0) {
                         }
                         fnEnd();
                     });
    struct sigaction action {};
    action.sa_handler = TellEventLoop;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kEndSignals); ++i) {
        // A signal the program was started with ignored (nohup, a background job) stays so.
        if (sigaction(kEndSignals[i], nullptr, &m_pState->previous[i]) == 0 &&
            m_pState->previous[i].sa_handler != SIG_IGN) {
            sigaction(kEndSignals[i], &action, nullptr);
        }
    }
}

CEndRequests::~CEndRequests()
{
    if (!m_pState) {
        return;
    }
    for (std::size_t i = 0; i < std::size(kEndSignals); ++i) {
        sigaction(kEndSignals[i], &m_pState->previous[i], nullptr);
    }
    m_pState->pNotifier.reset();
    for (int& fd : s_endSocket) {
        close(fd);
        fd = -1;
    }
}
