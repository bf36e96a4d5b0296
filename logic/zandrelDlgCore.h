// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The main dialog's behaviour, whatever draws it: the number state, its events and its closing.
#pragma once

#include "DialogSurface.h"
#include "zandrelNumberFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

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

// What a control reports.
enum class CNotify {
    Clicked, // a button, a radio button (also when already checked) or the check box
    Changed, // the entry's text
};

// The number state of the main dialog, its event table and its closing, free of any window
// system. Each window holds one and implements its surface; the window hands every event of its
// controls and of itself to the calls below and does nothing else with them.
class CZandrelDlgCore {
public:
    explicit CZandrelDlgCore(CDialogSurface& surface);
    CZandrelDlgCore(const CZandrelDlgCore&) = delete;
    CZandrelDlgCore& operator=(const CZandrelDlgCore&) = delete;

    // Seams for tests: the tick count that seeds "get", and the file layer.
    void SetTickSource(std::function<std::uint32_t()> fnTicks)
    {
        m_fnTickCount = std::move(fnTicks);
    }
    void SetFileOps(CFileOps& ops) { m_numberFile.SetFileOps(ops); }

    // ---- Events, as the window hands them in ----------------------------------------------------
    // Initialisation, once the window itself is set up (its menu and icons): load the file, tick
    // "使用", show the state and set the enable state of "set".
    void InitNumberState();
    // A control's event, through the event table; false for one the table does not hold.
    bool OnCommand(int nID, CNotify code);
    // A window-menu command; false leaves it to the window's default handling.
    bool OnSysCommand(unsigned nID);
    // Close requests. OnClose: the close box, Alt+F4, the window menu's Close, another program's
    // close message; OnCancel: "end" and Escape. Either saves what a failed save kept, asking
    // while that fails, and ends the run unless the user chooses to stay. A request while a box is
    // open is ignored: the box is answered first.
    void OnClose();
    void OnCancel();
    // The system asks the program to end (the session ends, a signal): at any moment, a box open
    // or not, one more try to save what is kept, with no box, then the program ends.
    void OnEndRequest();

    // ---- Handlers and operations ---------------------------------------------------------------
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

    // Digits of the current kind: three for kind 0, four for any other.
    int DigitCount() const { return m_nKind != 0 ? 4 : 3; }
    // Whether a registration that a failed save kept is still waiting to be saved.
    bool IsKept(int nKind) const { return m_numberFile.IsKept(nKind); }

    std::string m_strPrevNo;
    std::string m_strEntryNorm;
    CPrevBuffer m_pszPrevNo4;
    CPrevBuffer m_pszPrevNo3;
    int m_nKind = -1;
    std::string m_strEntry;
    int m_bUsePrev = 0;

private:
    struct CEventEntry {
        int nID;
        CNotify code;
        void (CZandrelDlgCore::*pfnHandler)();
    };
    static const CEventEntry s_eventTable[];

    void SwitchKind(int nKind, const CPrevBuffer& buffer);
    void EnableSet(bool bOn);
    // Writes both kinds; nFresh is the kind just registered, or -1.
    StoreWriteResult SaveNumbers(int nFresh);
    // Before the window closes: true when it may.
    bool SaveBeforeClose();
    std::string KeptNumbersText();
    CPrevBuffer& PrevBuffer(int nKind) { return nKind != 0 ? m_pszPrevNo4 : m_pszPrevNo3; }
    // Closes the window unless a box is open or the user chooses to stay; bRelease for the close
    // box's path, which lets go of the numbers first.
    void EndRun(bool bRelease);

    // Every box opens through this: it counts the boxes open, and opens none once the program is
    // ending.
    template <class FnBox> void InBox(FnBox fnBox)
    {
        if (!m_bEnding) {
            ++m_nBoxes;
            fnBox();
            --m_nBoxes;
        }
    }

    CDialogSurface& m_surface;
    std::function<std::uint32_t()> m_fnTickCount;
    // The verdict the validation last gave "set"; the handler acts on nothing else.
    bool m_bSetAllowed = false;
    // Keeps what a failed save could not write; meanwhile "set" takes the same digits again.
    CNumberFile m_numberFile;
    // Boxes open now (a box's own loop runs events, so requests arrive while one is open).
    int m_nBoxes = 0;
    // An end request was taken: nothing more is asked of the user.
    bool m_bEnding = false;
};
