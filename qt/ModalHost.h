// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The message boxes and modal dialogs on Linux, behind a seam that tests answer through.
#pragma once

#include "DialogSurface.h"

#include <QMessageBox>
#include <QString>

class CTemplateDialog;
class QWidget;

// Where the dialogs open their modal boxes. The program shows them for real; tests put in a host
// that answers at once, so that nothing ever blocks on a box nobody can see.
class CModalHost {
public:
    virtual ~CModalHost() = default;
    virtual void MessageBox(QWidget* pOwner, const QString& text, const QString& caption,
                            QMessageBox::Icon icon);
    // The box before closing, with an error icon: try again, close without saving, or stay.
    virtual CCloseAnswer AskClose(QWidget* pOwner, const QString& text, const QString& caption);
    virtual int RunModal(CTemplateDialog& dlg);
};

CModalHost& DefaultModalHost();

// Makes box the program's plain message box: an OK button without a theme's icon, and wide
// enough for a window manager to show the whole caption beside its window buttons, as the
// original platform's box grows to its caption.
void PrepareMessageBox(QMessageBox& box);
