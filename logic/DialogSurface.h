// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// What the number logic needs from its window: one control at a time. The window binds these to
// real controls; tests bind them to a recording fake. The exchange between the controls and the
// state is the logic's own, written over these.
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
    // How many bytes of UTF-8 the user may type or paste into an entry.
    virtual void limitEntry(int id, int nBytes) = 0;

    // On the entry box this raises its text-changed event every time, even for the same text.
    virtual void setItemText(int id, const std::string& text) = 0;
    virtual void enableItem(int id, bool on) = 0;
    // A plain OK box; returns when the user has closed it.
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;
    // A box with Retry and Cancel; true for Retry.
    virtual bool askRetry(const std::string& text, const std::string& caption) = 0;
    // The exchange's own report: an OK box with a warning icon, captioned with the window's title.
    virtual void showWarning(const std::string& text) = 0;

protected:
    CDialogSurface() = default;
    CDialogSurface(const CDialogSurface&) = default;
    CDialogSurface& operator=(const CDialogSurface&) = default;
};
