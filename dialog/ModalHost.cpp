// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "ModalHost.h"

#include "TemplateDialog.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>

void PrepareMessageBox(QMessageBox& box)
{
    box.setTextFormat(Qt::PlainText);
    if (QAbstractButton* pOk = box.button(QMessageBox::Ok)) {
        pOk->setIcon(QIcon());
    }
    // Title bars use their own font, often bold; room for the window icon and up to four
    // buttons beside the caption, each about as wide as the title bar is high.
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    const int nBar = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
    const int nWidth = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 5 * nBar;
    if (auto* pGrid = qobject_cast<QGridLayout*>(box.layout())) {
        pGrid->addItem(new QSpacerItem(nWidth, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                       pGrid->rowCount(), 0, 1, pGrid->columnCount());
    }
}

void CModalHost::MessageBox(QWidget* pOwner, const QString& text, const QString& caption,
                            QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, pOwner);
    PrepareMessageBox(box);
    box.exec();
}

bool CModalHost::AskRetry(QWidget* pOwner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Retry | QMessageBox::Cancel,
                    pOwner);
    PrepareMessageBox(box);
    box.setDefaultButton(QMessageBox::Retry);
    return box.exec() == QMessageBox::Retry;
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
