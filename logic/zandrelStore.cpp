// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrelStore.h"

#include <chrono>
#include <cstdint>
#include <thread>

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

// Opens the file and takes the lock, waiting while another copy holds it. kNoFile when either
// cannot be had.
CFileOps::Handle OpenLocked(CFileOps& ops, const std::string& strPath, CFileOps::Mode mode,
                            CFileOps::Lock lock)
{
    const CFileOps::Handle h = strPath.empty() ? CFileOps::kNoFile : ops.Open(strPath, mode);
    if (h == CFileOps::kNoFile) {
        return h;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
    while (ops.TryLock(h, lock) == CFileOps::LockResult::Busy) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ops.Close(h);
            return CFileOps::kNoFile;
        }
        // Often: another copy's save holds the lock for milliseconds and is let go for far less,
        // so a rare look would keep missing the moment it is free.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return h;
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

bool WriteWhole(CFileOps& ops, CFileOps::Handle h, std::string_view bytes)
{
    return ops.WriteAt(h, 0, bytes.data(), bytes.size()) == static_cast<long>(bytes.size()) &&
           ops.Truncate(h, static_cast<std::uint32_t>(bytes.size())) && ops.Flush(h);
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
    CFile file(ops, OpenLocked(ops, strPath, CFileOps::Mode::Update, CFileOps::Lock::Exclusive));
    if (!file.IsOpen()) {
        return StoreWriteResult::OpenFailed;
    }
    const std::optional<std::string> old = ReadAll(ops, file.Get());
    const std::string bytes = fnCompose(old);
    const long nWritten = ops.WriteAt(file.Get(), 0, bytes.data(), bytes.size());
    if (nWritten == static_cast<long>(bytes.size()) &&
        ops.Truncate(file.Get(), static_cast<std::uint32_t>(bytes.size())) &&
        ops.Flush(file.Get())) {
        return file.Close() ? StoreWriteResult::Ok : StoreWriteResult::WriteFailed;
    }
    // Nothing written leaves the old bytes as they were. Anything else is undone; new bytes cut
    // short over old ones could read as a number nobody registered, so a file that cannot be put
    // back is emptied instead.
    if (nWritten > 0 && !(old && WriteWhole(ops, file.Get(), *old)) &&
        nWritten < static_cast<long>(bytes.size())) {
        ops.Truncate(file.Get(), 0);
        ops.Flush(file.Get());
    }
    return StoreWriteResult::WriteFailed;
}
