// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "LimitEdit.h"

#include <algorithm>
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

int CLimitEdit::Utf8Bytes(const QString& text)
{
    return static_cast<int>(text.toUtf8().size());
}

QValidator::State CLimitEdit::CByteLimiter::validate(QString& input, int& pos) const
{
    const int nBytes = Utf8Bytes(input);
    if (m_bProgramText || m_nLimit == 0 || nBytes <= m_nLimit || nBytes <= Utf8Bytes(m_strLast)) {
        m_strLast = input;
        return Acceptable;
    }
    // Find what the edit inserted: the part between what it left alone at either end.
    const auto nShorter = std::min(input.size(), m_strLast.size());
    qsizetype nPrefix = 0;
    while (nPrefix < nShorter && input[nPrefix] == m_strLast[nPrefix]) {
        ++nPrefix;
    }
    qsizetype nSuffix = 0;
    while (nSuffix < nShorter - nPrefix &&
           input[input.size() - 1 - nSuffix] == m_strLast[m_strLast.size() - 1 - nSuffix]) {
        ++nSuffix;
    }
    if (nPrefix > 0 && input[nPrefix - 1].isHighSurrogate()) {
        --nPrefix;
    }
    if (nSuffix > 0 && input[input.size() - nSuffix].isLowSurrogate()) {
        --nSuffix;
    }
    const QString inserted = input.mid(nPrefix, input.size() - nPrefix - nSuffix);
    const QString removed = m_strLast.mid(nPrefix, m_strLast.size() - nPrefix - nSuffix);
    const int nRoom = std::max(0, m_nLimit - (Utf8Bytes(m_strLast) - Utf8Bytes(removed)));

    QString fits;
    for (qsizetype i = 0; i < inserted.size();) {
        const qsizetype nUnits = inserted[i].isHighSurrogate() && i + 1 < inserted.size() ? 2 : 1;
        const QString ch = inserted.mid(i, nUnits);
        if (Utf8Bytes(fits) + Utf8Bytes(ch) > nRoom) {
            break;
        }
        fits += ch;
        i += nUnits;
    }
    input = input.left(nPrefix) + fits + input.right(nSuffix);
    pos = static_cast<int>(nPrefix + fits.size());
    m_strLast = input;
    return Acceptable;
}
