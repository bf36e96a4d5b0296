// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The shell's platform calls where a desktop is always there (macOS, Windows): nothing to do.
#include "zandrelStartup.h"

const char* const kNoDisplayText = "zandrel: needs a graphical desktop\n";
void PrepareProcess() {}
bool DisplayReachable()
{
    return true;
}
void ReleaseDisplayCheck() {}
void OnEndRequest(QObject*, std::function<void()>) {}
