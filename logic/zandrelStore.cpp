// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrelStore.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

std::string EncodeStore(std::string_view str3, std::string_view str4)
{
    std::string bytes;
    for (const std::string_view str : {str3, str4}) {
        const auto nLen = static_cast<std::uint32_t>(str.size());
        for (int nShift = 0; nShift < 32; nShift += 8) {
            bytes.push_back(static_cast<char>((nLen >> nShift) & 0xFFu));
        }
        if (nLen != 0) {
            bytes.append(str);
            bytes.push_back('\0');
        }
    }
    return bytes;
}

CStoreRecords DecodeStore(std::string_view bytes)
{
    CStoreRecords records;
    std::size_t nPos = 0;
    for (std::string* pText : {&records.m_str3, &records.m_str4}) {
        if (bytes.size() - nPos < 4) {
            break;
        }
        std::uint32_t nLen = 0;
        for (int i = 3; i >= 0; --i) {
            nLen =
                (nLen << 8) | static_cast<unsigned char>(bytes[nPos + static_cast<std::size_t>(i)]);
        }
        nPos += 4;
        if (nLen == 0) {
            continue;
        }
        if (nLen > kMaxStoredDigits || bytes.size() - nPos < nLen + 1 ||
            bytes[nPos + nLen] != '\0') {
            break;
        }
        const std::string_view text = bytes.substr(nPos, nLen);
        *pText = std::string(text.substr(0, text.find('\0')));
        nPos += nLen + 1;
    }
    return records;
}

int CFileOps::Open(const char* pszPath, int nFlags, mode_t nMode)
{
    return ::open(pszPath, nFlags, nMode);
}
ssize_t CFileOps::Read(int fd, void* pBuf, std::size_t nCount)
{
    return ::read(fd, pBuf, nCount);
}
ssize_t CFileOps::Write(int fd, const void* pBuf, std::size_t nCount)
{
    return ::write(fd, pBuf, nCount);
}
int CFileOps::Fsync(int fd)
{
    return ::fsync(fd);
}
int CFileOps::Fstat(int fd, struct stat* pStat)
{
    return ::fstat(fd, pStat);
}
int CFileOps::Fchmod(int fd, mode_t nMode)
{
    return ::fchmod(fd, nMode);
}
int CFileOps::Fchown(int fd, uid_t nUid, gid_t nGid)
{
    return ::fchown(fd, nUid, nGid);
}
int CFileOps::Ftruncate(int fd, off_t nLength)
{
    return ::ftruncate(fd, nLength);
}
int CFileOps::Flock(int fd, int nOperation)
{
    return ::flock(fd, nOperation);
}
int CFileOps::Close(int fd)
{
    return ::close(fd);
}
int CFileOps::Rename(const char* pszFrom, const char* pszTo)
{
    return ::rename(pszFrom, pszTo);
}
int CFileOps::Unlink(const char* pszPath)
{
    return ::unlink(pszPath);
}

