// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The entry box on Linux: a line edit whose limit counts UTF-8 bytes.
#include "LimitEdit.h"

#include "zandrelEntry.h"

#include <algorithm>
#include <QApplication>
#include <QScopedValueRollback>

CLimitEdit::CLimitEdit(QWidget* pParent) : QLineEdit(pParent), m_limiter(this)
{
    setValidator(&m_limiter);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_bSetting && text != m_strReported) {
            m_strReported = text;
            Q_EMIT EditChanged(text);
        }
    });
}

void CLimitEdit::SetLimitBytes(int nLimit)
{
    m_limiter.m_nLimit = std::max(0, nLimit);
}

void CLimitEdit::SetTextWhole(const QString& text, bool bNotify)
{
    {
        const QScopedValueRollback setting(m_bSetting, true);
        const QScopedValueRollback whole(m_limiter.m_bProgramText, true);
        setText(text);
    }
    m_limiter.m_strLast = this->text();
    m_strReported = this->text();
    if (bNotify) {
        Q_EMIT EditChanged(m_strReported);
    }
}

QValidator::State CLimitEdit::CByteLimiter::validate(QString& input, int& pos) const
{
    if (!m_bProgramText && m_nLimit > 0 && input != m_strLast) {
        const std::string strBefore = m_strLast.toStdString();
        const std::string strAfter = input.toStdString();
        const CLimitedEdit kept = LimitEntryEdit(strBefore, EditBetween(strBefore, strAfter),
                                                 static_cast<std::size_t>(m_nLimit));
        if (kept.m_strText != strAfter) {
            input = QString::fromStdString(kept.m_strText);
            pos = static_cast<int>(
                QString::fromUtf8(kept.m_strText.data(), static_cast<qsizetype>(kept.m_nCaret))
                    .size());
        }
        if (kept.m_bCut) {
            QApplication::beep();
        }
    }
    m_strLast = input;
    return Acceptable;
}
