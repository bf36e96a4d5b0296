// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Time from process start to the window shown: zandrel against the bare dialog, each started as a
// fresh process, in turn, in an empty folder. Prints both medians, their ratio and the size of
// zandrel.exe. Usage: startup_bench BARE.exe ZANDREL.exe [RUNS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <windows.h>

namespace {

struct CFound {
    DWORD nProcess;
    HWND hWnd;
};

HWND ShownWindowOf(DWORD nProcess)
{
    CFound found{nProcess, nullptr};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto& f = *reinterpret_cast<CFound*>(lParam);
            DWORD nOwner = 0;
            GetWindowThreadProcessId(hWnd, &nOwner);
            if (nOwner == f.nProcess && IsWindowVisible(hWnd)) {
                f.hWnd = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.hWnd;
}

double Now()
{
    LARGE_INTEGER nCount, nFrequency;
    QueryPerformanceCounter(&nCount);
    QueryPerformanceFrequency(&nFrequency);
    return 1000.0 * static_cast<double>(nCount.QuadPart) / static_cast<double>(nFrequency.QuadPart);
}

// Milliseconds from the start of the process to its window shown; negative when it never shows.
double TimeOneStart(const std::wstring& strExe)
{
    std::wstring strCommand = L"\"" + strExe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double t0 = Now();
    if (!CreateProcessW(strExe.c_str(), strCommand.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        return -1;
    }
    HWND hWnd = nullptr;
    double t1 = t0;
    while ((hWnd = ShownWindowOf(pi.dwProcessId)) == nullptr && Now() - t0 < 20000) {
        Sleep(1);
    }
    t1 = Now();
    if (hWnd != nullptr) {
        PostMessageW(hWnd, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return hWnd != nullptr ? t1 - t0 : -1;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::wstring FullPath(const wchar_t* pszPath)
{
    wchar_t szFull[MAX_PATH * 4];
    const DWORD nLen = GetFullPathNameW(pszPath, MAX_PATH * 4, szFull, nullptr);
    return nLen > 0 && nLen < MAX_PATH * 4 ? szFull : pszPath;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fputs("usage: startup_bench BARE.exe ZANDREL.exe [RUNS]\n", stderr);
        return 2;
    }
    const std::wstring strBare = FullPath(argv[1]);
    const std::wstring strZandrel = FullPath(argv[2]);
    const int nRuns = argc > 3 ? std::max(1, _wtoi(argv[3])) : 21;
    std::vector<double> bare, zandrel;
    TimeOneStart(strBare); // the first start of each warms the caches
    TimeOneStart(strZandrel);
    for (int i = 0; i < nRuns; ++i) {
        for (auto [pExe, pTimes] : {std::pair{&strBare, &bare}, std::pair{&strZandrel, &zandrel}}) {
            const double ms = TimeOneStart(*pExe);
            if (ms < 0) {
                std::fprintf(stderr, "startup_bench: a window never showed\n");
                return 1;
            }
            pTimes->push_back(ms);
        }
    }
    WIN32_FILE_ATTRIBUTE_DATA info{};
    GetFileAttributesExW(strZandrel.c_str(), GetFileExInfoStandard, &info);
    const double bareMs = Median(bare), zandrelMs = Median(zandrel);
    std::printf("bare dialog  median %7.1f ms (%d runs)\n", bareMs, nRuns);
    std::printf("zandrel      median %7.1f ms (%d runs)\n", zandrelMs, nRuns);
    std::printf("ratio        %.3f\n", zandrelMs / bareMs);
    std::printf("zandrel.exe  %lu bytes\n", static_cast<unsigned long>(info.nFileSizeLow));
    return 0;
}
