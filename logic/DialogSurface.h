// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// What the number logic needs from its window. The window binds these to real controls; tests
// bind them to a recording fake.
class CDialogSurface {
public:
    virtual ~CDialogSurface() = default;

    // Copies the controls into the state. False when the entry breaks its length limit; callers
    // carry on with whatever the members now hold.
    virtual bool readControls() = 0;
    // Copies the state into the controls without raising any control notification.
    virtual void writeControls() = 0;
    // On the entry box this raises its text-changed event every time, even for the same text.
    virtual void setItemText(int id, const std::string& text) = 0;
    virtual void enableItem(int id, bool on) = 0;
    // A plain OK box; returns when the user has closed it.
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;

protected:
    CDialogSurface() = default;
    CDialogSurface(const CDialogSurface&) = default;
    CDialogSurface& operator=(const CDialogSurface&) = default;
};
