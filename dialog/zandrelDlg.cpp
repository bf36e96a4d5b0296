// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "zandrelDlg.h"

#include "LimitEdit.h"
#include "ModalHost.h"
#include "SystemMenu.h"
#include "zandrelIds.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif
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
    : CTemplateDialog(rc::MainDialog(), pParent),
      CZandrelDlgCore(static_cast<CDialogSurface&>(*this)), m_hIcon(ProgramIcon()),
      m_host(pHost != nullptr ? *pHost : DefaultModalHost())
{
    m_pSysMenu = new CSystemMenu(this, (Template().style & rc::WS_MINIMIZEBOX) != 0);
    Entry().setAccessibleName(QStringLiteral("before-no"));
    Entry().setAccessibleDescription(QStringLiteral("number to register as the previous number"));
    WireEvents();
}

CZandrelDlg::~CZandrelDlg() = default;

CLimitEdit& CZandrelDlg::Entry() const
{
    return *Item<CLimitEdit>(IDC_ENTRY);
}

// The one place where events meet their handlers, in the order of the event table.
void CZandrelDlg::WireEvents()
{
    // System command: the dialog's own window menu, opened by the mouse or the keyboard.
    connect(m_pSysMenu, &QMenu::triggered, this,
            [this](QAction* pAction) { OnSysCommand(CSystemMenu::CommandOf(pAction), 0); });
    for (const QKeySequence& keys :
         {QKeySequence(Qt::ALT | Qt::Key_Space), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* pShortcut = new QShortcut(keys, this);
        connect(pShortcut, &QShortcut::activated, m_pSysMenu, &CSystemMenu::PopupAtOwner);
    }
    // Paint: paintEvent(). Query drag icon: OnQueryDragIcon(). The core's handlers go through
    // lambdas: a member pointer of the core, made the dialog's for Qt, trips GCC's type check
    // under UndefinedBehaviorSanitizer, which takes the core's address for the dialog's.
    connect(Item<QPushButton>(IDC_SET), &QPushButton::clicked, this, [this] { OnSet(); });
    connect(Item<QPushButton>(IDC_GET), &QPushButton::clicked, this, [this] { OnGet(); });
    // Close: closeEvent().
    connect(Item<QAbstractButton>(IDC_KIND3), &QAbstractButton::clicked, this,
            [this] { OnKind3(); });
    connect(Item<QAbstractButton>(IDC_KIND4), &QAbstractButton::clicked, this,
            [this] { OnKind4(); });
    connect(Item<QCheckBox>(IDC_USEPREV), &QCheckBox::clicked, this, [this] { OnUseCheck(); });
    connect(&Entry(), &CLimitEdit::EditChanged, this, [this] { OnEntryChange(); });
    // "end" carries the cancel identifier and goes to the cancel action.
    connect(Item<QPushButton>(IDCANCEL), &QPushButton::clicked, this, &CZandrelDlg::reject);
#if QT_CONFIG(sessionmanager)
    // The desktop session ends (X11 session managers).
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { OnEndSession(); });
#endif
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
    InitNumberState();
    return true;
}

void CZandrelDlg::OnSysCommand(unsigned nID, qintptr /*lParam*/)
{
    switch ((nID & 0xFFFFu) & ~0xFu) {
    case IDM_ABOUTBOX: {
        CVersionInfoDlg dlgAbout(this);
        m_host.RunModal(dlgAbout);
        break;
    }
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

void CZandrelDlg::OnClose()
{
    SaveBeforeClose();
    ReleasePrevNumbers();
}

void CZandrelDlg::reject()
{
    // The close box came here through closeEvent, which has saved already.
    SaveBeforeClose();
    CTemplateDialog::reject();
}

void CZandrelDlg::closeEvent(QCloseEvent* pEvent)
{
    OnClose();
    CTemplateDialog::closeEvent(pEvent);
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

bool CZandrelDlg::askRetry(const std::string& text, const std::string& caption)
{
    return m_host.AskRetry(this, QString::fromStdString(text), QString::fromStdString(caption));
}

void CZandrelDlg::showWarning(const std::string& text)
{
    m_host.MessageBox(this, QString::fromStdString(text), windowTitle(), QMessageBox::Warning);
}
