// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Dialog templates realised as Qt widgets, laid out in dialog units of the template's font.
#include "TemplateDialog.h"

#include "LimitEdit.h"
#include "zandrelIds.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

using rc::Kind;

namespace {

// Radio buttons and check boxes as assistive technology sees them. Qt's own interface carries
// out "Toggle" by flipping the check without a click, so the dialog would never hear of it; here
// every action is a click, exactly as the mouse or the space bar gives.
class CAccessibleClickButton : public QAccessibleWidget {
public:
    CAccessibleClickButton(QAbstractButton* pButton, QAccessible::Role role)
        : QAccessibleWidget(pButton, role)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && Button()->accessibleName().isEmpty()) {
            return QString(Button()->text()).remove(QLatin1Char('&'));
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.checkable = true;
        st.checked = Button()->isChecked();
        return st;
    }
    QStringList actionNames() const override { return {pressAction(), toggleAction()}; }
    void doAction(const QString& strAction) override
    {
        if (strAction != pressAction() && strAction != toggleAction()) {
            QAccessibleWidget::doAction(strAction);
        } else if (Button()->isEnabled()) {
            Button()->click();
        }
    }

private:
    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* AccessibleButtonFactory(const QString& strClass, QObject* pObject)
{
    if (strClass == QLatin1String("QRadioButton")) {
        return new CAccessibleClickButton(static_cast<QRadioButton*>(pObject),
                                          QAccessible::RadioButton);
    }
    if (strClass == QLatin1String("QCheckBox")) {
        return new CAccessibleClickButton(static_cast<QCheckBox*>(pObject), QAccessible::CheckBox);
    }
    return nullptr;
}

} // namespace

CDialogUnits CDialogUnits::FromFont(const QFont& font)
{
    const QFontMetrics fm(font);
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int nWidth = fm.horizontalAdvance(kLetters);
    return CDialogUnits((nWidth + 26) / 52, fm.height());
}

int CDialogUnits::MulDiv(int n, int nNum, int nDen)
{
    const long long nProduct = static_cast<long long>(n) * nNum;
    const long long nHalf = nDen / 2;
    return static_cast<int>(nProduct >= 0 ? (nProduct + nHalf) / nDen : (nProduct - nHalf) / nDen);
}

