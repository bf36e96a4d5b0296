// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The seam between the number logic and a window: what the core asks of the controls and boxes.
#pragma once

#include <string>

// How the user answers the box that asks before closing with a registration that is not saved.
enum class CCloseAnswer {
    TryAgain,
    Discard, // close without saving
    Stay,    // Cancel or Escape: the window stays open and the number stays kept
};

// What the number logic needs from its window: one control at a time, and the boxes. A window
// implements these for the core it holds; tests bind them to a recording fake. The exchange
// between the controls and the state is the core's own, written over these.
class CDialogSurface {
public:
    virtual ~CDialogSurface() = default;

    // Reads and writes for the exchange; none raises a control notification. Checking a radio
    // button unchecks the others of its group.
    virtual bool isChecked(int id) = 0;
    virtual void setCheck(int id, bool on) = 0;
    virtual std::string itemText(int id) = 0;
    // Sets an entry's text silently and shown whole, however long.
    virtual void setEntryText(int id, const std::string& text) = 0;
    // How many bytes of UTF-8 the user may type or paste into an entry: the window asks
    // LimitEntryEdit of every edit the user makes.
    virtual void limitEntry(int id, int nBytes) = 0;

    // On the entry box this raises its text-changed event every time, even for the same text.
    virtual void setItemText(int id, const std::string& text) = 0;
    virtual void enableItem(int id, bool on) = 0;

    // Boxes, each owned by the window and returning once the user has answered it.
    // A plain OK box.
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;
    // The exchange's own report: an OK box with a warning icon, captioned with the window's title.
    virtual void showWarning(const std::string& text) = 0;
    // The box before closing: an error icon, and the three answers (texts in zandrelTexts.h).
    virtual CCloseAnswer askClose(const std::string& text, const std::string& caption) = 0;
    // The version box.
    virtual void showVersionBox() = 0;

    // Ends the window's modal run.
    virtual void endDialog() = 0;
    // Ends the program now, from wherever it is: every box closes and the run ends, with the
    // process's exit status.
    virtual void endProgram(int nStatus) = 0;

protected:
    CDialogSurface() = default;
    CDialogSurface(const CDialogSurface&) = default;
    CDialogSurface& operator=(const CDialogSurface&) = default;
};
