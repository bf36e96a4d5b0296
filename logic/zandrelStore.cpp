// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// zandrel.ini's bytes, and its reading and in-place writing under a lock, safe against crashes.
#include "zandrelStore.h"

#include <cstdint>
#include <limits>

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
    const std::uint32_t nStart = ops.Ticks();
    const auto waitOn = [&] {
        // Often: another copy's save holds the lock for milliseconds and is let go for far less,
        // so a rare look would keep missing the moment it is free.
        if (ops.Ticks() - nStart >= static_cast<std::uint32_t>(kLockWaitMs)) {
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

// Decoded alike: what a start would show.
bool LoadsAs(std::string_view bytes, std::string_view other)
{
    const CStoreRecords a = DecodeStore(bytes);
    const CStoreRecords b = DecodeStore(other);
    return a.m_str3 == b.m_str3 && a.m_str4 == b.m_str4;
}

// Where the file's length is not known, after a write that failed part-way.
constexpr std::size_t kLengthUnknown = std::numeric_limits<std::size_t>::max();

// The bytes in place of what the file holds (nLength bytes), in an order after which a crash at
// any point leaves a file that loads as the one or the other. A disk writes a sector whole, but
// the file's length may reach it apart from the bytes. Growing, the room is made and flushed
// first: a crash then leaves the old bytes followed by zeros, which load as the old numbers, and
// the new bytes are never cut at the old length. Shrinking, the bytes are flushed before the cut:
// new bytes before a tail of the old load as the new numbers, whereas a cut that reached the disk
// first would leave the old numbers cut short.
bool WriteInOrder(CFileOps& ops, CFileOps::Handle h, std::size_t nLength, std::string_view bytes)
{
    const auto nNew = static_cast<std::uint32_t>(bytes.size());
    if (bytes.size() > nLength && !(ops.Truncate(h, nNew) && ops.Flush(h))) {
        return false;
    }
    if (ops.WriteAt(h, 0, bytes.data(), bytes.size()) != static_cast<long>(bytes.size()) ||
        !ops.Flush(h)) {
        return false;
    }
    return bytes.size() >= nLength || (ops.Truncate(h, nNew) && ops.Flush(h));
}

std::optional<CStoreRecords> RecordsOf(CFileOps& ops, CFileOps::Handle h)
{
    const std::optional<std::string> bytes = ReadAll(ops, h);
    return bytes ? std::optional(DecodeStore(*bytes)) : std::nullopt;
}

} // namespace

std::optional<CStoreRecords> ReadStoreFile(CFileOps& ops, const std::string& strPath)
{
    const CFile file(ops, OpenLocked(ops, strPath, CFileOps::Mode::Read, CFileOps::Lock::Shared));
    return file.IsOpen() ? RecordsOf(ops, file.Get()) : std::nullopt;
}

std::optional<CStoreRecords> PeekStoreFile(CFileOps& ops, const std::string& strPath)
{
    auto failure = CFileOps::OpenFailure::Refused;
    const CFile file(ops, strPath.empty() ? CFileOps::kNoFile
                                          : ops.Open(strPath, CFileOps::Mode::Read, failure));
    return file.IsOpen() ? RecordsOf(ops, file.Get()) : std::nullopt;
}

StoreWriteResult UpdateStoreFile(CFileOps& ops, const std::string& strPath,
                                 const CStoreCompose& fnCompose,
                                 std::optional<CStoreRecords>* pAfter)
{
    std::optional<CStoreRecords> unused;
    std::optional<CStoreRecords>& after = pAfter != nullptr ? *pAfter : unused;
    bool bCreated = false;
    CFile file(ops, OpenLocked(ops, strPath, CFileOps::Mode::Update, CFileOps::Lock::Exclusive,
                               &bCreated));
    if (!file.IsOpen()) {
        return StoreWriteResult::OpenFailed;
    }
    // Without the bytes the file holds, the other kind would be written blind, over whatever
    // another copy saved for it.
    const std::optional<std::string> old = ReadAll(ops, file.Get());
    if (!old) {
        return StoreWriteResult::OpenFailed;
    }
    // The file is this save's own only while it is still empty under the lock: another copy may
    // have opened the file this one created, and saved into it first.
    const bool bOwnNewFile = bCreated && old->empty();
    const std::string bytes = fnCompose(*old);
    if (WriteInOrder(ops, file.Get(), old->size(), bytes)) {
        const bool bNamed = !bCreated || ops.FlushFolder(strPath);
        // Flushed, the bytes are the file's: at most a late report or the folder's flush failed.
        after = DecodeStore(bytes);
        return file.Close() && bNamed ? StoreWriteResult::Ok : StoreWriteResult::WriteFailed;
    }
    // Undone: the old bytes go back. Where even that fails, what the file holds now decides: old
    // numbers, or new ones, stay; only a mix that loads as neither is emptied rather than left to
    // be read as numbers nobody registered. Where even emptying fails, the file says what it holds.
    if (!WriteInOrder(ops, file.Get(), kLengthUnknown, *old)) {
        const std::optional<std::string> now = ReadAll(ops, file.Get());
        if (!now || !(LoadsAs(*now, *old) || LoadsAs(*now, bytes))) {
            (void)(ops.Truncate(file.Get(), 0) && ops.Flush(file.Get()));
        }
    }
    after = bOwnNewFile && ops.Remove(file.Get(), strPath) ? CStoreRecords{}
                                                           : RecordsOf(ops, file.Get());
    return StoreWriteResult::WriteFailed;
}