int CFileOps::Lstat(const char* pszPath, struct stat* pStat)
{
    return ::lstat(pszPath, pStat);
}
std::vector<std::string> CFileOps::ListDirectory(const char* pszDir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(pszDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

CFileOps& PosixFileOps()
{
    static CFileOps s_ops;
    return s_ops;
}

namespace {

// Owns one descriptor; Close() reports the close's own result, which matters after writing.
class CFileHandle {
public:
    CFileHandle(CFileOps& ops, int fd) : m_ops(ops), m_fd(fd) {}
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    ~CFileHandle() { Close(); }

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    bool Close()
    {
        if (m_fd < 0) {
            return true;
        }
        const int nResult = m_ops.Close(m_fd);
        m_fd = -1;
        return nResult == 0;
    }

private:
    CFileOps& m_ops;
    int m_fd;
};

bool WriteAll(CFileOps& ops, int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t nWritten = ops.Write(fd, bytes.data(), bytes.size());
        if (nWritten < 0 && errno == EINTR) {
            continue;
        }
        if (nWritten <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(nWritten));
    }
    return true;
}

std::string DirectoryOf(const std::string& strPath)
{
    const auto nSlash = strPath.rfind('/');
    if (nSlash == std::string::npos) {
        return ".";
    }
    return nSlash == 0 ? "/" : strPath.substr(0, nSlash);
}

// Where the new bytes must land: a zandrel.ini that links to a file elsewhere stays a link, and
// the file it points to is the one replaced. A missing file or a broken link is replaced as named.
std::string ResolvedTarget(const std::string& strPath)
{
    const std::unique_ptr<char, decltype(&std::free)> pszReal(realpath(strPath.c_str(), nullptr),
                                                              &std::free);
    return pszReal ? std::string(pszReal.get()) : strPath;
}

// Temporary copies are named ".<file>.<pid>.<n>.tmp": hidden in file managers and listings, and
// unique among all saves running at once. Earlier releases left "<file>.<pid>.<n>.tmp", unlocked.
constexpr std::string_view kTempSuffix = ".tmp";

// The writer's pid when strName is a temporary copy of strBase, in either naming; 0 otherwise.
pid_t TempWriterOf(std::string_view strName, std::string_view strBase, bool& bLegacy)
{
    bLegacy = !strName.starts_with('.');
    if (!bLegacy) {
        strName.remove_prefix(1);
    }
    if (!strName.starts_with(strBase) || !strName.ends_with(kTempSuffix)) {
        return 0;
    }
    strName.remove_prefix(strBase.size());
    strName.remove_suffix(kTempSuffix.size());
    // What is left must be ".<pid>.<n>", both in digits.
    const char* const pEnd = strName.data() + strName.size();
    unsigned long nPid = 0;
    unsigned long nCount = 0;
    if (!strName.starts_with('.')) {
        return 0;
    }
    const auto [pDot, ecPid] = std::from_chars(strName.data() + 1, pEnd, nPid);
    if (ecPid != std::errc() || pDot == pEnd || *pDot != '.') {
        return 0;
    }
    const auto [pLast, ecCount] = std::from_chars(pDot + 1, pEnd, nCount);
    if (ecCount != std::errc() || pLast != pEnd || nPid == 0 || nPid > INT_MAX) {
        return 0;
    }
    return static_cast<pid_t>(nPid);
}

// Creates a temporary copy beside strPath and locks it for as long as this save holds it, so that
// a sweep by another instance leaves it alone. Its name goes to strTempPath. -1 with errno when
// the directory takes no new file.
int CreateTempBeside(CFileOps& ops, const std::string& strPath, std::string& strTempPath)
{
    static std::atomic<unsigned> s_nCounter{0};
    const std::string strPrefix =
        DirectoryOf(strPath) + "/." + std::filesystem::path(strPath).filename().string() + ".";
    for (int nTry = 0; nTry < 100; ++nTry) {
        strTempPath = strPrefix + std::to_string(getpid()) + "." +
                      std::to_string(s_nCounter.fetch_add(1)) + std::string(kTempSuffix);
        const int fd = ops.Open(strTempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return -1;
        }
        // A sweep that came between the create and the lock has removed the name: take another.
        struct stat st {};
        if (ops.Flock(fd, LOCK_EX | LOCK_NB) == 0 && ops.Fstat(fd, &st) == 0 && st.st_nlink > 0) {
            return fd;
        }
        ops.Close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Gives the fresh copy what made the old file the same file to its users. False when the copy
// cannot carry it (another owner that this user may not give away files to).
bool TakeOverIdentity(CFileOps& ops, int fdTemp, const struct stat& old)
{
    struct stat st {};
    if (ops.Fstat(fdTemp, &st) != 0) {
        return false;
    }
    if ((st.st_uid != old.st_uid || st.st_gid != old.st_gid) &&
        ops.Fchown(fdTemp, old.st_uid, old.st_gid) != 0) {
        return false;
    }
    // After the owner: a change of owner clears the set-id bits.
    return ops.Fchmod(fdTemp, old.st_mode & 07777) == 0;
}

// The new bytes in the temporary copy, then the copy renamed over the file. The copy stays locked
// until it is in place: the lock is what keeps a sweep off it.
StoreWriteResult ReplaceWithTemp(CFileOps& ops, int fdTemp, const std::string& strTempPath,
                                 const std::string& strPath, std::string_view bytes)
{
    if (!WriteAll(ops, fdTemp, bytes) || ops.Fsync(fdTemp) != 0 ||
        ops.Rename(strTempPath.c_str(), strPath.c_str()) != 0) {
        ops.Unlink(strTempPath.c_str());
        return StoreWriteResult::WriteFailed;
    }
    // Make the rename itself durable. The new file is already in place, so a failure here is
    // no reason to tell the user the save failed.
    CFileHandle dir(ops,
                    ops.Open(DirectoryOf(strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (dir.IsOpen()) {
        ops.Fsync(dir.Get());
    }
    return StoreWriteResult::Ok;
}

// The file rewritten through its own descriptor: the new bytes over the old ones from the start,
// then cut to their length. A failure part-way can leave a mix of old and new bytes, which the
// load refuses record by record; a plain truncate-and-write leaves a cut file in the same case.
StoreWriteResult RewriteInPlace(CFileOps& ops, CFileHandle& target, std::string_view bytes)
{
    const bool bWritten = WriteAll(ops, target.Get(), bytes) &&
                          ops.Ftruncate(target.Get(), static_cast<off_t>(bytes.size())) == 0 &&
                          ops.Fsync(target.Get()) == 0;
    return bWritten && target.Close() ? StoreWriteResult::Ok : StoreWriteResult::WriteFailed;
}

} // namespace

std::optional<std::string> ReadStoreFile(CFileOps& ops, const std::string& strPath,
                                         std::size_t nLimit)
{
    if (strPath.empty()) {
        return std::nullopt;
    }
    // O_NONBLOCK: a FIFO planted under the file's name must not hang the start.
    CFileHandle file(ops, ops.Open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0));
    if (!file.IsOpen() || ops.Flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
        return std::nullopt;
    }
    std::string bytes(nLimit, '\0');
    std::size_t nHave = 0;
    while (nHave < nLimit) {
        const ssize_t nRead = ops.Read(file.Get(), bytes.data() + nHave, nLimit - nHave);
        if (nRead < 0 && errno == EINTR) {
            continue;
        }
        if (nRead <= 0) {
            break; // end of file, or a read error: what arrived so far is all there is
        }
        nHave += static_cast<std::size_t>(nRead);
    }
    bytes.resize(nHave);
    return bytes;
}

StoreWriteResult WriteStoreFile(CFileOps& ops, const std::string& strNamedPath,
                                std::string_view bytes)
{
    if (strNamedPath.empty()) {
        return StoreWriteResult::OpenFailed;
    }
    const std::string strPath = ResolvedTarget(strNamedPath);
    // Opening the existing file for writing, never creating it here, keeps a read-only file
    // protected and gives the descriptor to lock and, where need be, to write through.
    CFileHandle target(ops, ops.Open(strPath.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK, 0));
    if (!target.IsOpen() && errno != ENOENT) {
        return StoreWriteResult::OpenFailed;
    }
    struct stat old {};
    if (target.IsOpen() && (ops.Flock(target.Get(), LOCK_EX | LOCK_NB) != 0 ||
                            ops.Fstat(target.Get(), &old) != 0 || !S_ISREG(old.st_mode))) {
        return StoreWriteResult::OpenFailed;
    }

    std::string strTempPath;
    CFileHandle temp(ops, CreateTempBeside(ops, strPath, strTempPath));
    if (!target.IsOpen()) {
        // No file yet: only a new one can hold the bytes.
        return temp.IsOpen() ? ReplaceWithTemp(ops, temp.Get(), strTempPath, strPath, bytes)
                             : StoreWriteResult::OpenFailed;
    }
    if (temp.IsOpen() && old.st_nlink == 1 && TakeOverIdentity(ops, temp.Get(), old)) {
        return ReplaceWithTemp(ops, temp.Get(), strTempPath, strPath, bytes);
    }
    if (temp.IsOpen()) {
        ops.Unlink(strTempPath.c_str());
    }
    return RewriteInPlace(ops, target, bytes);
}

void SweepStaleTemps(CFileOps& ops, const std::string& strNamedPath)
{
    if (strNamedPath.empty()) {
        return;
    }
    const std::string strPath = ResolvedTarget(strNamedPath);
    const std::string strDir = DirectoryOf(strPath);
    const std::string strBase = std::filesystem::path(strPath).filename().string();
    for (const std::string& strName : ops.ListDirectory(strDir.c_str())) {
        bool bLegacy = false;
        const pid_t nWriter = TempWriterOf(strName, strBase, bLegacy);
        // Earlier releases did not lock their copies: theirs go only once the writer is gone.
        if (nWriter == 0 || (bLegacy && (kill(nWriter, 0) == 0 || errno != ESRCH))) {
            continue;
        }
        const std::string strTemp = strDir + "/" + strName;
        CFileHandle file(
            ops, ops.Open(strTemp.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0));
        struct stat held {};
        struct stat named {};
        // Locked: its writer still runs. A name that now stands for another file is not ours.
        if (!file.IsOpen() || ops.Flock(file.Get(), LOCK_EX | LOCK_NB) != 0 ||
            ops.Fstat(file.Get(), &held) != 0 || !S_ISREG(held.st_mode) ||
            ops.Lstat(strTemp.c_str(), &named) != 0 || named.st_ino != held.st_ino ||
            named.st_dev != held.st_dev) {
            continue;
        }
        ops.Unlink(strTemp.c_str());
    }
}
