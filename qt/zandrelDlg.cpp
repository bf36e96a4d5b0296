// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The main dialog and the version box on Linux: the core's surface in Qt widgets.
#include "zandrelDlg.h"

#include "LimitEdit.h"
#include "ModalHost.h"
#include "SystemMenu.h"
#include "zandrelIds.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>

using namespace zandrel;

CVersionInfoDlg::CVersionInfoDlg(QWidget* pParent) : CTemplateDialog(rc::VersionDialog(), pParent)
{
    setWindowIcon(ProgramIcon());
    if (auto* pOk = Item<QPushButton>(IDOK)) {
        connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
    }
}

CZandrelDlg::CZandrelDlg(QWidget* pParent, CModalHost* pHost)
    : CTemplateDialog(rc::MainDialog(), pParent), m_hIcon(ProgramIcon()),
      m_host(pHost != nullptr ? *pHost : DefaultModalHost())
{
    m_pSysMenu = new CSystemMenu(this, (Template().style & rc::WS_MINIMIZEBOX) != 0);
    auto* pEntry = Item<CLimitEdit>(IDC_ENTRY);
    pEntry->setAccessibleName(QStringLiteral("before-no"));
    pEntry->setAccessibleDescription(QStringLiteral("number to register as the previous number"));
    WireEvents();
}

CZandrelDlg::~CZandrelDlg() = default;

// Qt's signals, translated into the core's events: a click of any button, the entry's changes,
// and the window menu. The core's table decides what each one does.
void CZandrelDlg::WireEvents()
{
    for (const rc::ItemTemplate& item : Template().items) {
        if (auto* pButton = Item<QAbstractButton>(item.id); pButton && item.id != IDC_STATIC) {
            connect(pButton, &QAbstractButton::clicked, this,
                    [this, id = item.id] { m_core.OnCommand(id, CNotify::Clicked); });
        }
    }
    connect(Item<CLimitEdit>(IDC_ENTRY), &CLimitEdit::EditChanged, this,
            [this] { m_core.OnCommand(IDC_ENTRY, CNotify::Changed); });
    connect(m_pSysMenu, &QMenu::triggered, this,
            [this](QAction* pAction) { OnSysCommand(CSystemMenu::CommandOf(pAction)); });
    for (const QKeySequence& keys :
         {QKeySequence(Qt::ALT | Qt::Key_Space), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* pShortcut = new QShortcut(keys, this);
        connect(pShortcut, &QShortcut::activated, m_pSysMenu, &CSystemMenu::PopupAtOwner);
    }
}

bool CZandrelDlg::OnInitDialog()
{
    if (Template().style & rc::WS_SYSMENU) {
        const QString strAboutMenu = QString::fromUtf8(rc::String(IDS_ABOUTBOX));
        if (!strAboutMenu.isEmpty()) {
            m_pSysMenu->AppendSeparator();
            m_pSysMenu->AppendItem(IDM_ABOUTBOX, strAboutMenu);
        }
    }
    setWindowIcon(m_hIcon);
    m_core.InitNumberState();
    return true;
}

void CZandrelDlg::OnSysCommand(unsigned nID)
{
    if (m_core.OnSysCommand(nID)) {
        return;
    }
    switch (nID & 0xFFF0u) {
    case CSystemMenu::SC_MINIMIZE:
        showMinimized();
        break;
    case CSystemMenu::SC_CLOSE:
        close();
        break;
    default:
        break;
    }
}

void CZandrelDlg::closeEvent(QCloseEvent* pEvent)
{
    // The core ends the run itself once it may.
    pEvent->ignore();
    m_core.OnClose();
}

void CZandrelDlg::reject()
{
    // Escape comes here, as a press of "end" would.
    m_core.OnCommand(IDCANCEL, CNotify::Clicked);
}

void CZandrelDlg::paintEvent(QPaintEvent* pEvent)
{
    if (!isMinimized()) {
        CTemplateDialog::paintEvent(pEvent);
        return;
    }
    // Where the window system paints a minimised window's client area, it shows the icon there.
    QPainter dc(this);
    dc.fillRect(rect(), palette().window());
    const int nIcon = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    const auto [x, y] = IconOrigin(width(), height(), nIcon, nIcon);
    m_hIcon.paint(&dc, QRect(x, y, nIcon, nIcon));
}

void CZandrelDlg::contextMenuEvent(QContextMenuEvent* pEvent)
{
    if (pEvent->reason() == QContextMenuEvent::Mouse) {
        m_pSysMenu->popup(pEvent->globalPos());
    } else {
        m_pSysMenu->PopupAtOwner();
    }
}

// The exchange raises no control's handler: the buttons' handlers answer clicks only, which
// setting a check never is, and the entry is set silently.
void CZandrelDlg::setItemText(int id, const std::string& text)
{
    SetDlgItemText(id, QString::fromStdString(text));
}

void CZandrelDlg::enableItem(int id, bool on)
{
    if (QWidget* pItem = GetDlgItem(id)) {
        pItem->setEnabled(on);
    }
}

void CZandrelDlg::showMessage(const std::string& text, const std::string& caption)
{
    m_host.MessageBox(this, QString::fromStdString(text), QString::fromStdString(caption),
                      QMessageBox::NoIcon);
}

void CZandrelDlg::showWarning(const std::string& text)
{
    m_host.MessageBox(this, QString::fromStdString(text), windowTitle(), QMessageBox::Warning);
}

CCloseAnswer CZandrelDlg::askClose(const std::string& text, const std::string& caption)
{
    return m_host.AskClose(this, QString::fromStdString(text), QString::fromStdString(caption));
}

void CZandrelDlg::showVersionBox()
{
    CVersionInfoDlg dlgAbout(this);
    m_host.RunModal(dlgAbout);
}

void CZandrelDlg::endProgram(int nStatus)
{
    // Every event loop running ends, the boxes' included, and no other starts.
    m_nExitStatus = nStatus;
    done(Rejected);
    QCoreApplication::exit(nStatus);
}
