// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrelStore.h"

#include "zandrelRuntime.h"

#include <cstdint>

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
        if (nLen != 0) {
            if (nLen > kMaxStoredDigits || bytes.size() - nPos < nLen + 1 ||
                bytes[nPos + nLen] != '\0') {
                break;
            }
            const std::string_view text = bytes.substr(nPos, nLen);
            *pText = std::string(text.substr(0, text.find('\0')));
            nPos += nLen + 1;
        }
        ++records.m_nWhole;
    }
    return records;
}

namespace {

// Owns one open file; Close() reports the close's own result, which matters after writing.
class CFile {
public:
    CFile(CFileOps& ops, CFileOps::Handle h) : m_ops(ops), m_h(h) {}
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile() { Close(); }

    CFileOps::Handle Get() const { return m_h; }
    bool IsOpen() const { return m_h != CFileOps::kNoFile; }
    bool Close()
    {
        if (!IsOpen()) {
            return true;
        }
        const bool bClosed = m_ops.Close(m_h);
        m_h = CFileOps::kNoFile;
        return bClosed;
    }

private:
    CFileOps& m_ops;
    CFileOps::Handle m_h;
};

// Opens the file the path names and locks it, waiting while another program holds either the
// file or the lock, and opening again where the file was replaced or removed while this waited:
// bytes written through the handle then land in the file the path names. Update creates a missing
// file and says so through pbCreated. kNoFile when nothing can be had within the wait.
CFileOps::Handle OpenLocked(CFileOps& ops, const std::string& strPath, CFileOps::Mode mode,
                            CFileOps::Lock lock, bool* pbCreated = nullptr)
{
    if (strPath.empty()) {
        return CFileOps::kNoFile;
    }
    const std::uint32_t nStart = SystemTickCount();
    const auto waitOn = [&] {
        // Often: another copy's save holds the lock for milliseconds and is let go for far less,
        // so a rare look would keep missing the moment it is free.
        if (SystemTickCount() - nStart >= static_cast<std::uint32_t>(kLockWaitMs)) {
            return false;
        }
        ops.Pause();
        return true;
    };
    for (;;) {
        auto failure = CFileOps::OpenFailure::Refused;
        bool bCreated = false;
        CFileOps::Handle h = ops.Open(strPath, mode, failure);
        if (h == CFileOps::kNoFile && mode == CFileOps::Mode::Update &&
            failure == CFileOps::OpenFailure::Missing) {
            h = ops.Open(strPath, CFileOps::Mode::Create, failure);
            bCreated = h != CFileOps::kNoFile;
        }
        if (h == CFileOps::kNoFile) {
            // Exists: another copy created the file in between; open it as it stands.
            const bool bAgain =
                failure == CFileOps::OpenFailure::Busy || failure == CFileOps::OpenFailure::Exists;
            if (bAgain && waitOn()) {
                continue;
            }
            return h;
        }
        CFileOps::LockResult result;
        while ((result = ops.TryLock(h, lock)) == CFileOps::LockResult::Busy && waitOn()) {
        }
        if (result != CFileOps::LockResult::Busy && ops.IsNamedBy(h, strPath)) {
            if (pbCreated != nullptr) {
                *pbCreated = bCreated;
            }
            return h;
        }
        ops.Close(h);
        if (result == CFileOps::LockResult::Busy || !waitOn()) {
            return CFileOps::kNoFile;
        }
    }
}

// A valid file is at most 17 bytes; a little more shows the tail of an interrupted save, and
// nothing larger is ever needed.
constexpr std::size_t kReadLimit = 64;

std::optional<std::string> ReadAll(CFileOps& ops, CFileOps::Handle h)
{
    std::string bytes(kReadLimit, '\0');
    std::size_t nHave = 0;
    while (nHave < kReadLimit) {
        const long nRead = ops.ReadAt(h, static_cast<std::uint32_t>(nHave), bytes.data() + nHave,
                                      kReadLimit - nHave);
        if (nRead < 0) {
            return std::nullopt;
        }
        if (nRead == 0) {
            break;
        }
        nHave += static_cast<std::size_t>(nRead);
    }
    bytes.resize(nHave);
    return bytes;
}

// The bytes from the start, then the file cut to their length and flushed; pbTouched tells
// whether any byte reached the file.
bool WriteWhole(CFileOps& ops, CFileOps::Handle h, std::string_view bytes,
                bool* pbTouched = nullptr)
{
    const long nWritten = ops.WriteAt(h, 0, bytes.data(), bytes.size());
    if (pbTouched != nullptr) {
        *pbTouched = nWritten > 0;
    }
    return nWritten == static_cast<long>(bytes.size()) &&
           ops.Truncate(h, static_cast<std::uint32_t>(bytes.size())) && ops.Flush(h);
}

// The old bytes back in place of new ones; impossible where they could not be read.
bool PutBack(CFileOps& ops, CFileOps::Handle h, const std::optional<std::string>& old)
{
    return old && WriteWhole(ops, h, *old);
}

// Holds no number at all: loads as none registered.
void Empty(CFileOps& ops, CFileOps::Handle h)
{
    ops.Truncate(h, 0);
    ops.Flush(h);
}

} // namespace

std::optional<std::string> ReadStoreFile(CFileOps& ops, const std::string& strPath)
{
    const CFile file(ops, OpenLocked(ops, strPath, CFileOps::Mode::Read, CFileOps::Lock::Shared));
    return file.IsOpen() ? ReadAll(ops, file.Get()) : std::nullopt;
}

StoreWriteResult UpdateStoreFile(
    CFileOps& ops, const std::string& strPath,
    const std::function<std::string(const std::optional<std::string>& current)>& fnCompose)
{
    bool bCreated = false;
    CFile file(ops, OpenLocked(ops, strPath, CFileOps::Mode::Update, CFileOps::Lock::Exclusive,
                               &bCreated));
    if (!file.IsOpen()) {
        return StoreWriteResult::OpenFailed;
    }
    const std::optional<std::string> old = ReadAll(ops, file.Get());
    const std::string bytes = fnCompose(old);
    bool bTouched = false;
    if (WriteWhole(ops, file.Get(), bytes, &bTouched)) {
        return file.Close() ? StoreWriteResult::Ok : StoreWriteResult::WriteFailed;
    }
    // Undone in steps. Where nothing was written, the old bytes stand as they were; otherwise
    // they are put back, and where even that fails the file is emptied, so that no mix of old and
    // new bytes is left to read as a number nobody registered.
    if (bTouched && !PutBack(ops, file.Get(), old)) {
        Empty(ops, file.Get());
    }
    // A file this save made holds nothing now: it goes again.
    if (bCreated && ops.IsNamedBy(file.Get(), strPath)) {
        ops.Remove(strPath);
    }
    return StoreWriteResult::WriteFailed;
}
