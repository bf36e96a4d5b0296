// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The window menu the dialog carries on Linux, where the window manager's is closed to it.
#pragma once

#include <QMenu>

class QWidget;

// The window menu of a dialog. Window managers on Linux keep their own window menu closed to
// programs, so the dialog carries this one: the usual window commands, to which the dialog may
// append its own items. Every item carries a system command identifier, delivered through
// QMenu::triggered.
class CSystemMenu : public QMenu {
    Q_OBJECT
public:
    static constexpr unsigned SC_MINIMIZE = 0xF020;
    static constexpr unsigned SC_CLOSE = 0xF060;

    explicit CSystemMenu(QWidget* pOwner, bool bMinimizeBox);

    void AppendSeparator() { addSeparator(); }
    QAction* AppendItem(unsigned nCommand, const QString& text);
    static unsigned CommandOf(const QAction* pAction);

    // Opens under the owner's top-left corner, where a window menu is expected from the keyboard.
    void PopupAtOwner();

private:
    QWidget* m_pOwner;
};
