// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// A user at another program's windows: for each answer given, waits for a dialog window it has
// not answered yet, of a program whose file name holds the text given (say "setup"), prints its
// caption and its message (UTF-8, "caption|message") and answers with that command (1 OK or Next,
// 2 Cancel). Exit status 1 when a window does not appear within 30 seconds.
//   box_answer.exe PROGRAM ANSWER...
#include <set>
#include <string>
#include <windows.h>

namespace {

std::wstring TextOf(HWND hWnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Print(const std::wstring& line)
{
    const std::wstring withEnd = line + L"\n";
    const int nWide = static_cast<int>(withEnd.size());
    std::string utf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), nWide,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), nWide, utf8.data(),
                        static_cast<int>(utf8.size()), nullptr, nullptr);
    DWORD nWritten = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
              &nWritten, nullptr);
}

const wchar_t* g_pszProgram = L"";

bool OfProgram(DWORD nProcess)
{
    const HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, nProcess);
    wchar_t szPath[MAX_PATH] = {};
    DWORD nLen = MAX_PATH;
    const bool bNamed = hProcess && QueryFullProcessImageNameW(hProcess, 0, szPath, &nLen);
    if (hProcess) {
        CloseHandle(hProcess);
    }
    return bNamed && std::wstring(szPath).find(g_pszProgram) != std::wstring::npos;
}

std::set<HWND> g_answered;

BOOL CALLBACK FindBox(HWND hWnd, LPARAM lParam)
{
    wchar_t szClass[16] = {};
    DWORD nProcess = 0;
    GetWindowThreadProcessId(hWnd, &nProcess);
    if (!g_answered.count(hWnd) && IsWindowVisible(hWnd) && GetClassNameW(hWnd, szClass, 16) &&
        std::wstring(szClass) == L"#32770" && OfProgram(nProcess)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        return 2;
    }
    g_pszProgram = argv[1];
    for (int nAnswer = 2; nAnswer < argc; ++nAnswer) {
        HWND hBox = nullptr;
        for (int nTry = 0; nTry < 300 && !hBox; ++nTry) {
            Sleep(100);
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&hBox));
        }
        if (!hBox) {
            return 1;
        }
        // A message box keeps its text in the static control 0xFFFF.
        const HWND hText = GetDlgItem(hBox, 0xFFFF);
        Print(TextOf(hBox) + L"|" + (hText ? TextOf(hText) : L""));
        g_answered.insert(hBox);
        PostMessageW(hBox, WM_COMMAND, static_cast<WPARAM>(_wtoi(argv[nAnswer])), 0);
    }
    return 0;
}
