// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The file calls on Windows.
#include "Wide.h"
#include "zandrelFileOps.h"
#include "zandrelRuntime.h"

#include <windows.h>

namespace {

HANDLE AsHandle(CFileOps::Handle h)
{
    return reinterpret_cast<HANDLE>(h);
}

// A path past MAX_PATH works only in its \\?\ form, which takes no relative parts.
std::wstring LongPath(const std::string& strPath)
{
    std::wstring path = Widen(strPath);
    if (path.size() >= MAX_PATH && path.size() > 2 && path[1] == L':' && path[2] == L'\\') {
        path.insert(0, L"\\\\?\\");
    } else if (path.size() >= MAX_PATH && path.rfind(L"\\\\", 0) == 0 &&
               path.rfind(L"\\\\?\\", 0) != 0) {
        path.replace(0, 2, L"\\\\?\\UNC\\");
    }
    return path;
}

OVERLAPPED At(std::uint32_t nOffset)
{
    OVERLAPPED at{};
    at.Offset = nOffset;
    return at;
}

bool IsDanglingLink(const std::wstring& path)
{
    const DWORD nAttributes = GetFileAttributesW(path.c_str());
    if (nAttributes == INVALID_FILE_ATTRIBUTES ||
        (nAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return false;
    }
    const HANDLE hTarget =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hTarget != INVALID_HANDLE_VALUE) {
        CloseHandle(hTarget);
        return false;
    }
    const DWORD nError = GetLastError();
    return nError == ERROR_FILE_NOT_FOUND || nError == ERROR_PATH_NOT_FOUND;
}

} // namespace

CFileOps::Handle CSystemFileOps::Open(const std::string& strPath, Mode mode, OpenFailure& failure)
{
    // Reading and writing are shared: the byte-range lock, not the open, keeps copies apart, as
    // the lock does on every other platform. Deleting is not: no one removes or renames the file
    // while zandrel holds it. A file this save creates it may remove itself, by its handle.
    const std::wstring path = LongPath(strPath);
    DWORD nAccess = GENERIC_READ;
    if (mode == Mode::Update) {
        nAccess |= GENERIC_WRITE;
    } else if (mode == Mode::Create) {
        nAccess |= GENERIC_WRITE | DELETE;
    }
    const HANDLE h = CreateFileW(path.c_str(), nAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 mode == Mode::Create ? CREATE_NEW : OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        return reinterpret_cast<Handle>(h);
    }
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
        failure = OpenFailure::Missing;
        break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        // A link to nowhere is taken both ways, missing to open and existing to create: it is no
        // file of ours, and it would keep a save trying until the wait ran out.
        failure = IsDanglingLink(path) ? OpenFailure::Refused : OpenFailure::Exists;
        break;
    // Antivirus, backup and sync tools open a file just written, often sharing nothing.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        failure = OpenFailure::Busy;
        break;
    default:
        failure = OpenFailure::Refused;
        break;
    }
    return kNoFile;
}

CFileOps::LockResult CSystemFileOps::TryLock(Handle h, Lock lock)
{
    OVERLAPPED at = At(0);
    const DWORD nFlags =
        LOCKFILE_FAIL_IMMEDIATELY | (lock == Lock::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(AsHandle(h), nFlags, 0, MAXDWORD, MAXDWORD, &at)) {
        return LockResult::Held;
    }
    const DWORD nError = GetLastError();
    return nError == ERROR_LOCK_VIOLATION || nError == ERROR_IO_PENDING ? LockResult::Busy
                                                                        : LockResult::Unsupported;
}

bool CSystemFileOps::IsNamedBy(Handle h, const std::string& strPath)
{
    // A removed file keeps its name until its last handle closes.
    FILE_STANDARD_INFO standard{};
    if (!GetFileInformationByHandleEx(AsHandle(h), FileStandardInfo, &standard, sizeof standard) ||
        standard.DeletePending) {
        return false;
    }
    // Asking for no access at all opens even a file that another program shares with nobody.
    const HANDLE hNamed = CreateFileW(LongPath(strPath).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hNamed == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION open{};
    BY_HANDLE_FILE_INFORMATION named{};
    const bool bSame = GetFileInformationByHandle(AsHandle(h), &open) &&
                       GetFileInformationByHandle(hNamed, &named) &&
                       open.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
                       open.nFileIndexHigh == named.nFileIndexHigh &&
                       open.nFileIndexLow == named.nFileIndexLow;
    CloseHandle(hNamed);
    return bSame;
}

long CSystemFileOps::ReadAt(Handle h, std::uint32_t nOffset, void* pBuf, std::size_t nCount)
{
    OVERLAPPED at = At(nOffset);
    DWORD nRead = 0;
    if (!ReadFile(AsHandle(h), pBuf, static_cast<DWORD>(nCount), &nRead, &at)) {
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return static_cast<long>(nRead);
}

long CSystemFileOps::WriteAt(Handle h, std::uint32_t nOffset, const void* pBuf, std::size_t nCount)
{
    OVERLAPPED at = At(nOffset);
    DWORD nWritten = 0;
    if (!WriteFile(AsHandle(h), pBuf, static_cast<DWORD>(nCount), &nWritten, &at)) {
        return -1;
    }
    return static_cast<long>(nWritten);
}

bool CSystemFileOps::Truncate(Handle h, std::uint32_t nLength)
{
    LARGE_INTEGER at{};
    at.QuadPart = nLength;
    return SetFilePointerEx(AsHandle(h), at, nullptr, FILE_BEGIN) && SetEndOfFile(AsHandle(h));
}

bool CSystemFileOps::Flush(Handle h)
{
    return FlushFileBuffers(AsHandle(h)) != 0;
}

bool CSystemFileOps::FlushFolder(const std::string&)
{
    // NTFS writes a new name to its journal, which its own flush of the file's handle carries to
    // the disk; Windows offers programs no flush of a folder.
    return true;
}

bool CSystemFileOps::Close(Handle h)
{
    // Unlocked before the close: Windows frees the locks of a closed handle only in its own time.
    OVERLAPPED at = At(0);
    UnlockFileEx(AsHandle(h), 0, MAXDWORD, MAXDWORD, &at);
    return CloseHandle(AsHandle(h)) != 0;
}

bool CSystemFileOps::Remove(Handle h, const std::string&)
{
    // By the handle: the file removed is the one this save holds, whatever the name holds now.
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(AsHandle(h), FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

std::uint32_t CSystemFileOps::Ticks()
{
    return SystemTickCount();
}

void CSystemFileOps::Pause()
{
    ::Sleep(1);
}

CFileOps& SystemFileOps()
{
    static CSystemFileOps s_ops;
    return s_ops;
}
