// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include "DialogSurface.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class CFileOps;
enum class StoreWriteResult;

// Full path of zandrel.ini, fixed when the dialog loads so that a later change of the working
// directory does not move the file. Empty until then.
extern std::string g_strStorePath;

// A stored previous number. A registered number lives in a block of its own, exactly its length
// plus one byte; "none registered" is the one shared empty text, which is never freed. Ownership
// sits in the type, so a block can neither be freed twice nor the shared text freed at all.
class CPrevBuffer {
public:
    CPrevBuffer() = default;
    CPrevBuffer(const CPrevBuffer&) = delete;
    CPrevBuffer& operator=(const CPrevBuffer&) = delete;

    const char* c_str() const { return m_pBlock ? m_pBlock.get() : s_szEmpty; }
    std::string_view View() const { return c_str(); }
    bool IsEmpty() const { return !m_pBlock; }

    // An empty text refers to the shared empty text rather than a block of its own.
    void Assign(std::string_view text);
    void Release() { m_pBlock.reset(); }

private:
    static constexpr char s_szEmpty[] = "";
    std::unique_ptr<char[]> m_pBlock;
};

// Where a minimised dialog draws its icon in its client area: centred, an odd pixel to the right
// and below.
struct CIconOrigin {
    int x;
    int y;
};
constexpr CIconOrigin IconOrigin(int cxClient, int cyClient, int cxIcon, int cyIcon)
{
    return {(cxClient - cxIcon + 1) / 2, (cyClient - cyIcon + 1) / 2};
}

// The number state of the main dialog and the operations on it, free of any window system. The
// window derives from this and supplies the surface; its handlers call straight into these.
class CZandrelDlgCore {
public:
    explicit CZandrelDlgCore(CDialogSurface& surface);
    virtual ~CZandrelDlgCore() = default;
    CZandrelDlgCore(const CZandrelDlgCore&) = delete;
    CZandrelDlgCore& operator=(const CZandrelDlgCore&) = delete;

    // Seams for tests: the tick count that seeds "get", and the file layer.
    void SetTickSource(std::function<std::uint32_t()> fnTicks)
    {
        m_fnTickCount = std::move(fnTicks);
    }
    void SetFileOps(CFileOps& ops) { m_pFileOps = &ops; }

    void RefreshPrevDisplay();
    void OnKind3();
    void OnKind4();
    void RegisterPrevNumber();
    static void FreePrevBuffer(CPrevBuffer& buffer) { buffer.Release(); }
    // The part of the close handler that belongs to the number state.
    void ReleasePrevNumbers();

    // The exchange with the controls, which raises none of their notifications. readControls
    // is false when the entry breaks its length limit, which it reports; callers carry on with
    // whatever the members now hold.
    bool readControls();
    void writeControls();

    bool ValidateEntry();
    void OnEntryChange() { ValidateEntry(); }
    void OnUseCheck() { readControls(); }
    void OnSet();
    void OnGet();

    void LoadPrevNumbers();
    void SavePrevNumbers();
    // Before the window closes, by any way: a registration kept from a failed save is saved once
    // more, and where that fails too the user chooses to try again or to close without it.
    void SaveBeforeClose();
    // The desktop session ends: one more try to save what is kept, without a box.
    void OnEndSession();

    // What the dialog's initialisation does for the numbers once the window itself is set up:
    // load the file, tick "使用", show the state and set the enable state of "set".
    void InitNumberState();

    // Digits of the current kind: three for kind 0, four for any other.
    int DigitCount() const { return m_nKind != 0 ? 4 : 3; }

    std::string m_strPrevNo;
    std::string m_strEntryNorm;
    CPrevBuffer m_pszPrevNo4;
    CPrevBuffer m_pszPrevNo3;
    int m_nKind = -1;
    std::string m_strEntry;
    int m_bUsePrev = 0;

private:
    void SwitchKind(int nKind, const CPrevBuffer& buffer);
    void EnableSet(bool bOn);
    // Writes both kinds; nFresh is the kind just registered, or -1.
    StoreWriteResult SaveNumbers(int nFresh);
    std::string UnsavedNumbersText();
    CPrevBuffer& PrevBuffer(int nKind) { return nKind != 0 ? m_pszPrevNo4 : m_pszPrevNo3; }
    bool& Unsaved(int nKind) { return nKind != 0 ? m_bUnsaved4 : m_bUnsaved3; }
    std::string& FileNo(int nKind) { return nKind != 0 ? m_strFileNo4 : m_strFileNo3; }

    CDialogSurface& m_surface;
    CFileOps* m_pFileOps;
    std::function<std::uint32_t()> m_fnTickCount;
    // The verdict the validation last gave "set"; the handler acts on nothing else.
    bool m_bSetAllowed = false;
    // A kind whose registration could not be saved: it stays marked until a save succeeds, which
    // then writes it from memory, and "set" takes the same digits again meanwhile. Only a kind
    // with a number is marked.
    bool m_bUnsaved3 = false;
    bool m_bUnsaved4 = false;
    // What the file held for each kind when this copy last read or wrote it: a kept registration
    // goes in only while the file still holds that, for anything else there is another copy's
    // later registration.
    std::string m_strFileNo3;
    std::string m_strFileNo4;
};
