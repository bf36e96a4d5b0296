// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// What the program asks of the system before Qt starts: the display check and the signals.
#pragma once

#include <functional>
#include <memory>

class QObject;

// Sets, once for the whole process, what it needs before anything else runs.
void PrepareProcess();

// Whether Qt can be expected to reach a display. Qt itself aborts when it reaches none, with
// advice to reinstall the application; a user who started zandrel from a text console, an SSH
// shell or with a stale display setting deserves a plain word instead. What the check opened is
// held until ReleaseDisplayCheck, once Qt has its own connection.
bool DisplayReachable();
void ReleaseDisplayCheck();

// While it lives, calls fnEnd from the event loop (any loop, a box's included) when the system asks
// the program to end: SIGTERM, as a desktop session ends; SIGHUP, as the terminal it runs in
// closes; SIGINT, Ctrl+C in that terminal. Going, it puts back what those signals did before.
class CEndRequests {
public:
    CEndRequests(QObject* pContext, std::function<void()> fnEnd);
    ~CEndRequests();
    CEndRequests(const CEndRequests&) = delete;
    CEndRequests& operator=(const CEndRequests&) = delete;

private:
    struct CState;
    std::unique_ptr<CState> m_pState;
};

// The plain word, one line.
extern const char* const kNoDisplayText;
