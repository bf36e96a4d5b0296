// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The window menu the dialog carries on Linux, where the window manager's is closed to it.
#include "SystemMenu.h"

#include <QKeySequence>
#include <QWidget>

CSystemMenu::CSystemMenu(QWidget* pOwner, bool bMinimizeBox) : QMenu(pOwner), m_pOwner(pOwner)
{
    setObjectName(QStringLiteral("SystemMenu"));
    // A popup does not inherit its owner's font, and platform themes give menus one of their own
    // in which the half-width kana of the version item do not fit: the menu speaks as the dialog.
    setFont(pOwner->font());
    if (bMinimizeBox) {
        AppendItem(SC_MINIMIZE, tr("Mi&nimize"));
    }
    QAction* pClose = AppendItem(SC_CLOSE, tr("&Close"));
    pClose->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    pClose->setShortcutContext(
        Qt::WidgetShortcut); // shown, not bound: the window manager has Alt+F4
}

QAction* CSystemMenu::AppendItem(unsigned nCommand, const QString& text)
{
    QAction* pAction = addAction(text);
    pAction->setData(nCommand);
    return pAction;
}

unsigned CSystemMenu::CommandOf(const QAction* pAction)
{
    return pAction->data().toUInt();
}

void CSystemMenu::PopupAtOwner()
{
    popup(m_pOwner->mapToGlobal(QPoint(0, 0)));
}
