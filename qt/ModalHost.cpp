// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The message boxes and modal dialogs on Linux, shown as Windows shows them.
#include "ModalHost.h"

#include "TemplateDialog.h"
#include "zandrelTexts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>
#include <QScreen>
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
    // Before the window shows (a warning at start), a box has no window to centre on: it takes
    // the middle of the screen, as Windows gives it.
    if (pOwner == nullptr || !pOwner->isVisible()) {
        box.adjustSize();
        const QScreen* pScreen = pOwner != nullptr ? pOwner->screen() : box.screen();
        box.move(pScreen->availableGeometry().center() - box.rect().center());
    }
    box.exec();
}

CCloseAnswer CModalHost::AskClose(QWidget* pOwner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::NoButton, pOwner);
    PrepareMessageBox(box);
    // The roles put the buttons in the platform's order; Escape and the close box are Cancel.
    QPushButton* pTryAgain =
        box.addButton(QString::fromUtf8(zandrel::kTryAgainButton), QMessageBox::AcceptRole);
    QPushButton* pDiscard =
        box.addButton(QString::fromUtf8(zandrel::kDiscardButton), QMessageBox::DestructiveRole);
    QPushButton* pStay =
        box.addButton(QString::fromUtf8(zandrel::kStayButton), QMessageBox::RejectRole);
    box.setDefaultButton(pTryAgain);
    box.setEscapeButton(pStay);
    box.exec();
    const QAbstractButton* pClicked = box.clickedButton();
    return pClicked == pTryAgain  ? CCloseAnswer::TryAgain
           : pClicked == pDiscard ? CCloseAnswer::Discard
                                  : CCloseAnswer::Stay;
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
