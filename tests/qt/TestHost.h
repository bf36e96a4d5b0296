// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include "ModalHost.h"
#include "TemplateDialog.h"
#include "zandrelDlg.h"
#include "zandrelIds.h"

#include <functional>
#include <memory>
#include <ostream>
#include <QString>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Answers every modal box at once and keeps a record of it.
class CTestHost : public CModalHost {
public:
    struct Box {
        QString text;
        QString caption;
        QMessageBox::Icon icon;
    };
    std::vector<Box> m_boxes;
    std::vector<QString> m_dialogs; // captions of the dialogs run
    std::function<void(CTemplateDialog&)> m_fnInspect;
    std::function<CCloseAnswer()> m_fnAnswerClose; // none: Stay

    void MessageBox(QWidget*, const QString& text, const QString& caption,
                    QMessageBox::Icon icon) override
    {
        m_boxes.push_back({text, caption, icon});
    }
    CCloseAnswer AskClose(QWidget*, const QString& text, const QString& caption) override
    {
        m_boxes.push_back({text, caption, QMessageBox::Critical});
        return m_fnAnswerClose ? m_fnAnswerClose() : CCloseAnswer::Stay;
    }
    int RunModal(CTemplateDialog& dlg) override
    {
        dlg.InitDialog();
        m_dialogs.push_back(dlg.windowTitle());
        if (m_fnInspect) {
            m_fnInspect(dlg);
        }
        return zandrel::IDOK;
    }
};

// The main dialog as the program starts it, shown and active, its boxes answered by host and its
// draws at a fixed tick.
inline std::unique_ptr<CZandrelDlg> ShowMainDialog(CTestHost& host, unsigned nTick)
{
    auto dlg = std::make_unique<CZandrelDlg>(nullptr, &host);
    dlg->Core().SetTickSource([nTick] { return nTick; });
    dlg->InitDialog();
    dlg->show();
    dlg->activateWindow();
    return dlg;
}
