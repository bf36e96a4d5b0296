// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include "DialogSurface.h"
#include "TemplateDialog.h"
#include "zandrelDlgCore.h"

#include <QIcon>
#include <QPoint>
#include <QSize>

class CModalHost;
class CSystemMenu;
class CLimitEdit;

// The version box, on template 100.
class CVersionInfoDlg : public CTemplateDialog {
    Q_OBJECT
public:
    explicit CVersionInfoDlg(QWidget* pParent = nullptr);
};

// The main dialog, on template 102: binds the number logic's surface to real controls and routes
// the controls' events to it.
class CZandrelDlg : public CTemplateDialog, private CDialogSurface, public CZandrelDlgCore {
    Q_OBJECT
public:
    explicit CZandrelDlg(QWidget* pParent = nullptr, CModalHost* pHost = nullptr);
    ~CZandrelDlg() override;

    void OnSysCommand(unsigned nID, qintptr lParam);
    void OnClose();
    QIcon OnQueryDragIcon() const { return m_hIcon; }
    CSystemMenu& SystemMenu() const { return *m_pSysMenu; }

    // Where the minimised dialog draws its icon in a client area of the given size.
    static QPoint IconOrigin(QSize client, QSize icon);

protected:
    bool OnInitDialog() override;
    void reject() override;
    void closeEvent(QCloseEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    bool readControls() override;
    void writeControls() override;
    void setItemText(int id, const std::string& text) override;
    void enableItem(int id, bool on) override;
    void showMessage(const std::string& text, const std::string& caption) override;

    void WireEvents();
    void OnPaint(QPaintEvent* pEvent);
    CLimitEdit& Entry() const;

    QIcon m_hIcon;
    CModalHost& m_host;
    CSystemMenu* m_pSysMenu = nullptr; // owned by the dialog as its Qt child
};
