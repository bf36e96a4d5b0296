// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "ModalHost.h"

#include "TemplateDialog.h"

void CModalHost::MessageBox(QWidget* pOwner, const QString& text, const QString& caption,
                            QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, pOwner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int CModalHost::RunModal(CTemplateDialog& dlg)
{
    return dlg.DoModal();
}

CModalHost& DefaultModalHost()
{
    static CModalHost s_host;
    return s_host;
}
