// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrelStore.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
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

// Creates a temporary file beside strPath under a name no other save (in this process or another)
// uses at the same time. Its name goes to strTempPath.
int CreateTempBeside(CFileOps& ops, const std::string& strPath, std::string& strTempPath)
{
    static std::atomic<unsigned> s_nCounter{0};
    for (int nTry = 0; nTry < 100; ++nTry) {
        strTempPath = strPath + "." + std::to_string(getpid()) + "." +
                      std::to_string(s_nCounter.fetch_add(1)) + ".tmp";
        const int fd = ops.Open(strTempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
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
    // Opening the existing file for writing keeps a read-only file protected and gives us the
    // descriptor to lock. It is never written through: the new bytes replace it by rename.
    CFileHandle target(ops, ops.Open(strPath.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK, 0));
    if (!target.IsOpen() && errno != ENOENT) {
        return StoreWriteResult::OpenFailed;
    }
    mode_t nMode = 0;
    bool bKeepMode = false;
    if (target.IsOpen()) {
        struct stat st {};
        if (ops.Flock(target.Get(), LOCK_EX | LOCK_NB) != 0 || ops.Fstat(target.Get(), &st) != 0 ||
            !S_ISREG(st.st_mode)) {
            return StoreWriteResult::OpenFailed;
        }
        nMode = st.st_mode & 07777;
        bKeepMode = true;
    }

    std::string strTempPath;
    CFileHandle temp(ops, CreateTempBeside(ops, strPath, strTempPath));
    if (!temp.IsOpen()) {
        return StoreWriteResult::OpenFailed;
    }
    const bool bWritten = (!bKeepMode || ops.Fchmod(temp.Get(), nMode) == 0) &&
                          WriteAll(ops, temp.Get(), bytes) && ops.Fsync(temp.Get()) == 0 &&
                          temp.Close() && ops.Rename(strTempPath.c_str(), strPath.c_str()) == 0;
    if (!bWritten) {
        temp.Close();
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
