// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The main dialog and the version box on Linux: the core's surface in Qt widgets.
#pragma once

#include "DialogSurface.h"
#include "LimitEdit.h"
#include "TemplateDialog.h"
#include "zandrelDlgCore.h"

#include <QAbstractButton>
#include <QIcon>

class CModalHost;
class CSystemMenu;

// The version box, on template 100.
class CVersionInfoDlg : public CTemplateDialog {
    Q_OBJECT
public:
    explicit CVersionInfoDlg(QWidget* pParent = nullptr);
};

// The main dialog, on template 102. It holds the core, implements the core's surface with its
// controls and boxes, and hands every event of its controls and of itself to the core.
class CZandrelDlg : public CTemplateDialog, private CDialogSurface {
    Q_OBJECT
public:
    explicit CZandrelDlg(QWidget* pParent = nullptr, CModalHost* pHost = nullptr);
    ~CZandrelDlg() override;

    CZandrelDlgCore& Core() { return m_core; }
    const CZandrelDlgCore& Core() const { return m_core; }
    void OnSysCommand(unsigned nID);
    QIcon OnQueryDragIcon() const { return m_hIcon; }
    CSystemMenu& SystemMenu() const { return *m_pSysMenu; }
    // The process's exit status once an end request ended the program.
    int ExitStatus() const { return m_nExitStatus; }

protected:
    bool OnInitDialog() override;
    // The close box, Alt+F4, the window menu's Close.
    void closeEvent(QCloseEvent* pEvent) override;
    // Escape.
    void reject() override;
    // The paint handler: the icon, centred, while minimised.
    void paintEvent(QPaintEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    bool isChecked(int id) override { return Item<QAbstractButton>(id)->isChecked(); }
    void setCheck(int id, bool on) override { Item<QAbstractButton>(id)->setChecked(on); }
    std::string itemText(int id) override { return Item<CLimitEdit>(id)->text().toStdString(); }
    void setEntryText(int id, const std::string& text) override
    {
        Item<CLimitEdit>(id)->SetTextWhole(QString::fromStdString(text), false);
    }
    void limitEntry(int id, int nBytes) override { Item<CLimitEdit>(id)->SetLimitBytes(nBytes); }
    void setItemText(int id, const std::string& text) override;
    void enableItem(int id, bool on) override;
    void showMessage(const std::string& text, const std::string& caption) override;
    void showWarning(const std::string& text) override;
    CCloseAnswer askClose(const std::string& text, const std::string& caption) override;
    void showVersionBox() override;
    void endDialog() override { done(Rejected); }
    void endProgram(int nStatus) override;

    void WireEvents();

    QIcon m_hIcon;
    CModalHost& m_host;
    CSystemMenu* m_pSysMenu = nullptr; // owned by the dialog as its Qt child
    int m_nExitStatus = 0;
    CZandrelDlgCore m_core{*this};
};
