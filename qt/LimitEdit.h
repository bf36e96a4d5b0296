// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The entry box on Linux: a line edit whose limit counts UTF-8 bytes.
#pragma once

#include <QLineEdit>
#include <QValidator>

// An edit box whose length limit counts bytes (UTF-8) and, like the classic edit control, only
// restrains what the user types, pastes or drops: every edit is cut by the logic's
// LimitEntryEdit, as on every front end. A text the program sets through SetTextWhole is shown
// whole, however long. QLineEdit::setMaxLength would do neither: it counts characters and cuts
// program-set text too.
//
// EditChanged is the one change notification: the user's real edits raise it, and a text the
// program sets raises it exactly when the setter asks, changed or not.
class CLimitEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CLimitEdit(QWidget* pParent = nullptr);

    void SetLimitBytes(int nLimit); // 0: no limit
    // bNotify: raise EditChanged for this text even when it equals the old one, as the classic
    // control reports every text set; false sets it silently, as a data exchange does.
    void SetTextWhole(const QString& text, bool bNotify);

Q_SIGNALS:
    // Like textChanged, but only for a real change: an edit refused by the limit puts back the
    // text it had, and QLineEdit reports that as a change of its own.
    void EditChanged(const QString& text);

private:
    class CByteLimiter : public QValidator {
    public:
        using QValidator::QValidator;
        State validate(QString& input, int& pos) const override;

        int m_nLimit = 0;
        bool m_bProgramText = false;
        mutable QString m_strLast; // the text as it stood before the edit being checked
    };

    CByteLimiter m_limiter;
    QString m_strReported;
    bool m_bSetting = false;
};