QFont DialogFont(const rc::DialogTemplate& tmpl)
{
    QFont font;
    // "MS PGothic" is the face's Latin name; IPAPGothic has the same metrics and is packaged.
    font.setFamilies(
        {QString::fromUtf8(tmpl.face), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")});
    font.setPointSize(tmpl.pointSize);
    return font;
}

QIcon CTemplateDialog::ProgramIcon()
{
    // The artwork is pixel art: high-density screens get whole-number enlargements of it, never
    // a smoothed 32-pixel image.
    static const QIcon s_icon = [] {
        const QPixmap art(rc::MainIconXpm());
        QIcon icon;
        for (int nScale = 1; nScale <= 4; ++nScale) {
            icon.addPixmap(
                art.scaled(art.size() * nScale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
        return icon;
    }();
    return s_icon;
}

CTemplateDialog::CTemplateDialog(const rc::DialogTemplate& tmpl, QWidget* pParent)
    : QDialog(pParent), m_tmpl(tmpl), m_units(CDialogUnits::FromFont(DialogFont(tmpl)))
{
    setFont(DialogFont(tmpl));
    setWindowTitle(QString::fromUtf8(tmpl.caption));
    // An application window gets its own task bar entry; other dialogs belong to their owner.
    Qt::WindowFlags flags = (tmpl.exStyle & rc::WS_EX_APPWINDOW) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tmpl.style & rc::WS_SYSMENU) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (tmpl.style & rc::WS_MINIMIZEBOX) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    setWindowFlags(flags);
    setFixedSize(m_units.X(tmpl.cx), m_units.Y(tmpl.cy));
    setSizeGripEnabled(false);
    static const bool s_bFactory = (QAccessible::installFactory(AccessibleButtonFactory), true);
    Q_UNUSED(s_bFactory);
    CreateItems();
}

void CTemplateDialog::CreateItems()
{
    QWidget* pLastTabStop = nullptr;
    QButtonGroup* pRadioGroup = nullptr;
    std::vector<QWidget*> groupBoxes;
    for (const rc::ItemTemplate& item : m_tmpl.items) {
        const QString text = QString::fromUtf8(item.text);
        QWidget* pWidget = nullptr;
        if (item.style & rc::WS_GROUP) {
            pRadioGroup = nullptr;
        }
        switch (item.kind) {
        case Kind::PushButton: {
            auto* pButton = new QPushButton(text, this);
            pButton->setAutoDefault(true);
            pButton->setDefault((item.style & rc::BS_DEFPUSHBUTTON) != 0);
            pWidget = pButton;
            break;
        }
        case Kind::RadioButton: {
            auto* pRadio = new QRadioButton(text, this);
            if (pRadioGroup == nullptr) {
                pRadioGroup = new QButtonGroup(this);
            }
            pRadioGroup->addButton(pRadio);
            pRadio->installEventFilter(this);
            pWidget = pRadio;
            break;
        }
        case Kind::CheckBox:
            pWidget = new QCheckBox(text, this);
            break;
        case Kind::GroupBox: {
            auto* pGroup = new QGroupBox(text, this);
            groupBoxes.push_back(pGroup);
            pWidget = pGroup;
            break;
        }
        case Kind::Edit: {
            auto* pEdit = new CLimitEdit(this);
            pEdit->setFrame((item.style & rc::WS_BORDER) != 0);
            pWidget = pEdit;
            break;
        }
        case Kind::Static: {
            auto* pLabel = new QLabel(this);
            pLabel->setTextFormat(Qt::PlainText);
            pLabel->setText(text);
            pWidget = pLabel;
            break;
        }
        case Kind::Icon: {
            auto* pLabel = new QLabel(this);
            pLabel->setPixmap(ProgramIcon().pixmap(QSize(32, 32), devicePixelRatioF()));
            pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            pWidget = pLabel;
            break;
        }
        }
        pWidget->setObjectName(QString::fromLatin1(item.name));
        pWidget->setGeometry(m_units.MapDialogRect(item.x, item.y, item.cx, item.cy));
        if (item.kind == Kind::GroupBox || item.kind == Kind::Static || item.kind == Kind::Icon) {
            pWidget->setFocusPolicy(Qt::NoFocus);
        } else if (item.style & rc::WS_TABSTOP) {
            pWidget->setFocusPolicy(Qt::StrongFocus);
            if (pLastTabStop != nullptr) {
                setTabOrder(pLastTabStop, pWidget);
            }
            pLastTabStop = pWidget;
        } else {
            // Reachable by mouse and, within a radio group, by the arrow keys; never by Tab.
            pWidget->setFocusPolicy(Qt::ClickFocus);
        }
        if (item.id != zandrel::IDC_STATIC) {
            m_items[item.id] = pWidget;
        }
    }
    // A group box only frames its neighbours; it must not sit on top of them and take their
    // clicks.
    for (QWidget* pGroup : groupBoxes) {
        pGroup->lower();
    }
}

void CTemplateDialog::InitDialog()
{
    if (m_bInitialised) {
        return;
    }
    m_bInitialised = true;
    if (!OnInitDialog()) {
        return;
    }
    if (QWidget* pFirst = NextTabStop(nullptr, true)) {
        pFirst->setFocus(Qt::OtherFocusReason);
    }
}

QWidget* CTemplateDialog::NextTabStop(const QWidget* pFrom, bool bNext) const
{
    const auto items = m_tmpl.items;
    const auto nCount = static_cast<std::ptrdiff_t>(items.size());
    std::ptrdiff_t nFrom = bNext ? -1 : nCount;
    for (std::ptrdiff_t i = 0; i < nCount; ++i) {
        if (pFrom != nullptr && GetDlgItem(items[static_cast<std::size_t>(i)].id) == pFrom) {
            nFrom = i;
        }
    }
    for (std::ptrdiff_t nStep = 1; nStep <= nCount; ++nStep) {
        const std::ptrdiff_t i = ((nFrom + (bNext ? nStep : -nStep)) % nCount + nCount) % nCount;
        const rc::ItemTemplate& item = items[static_cast<std::size_t>(i)];
        QWidget* pWidget = GetDlgItem(item.id);
        if ((item.style & rc::WS_TABSTOP) && pWidget != nullptr && pWidget->isEnabled()) {
            return pWidget;
        }
    }
    return nullptr;
}

bool CTemplateDialog::focusNextPrevChild(bool bNext)
{
    QWidget* pNext = NextTabStop(focusWidget(), bNext);
    if (pNext == nullptr) {
        return QDialog::focusNextPrevChild(bNext);
    }
    pNext->setFocus(bNext ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool CTemplateDialog::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    auto* pRadio = qobject_cast<QRadioButton*>(pWatched);
    if (pRadio == nullptr || pEvent->type() != QEvent::KeyPress || pRadio->group() == nullptr) {
        return QDialog::eventFilter(pWatched, pEvent);
    }
    const auto* pKey = static_cast<QKeyEvent*>(pEvent);
    int nStep = 0;
    switch (pKey->key()) {
    case Qt::Key_Down:
    case Qt::Key_Right:
        nStep = 1;
        break;
    case Qt::Key_Up:
    case Qt::Key_Left:
        nStep = -1;
        break;
    default:
        return QDialog::eventFilter(pWatched, pEvent);
    }
    // The next enabled button of the group, round at either end; the move is a click on it.
    const QList<QAbstractButton*> buttons = pRadio->group()->buttons();
    const auto nCount = buttons.size();
    auto i = buttons.indexOf(pRadio);
    for (qsizetype nTried = 1; nTried < nCount; ++nTried) {
        i = ((i + nStep) % nCount + nCount) % nCount;
        if (buttons[i]->isEnabled()) {
            buttons[i]->setFocus(Qt::OtherFocusReason);
            buttons[i]->click();
            break;
        }
    }
    return true;
}

int CTemplateDialog::DoModal()
{
    InitDialog();
    return exec() == QDialog::Accepted ? zandrel::IDOK : zandrel::IDCANCEL;
}

QWidget* CTemplateDialog::GetDlgItem(int id) const
{
    const auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : it->second;
}

void CTemplateDialog::SetDlgItemText(int id, const QString& text)
{
    QWidget* pWidget = GetDlgItem(id);
    if (auto* pGroup = qobject_cast<QGroupBox*>(pWidget)) {
        pGroup->setTitle(text);
    } else if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
        pButton->setText(text);
    } else if (auto* pEdit = qobject_cast<CLimitEdit*>(pWidget)) {
        pEdit->SetTextWhole(text, true);
    } else if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
        pLabel->setText(text);
    }
}
