// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

class QObject;

// What the shell asks of the system before Qt starts, each platform in a folder of its own.

// Sets, once for the whole process, what it needs before anything else runs.
void PrepareProcess();

// Whether Qt can be expected to reach a display. Qt itself aborts when it reaches none, with
// advice to reinstall the application; a user who started zandrel from a text console, an SSH
// shell or with a stale display setting deserves a plain word instead. What the check opened is
// held until ReleaseDisplayCheck, once Qt has its own connection.
bool DisplayReachable();
void ReleaseDisplayCheck();

// Calls fnEnd from the event loop when the system asks the program to end: SIGTERM, as a
// desktop session ends, and SIGHUP, as the terminal it runs in closes.
void OnEndRequest(QObject* pContext, std::function<void()> fnEnd);

// The plain word, one line.
extern const char* const kNoDisplayText;
