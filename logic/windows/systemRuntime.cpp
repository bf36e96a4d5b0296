// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The runtime's system calls on Windows: the tick count and the working directory.
#include "Wide.h"
#include "zandrelRuntime.h"

#include <windows.h>

const char kPathSeparator = '\\';

std::uint32_t SystemTickCount()
{
    return ::GetTickCount();
}

std::string GetWorkingDirectory()
{
    // Asked for its length first: a working directory may be longer than MAX_PATH.
    const DWORD nNeeded = GetCurrentDirectoryW(0, nullptr);
    if (nNeeded == 0) {
        return {};
    }
    std::wstring dir(nNeeded, L'\0');
    const DWORD nLen = GetCurrentDirectoryW(nNeeded, dir.data());
    if (nLen == 0 || nLen >= nNeeded) {
        return {};
    }
    dir.resize(nLen);
    return Narrow(dir);
}
