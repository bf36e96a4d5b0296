// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Dialog templates realised as Qt widgets, laid out in dialog units of the template's font.
#pragma once

#include "zandrel_rc.h"

#include <map>
#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QRect>
#include <vector>

class QAbstractButton;

// Dialog units: a quarter of the dialog font's average character width across, an eighth of its
// height down, so that a template keeps its proportions whatever font stands in.
class CDialogUnits {
public:
    CDialogUnits(int nBaseX, int nBaseY) : m_nBaseX(nBaseX), m_nBaseY(nBaseY) {}
    static CDialogUnits FromFont(const QFont& font);

    int X(int nUnits) const { return MulDiv(nUnits, m_nBaseX, 4); }
    int Y(int nUnits) const { return MulDiv(nUnits, m_nBaseY, 8); }
    QRect MapDialogRect(int x, int y, int cx, int cy) const { return {X(x), Y(y), X(cx), Y(cy)}; }

    // n * num / den, rounded half away from zero.
    static int MulDiv(int n, int nNum, int nDen);

private:
    int m_nBaseX;
    int m_nBaseY;
};

// The template's face where it is installed; metric-compatible stand-ins where it is not.
QFont DialogFont(const rc::DialogTemplate& tmpl);

// A dialog realised from a template: fixed size, window decorations from its style, its controls
// placed in dialog units and reachable by identifier. Subclasses add behaviour in OnInitDialog,
// which runs once before the window first shows.
class CTemplateDialog : public QDialog {
    Q_OBJECT
public:
    explicit CTemplateDialog(const rc::DialogTemplate& tmpl, QWidget* pParent = nullptr);

    // Initialises (once) and runs the dialog modally; IDOK or IDCANCEL.
    int DoModal();
    // Initialises without running, for a caller that shows the window itself.
    void InitDialog();

    QWidget* GetDlgItem(int id) const;
    template <class T> T* Item(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    void SetDlgItemText(int id, const QString& text);

    const rc::DialogTemplate& Template() const { return m_tmpl; }
    static QIcon ProgramIcon();

protected:
    // Return true to put the focus on the first tab stop.
    virtual bool OnInitDialog() { return true; }

    // Tab and Shift+Tab visit the template's enabled tab stops in template order, whatever else
    // has taken the focus by a click; the arrow keys move the check within a radio group.
    bool focusNextPrevChild(bool bNext) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void CreateItems();
    QWidget* NextTabStop(const QWidget* pFrom, bool bNext) const;

    const rc::DialogTemplate& m_tmpl;
    CDialogUnits m_units;
    std::map<int, QWidget*> m_items;
    bool m_bInitialised = false;
};
