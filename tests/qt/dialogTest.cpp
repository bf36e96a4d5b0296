// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "LimitEdit.h"
#include "SystemMenu.h"
#include "TempDir.h"
#include "TestHost.h"
#include "zandrelDlg.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

namespace {

class DialogTest : public ::testing::Test {
public:
    CTempWorkDir dir;
    CTestHost host;
    std::unique_ptr<CZandrelDlg> dlg;

    void Start(const std::string& fileBytes = {})
    {
        if (!fileBytes.empty()) {
            dir.WriteStore(fileBytes);
        }
        dlg = ShowMainDialog(host, 1);
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }
    void TearDown() override
    {
        if (dlg) {
            dlg->hide();
        }
    }

    CLimitEdit* Entry() const { return dlg->findChild<CLimitEdit*>(QStringLiteral("IDC_ENTRY")); }
    QPushButton* Button(const char* name) const
    {
        return dlg->findChild<QPushButton*>(QLatin1String(name));
    }
    QRadioButton* Radio(const char* name) const
    {
        return dlg->findChild<QRadioButton*>(QLatin1String(name));
    }
    QCheckBox* UseCheck() const
    {
        return dlg->findChild<QCheckBox*>(QStringLiteral("IDC_USEPREV"));
    }
    QString Caption() const
    {
        return dlg->findChild<QGroupBox*>(QStringLiteral("IDC_PREVGROUP"))->title();
    }
    QString Focused() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    void TypeEntry(const QString& text)
    {
        Entry()->setFocus();
        Entry()->selectAll();
        QTest::keyClick(Entry(), Qt::Key_Delete);
        QTest::keyClicks(Entry(), text);
    }
    void Click(QAbstractButton* pButton)
    {
        QTest::mouseClick(pButton, Qt::LeftButton, {}, QPoint(4, 4));
    }
    std::vector<QString> NumbersShown() const
    {
        std::vector<QString> shown;
        for (const auto& box : host.m_boxes) {
            if (box.caption == QLatin1String("number")) {
                shown.push_back(box.text);
            }
        }
        return shown;
    }
};

TEST_F(DialogTest, StartsOnGetWithTheNumbersShown)
{
    Start(Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0}));
    EXPECT_EQ(dlg->windowTitle(), "zandrel");
    EXPECT_TRUE(Radio("IDC_KIND3")->isChecked());
    EXPECT_TRUE(UseCheck()->isChecked());
    EXPECT_EQ(Entry()->text(), "007");
    EXPECT_EQ(Caption(), "before-no = 007");
    EXPECT_FALSE(Button("IDC_SET")->isEnabled());
    EXPECT_EQ(Focused(), "IDC_GET");
    EXPECT_TRUE(host.m_boxes.empty());
}

// Real keys and clicks reach the core, and what it shows reaches the controls and the boxes.
TEST_F(DialogTest, KeysAndClicksReachTheCore)
{
    Start(Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0}));
    Click(Radio("IDC_KIND4"));
    EXPECT_EQ(Caption(), "before-no = ");
    TypeEntry(QStringLiteral("004"));
    EXPECT_FALSE(Button("IDC_SET")->isEnabled());
    QTest::keyClicks(Entry(), QStringLiteral("2"));
    ASSERT_TRUE(Button("IDC_SET")->isEnabled());
    Click(Button("IDC_SET"));
    EXPECT_EQ(Entry()->text(), "0042");
    EXPECT_EQ(Caption(), "before-no = 0042");
    EXPECT_FALSE(Button("IDC_SET")->isEnabled());
    Click(Radio("IDC_KIND3"));
    EXPECT_EQ(Entry()->text(), "007");
    // Seeded with 1 the generator gives 41, 18467: without the search the first value counts.
    Click(UseCheck());
    EXPECT_EQ(dlg->Core().m_bUsePrev, 0);
    Click(Button("IDC_GET"));
    EXPECT_EQ(NumbersShown(), std::vector<QString>{QStringLiteral("041")});
    ASSERT_EQ(host.m_boxes.size(), 1u);
    EXPECT_EQ(host.m_boxes[0].icon, QMessageBox::NoIcon);

    // The error box: a folder where the file should be.
    std::filesystem::remove(dir.Store());
    std::filesystem::create_directory(dir.Store());
    TypeEntry(QStringLiteral("123"));
    Click(Button("IDC_SET"));
    ASSERT_EQ(host.m_boxes.size(), 2u);
    EXPECT_EQ(host.m_boxes[1].text, "File, \"zandrel.ini\" could not be opened.");
    EXPECT_EQ(host.m_boxes[1].caption, "error");
    EXPECT_EQ(host.m_boxes[1].icon, QMessageBox::NoIcon);
}

TEST_F(DialogTest, ArrowKeysMoveTheCheckAndRunTheSwitch)
{
    Start(Bytes({1, 0, 0, 0, 0x37, 0, 2, 0, 0, 0, 0x34, 0x32, 0}));
    Click(Radio("IDC_KIND3"));
    ASSERT_EQ(Focused(), "IDC_KIND3");
    struct Row {
        Qt::Key key;
        const char* checked;
        const char* entry;
    };
    // Two buttons: every arrow moves to the other one, round at either end.
    const Row rows[] = {
        {Qt::Key_Down, "IDC_KIND4", "0042"},  {Qt::Key_Down, "IDC_KIND3", "007"},
        {Qt::Key_Up, "IDC_KIND4", "0042"},    {Qt::Key_Right, "IDC_KIND3", "007"},
        {Qt::Key_Right, "IDC_KIND4", "0042"}, {Qt::Key_Left, "IDC_KIND3", "007"},
        {Qt::Key_Left, "IDC_KIND4", "0042"},  {Qt::Key_Up, "IDC_KIND3", "007"},
    };
    for (const Row& row : rows) {
        TypeEntry(QStringLiteral("12")); // a switch shows the kind's number again
        Radio(row.checked == std::string("IDC_KIND3") ? "IDC_KIND4" : "IDC_KIND3")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), row.key);
        EXPECT_TRUE(Radio(row.checked)->isChecked()) << row.checked;
        EXPECT_EQ(Focused(), row.checked);
        EXPECT_EQ(Entry()->text(), QLatin1String(row.entry)) << row.checked;
    }
}

// What a screen reader, switch access or voice control does through the accessibility interface
// (AT-SPI calls the same actions) must be a click in every respect, handlers included.
TEST_F(DialogTest, AssistiveActionsAreClicks)
{
    Start(Bytes({2, 0, 0, 0, '4', '1', 0, 2, 0, 0, 0, '4', '2', 0}));
    const auto act = [](QWidget* pWidget, const QString& strAction) {
        QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(pWidget);
        ASSERT_NE(pIface, nullptr);
        ASSERT_NE(pIface->actionInterface(), nullptr);
        EXPECT_TRUE(pIface->actionInterface()->actionNames().contains(strAction));
        pIface->actionInterface()->doAction(strAction);
    };
    for (const QString& strAction :
         {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()}) {
        SCOPED_TRACE(strAction.toStdString());
        act(Radio("IDC_KIND4"), strAction);
        EXPECT_TRUE(Radio("IDC_KIND4")->isChecked());
        EXPECT_EQ(Entry()->text(), "0042");
        EXPECT_EQ(Caption(), "before-no = 0042");
        EXPECT_EQ(dlg->Core().m_nKind, 1);
        act(Radio("IDC_KIND3"), strAction);
        EXPECT_EQ(Caption(), "before-no = 041");
        EXPECT_EQ(dlg->Core().m_nKind, 0);
        act(UseCheck(), strAction);
        EXPECT_FALSE(UseCheck()->isChecked());
        EXPECT_EQ(dlg->Core().m_bUsePrev, 0);
        act(UseCheck(), strAction);
        EXPECT_EQ(dlg->Core().m_bUsePrev, 1);
    }
    // Unticked by action, the draw takes the first value (41) instead of the one after 41 (184).
    act(UseCheck(), QAccessibleActionInterface::toggleAction());
    Click(Button("IDC_GET"));
    EXPECT_EQ(NumbersShown(), (std::vector<QString>{QStringLiteral("041")}));
}

TEST_F(DialogTest, TabOrderSkipsRadiosAndDisabledSet)
{
    Start();
    const auto cycle = [this](Qt::Key key, int nSteps) {
        std::vector<QString> visited;
        for (int i = 0; i < nSteps; ++i) {
            visited.push_back(Focused());
            QTest::keyClick(QApplication::focusWidget(), key);
        }
        return visited;
    };
    EXPECT_EQ(cycle(Qt::Key_Tab, 5),
              (std::vector<QString>{"IDC_GET", "IDCANCEL", "IDC_ENTRY", "IDC_USEPREV", "IDC_GET"}));

    TypeEntry(QStringLiteral("123"));
    Button("IDC_GET")->setFocus();
    EXPECT_EQ(cycle(Qt::Key_Tab, 6), (std::vector<QString>{"IDC_GET", "IDCANCEL", "IDC_ENTRY",
                                                           "IDC_SET", "IDC_USEPREV", "IDC_GET"}));

    // A click or an arrow in the radio group gives a radio button the focus, never a tab stop.
    Click(Radio("IDC_KIND4"));
    QTest::keyClick(Radio("IDC_KIND4"), Qt::Key_Up);
    EXPECT_EQ(cycle(Qt::Key_Tab, 5), (std::vector<QString>{"IDC_KIND3", "IDC_ENTRY", "IDC_USEPREV",
                                                           "IDC_GET", "IDCANCEL"}));
    Button("IDC_GET")->setFocus();
    EXPECT_EQ(cycle(Qt::Key_Backtab, 5),
              (std::vector<QString>{"IDC_GET", "IDC_USEPREV", "IDC_ENTRY", "IDCANCEL", "IDC_GET"}));
}

TEST_F(DialogTest, EnterPressesGetUnlessAnotherButtonHasTheFocus)
{
    Start();
    struct Row {
        const char* focus;
        bool draws;
    };
    const Row rows[] = {
        {"IDC_GET", true}, {"IDC_ENTRY", true}, {"IDC_USEPREV", true}, {"IDC_KIND3", true}};
    for (const Row& row : rows) {
        host.m_boxes.clear();
        dlg->findChild<QWidget*>(QLatin1String(row.focus))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(NumbersShown().size(), row.draws ? 1u : 0u) << row.focus;
        EXPECT_TRUE(dlg->isVisible()) << row.focus;
    }
    // With the focus on "set", Enter registers.
    TypeEntry(QStringLiteral("321"));
    Button("IDC_SET")->setFocus();
    host.m_boxes.clear();
    QTest::keyClick(Button("IDC_SET"), Qt::Key_Return);
    EXPECT_EQ(Caption(), "before-no = 321");
    EXPECT_TRUE(NumbersShown().empty());
    // With the focus on "end", Enter ends the dialog.
    Button("IDCANCEL")->setFocus();
    QTest::keyClick(Button("IDCANCEL"), Qt::Key_Return);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_TRUE(NumbersShown().empty());
}

// Every way of closing reaches the core, the close box's path letting go of the numbers; with a
// number kept, the close box is asked through the host, and Cancel there keeps the window.
TEST_F(DialogTest, ClosePaths)
{
    struct Row {
        const char* name;
        std::function<void(DialogTest&)> close;
        bool releases;
    };
    const Row rows[] = {
        {"end", [](DialogTest& t) { t.Click(t.Button("IDCANCEL")); }, false},
        {"Escape", [](DialogTest& t) { QTest::keyClick(t.dlg.get(), Qt::Key_Escape); }, false},
        {"close box", [](DialogTest& t) { t.dlg->close(); }, true},
        {"window menu Close", [](DialogTest& t) { t.dlg->OnSysCommand(CSystemMenu::SC_CLOSE); },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Start(Bytes({1, 0, 0, 0, 0x37, 0, 0, 0, 0, 0}));
        row.close(*this);
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(dlg->result(), QDialog::Rejected);
        EXPECT_EQ(dlg->Core().m_pszPrevNo3.IsEmpty(), row.releases);
        dlg.reset();
    }
    Start();
    std::filesystem::remove(dir.Store());
    std::filesystem::create_directory(dir.Store()); // nothing can replace a folder
    TypeEntry(QStringLiteral("123"));
    Click(Button("IDC_SET"));
    dlg->close();
    ASSERT_EQ(host.m_boxes.size(), 2u);
    EXPECT_EQ(host.m_boxes[1].icon, QMessageBox::Critical);
    EXPECT_TRUE(dlg->isVisible());
    std::filesystem::remove(dir.Store());
    dlg->close(); // the file can be written: saved, no box
    EXPECT_EQ(host.m_boxes.size(), 2u);
    EXPECT_FALSE(dlg->isVisible());
}

// The box before closing as the user sees it: its three answers, Escape among them.
TEST(CloseBoxTest, ThreeAnswersAndEscapeStays)
{
    struct Row {
        const char* name;
        std::function<void(QMessageBox&)> answer;
        CCloseAnswer expected;
    };
    const auto press = [](const char* pszText) {
        return [pszText](QMessageBox& box) {
            for (QAbstractButton* pButton : box.buttons()) {
                if (pButton->text() == QString::fromUtf8(pszText)) {
                    pButton->click();
                }
            }
        };
    };
    const Row rows[] = {
        {"try again", press("&Try again"), CCloseAnswer::TryAgain},
        {"close without saving", press("Close &without saving"), CCloseAnswer::Discard},
        {"cancel", press("&Cancel"), CCloseAnswer::Stay},
        {"Escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); },
         CCloseAnswer::Stay},
    };
    CModalHost host;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTimer::singleShot(0, [&row] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(pBox, nullptr);
            EXPECT_EQ(pBox->icon(), QMessageBox::Critical);
            EXPECT_EQ(pBox->buttons().size(), 3);
            row.answer(*pBox);
        });
        EXPECT_EQ(host.AskClose(nullptr, QStringLiteral("Not saved"), QStringLiteral("error")),
                  row.expected);
    }
}

TEST_F(DialogTest, TypingAndPastingStopAtTheByteLimit)
{
    Start();
    struct Row {
        const char* name;
        bool fourDigits;
        QString typed;
        QString pasted;
        QString expected;
    };
    const Row rows[] = {
        {"typing stops at three", false, QStringLiteral("12345"), {}, QStringLiteral("123")},
        {"a paste is cut to fit", false, QStringLiteral("1"), QStringLiteral("98765"),
         QStringLiteral("198")},
        {"an emoji is never split", true, QStringLiteral("1"), QStringLiteral("😀"),
         QStringLiteral("1")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Click(Radio(row.fourDigits ? "IDC_KIND4" : "IDC_KIND3"));
        TypeEntry({});
        QTest::keyClicks(Entry(), row.typed);
        if (!row.pasted.isEmpty()) {
            QApplication::clipboard()->setText(row.pasted);
            QTest::keyClick(Entry(), Qt::Key_V, Qt::ControlModifier);
        }
        EXPECT_EQ(Entry()->text(), row.expected);
        EXPECT_TRUE(host.m_boxes.empty()) << "what the user types never trips the exchange's check";
    }
}

TEST_F(DialogTest, ProgramSetLongTextShowsWhole)
{
    // A hand-edited file may hold four digits for the three-digit kind.
    Start(Bytes({4, 0, 0, 0, '1', '2', '3', '4', 0, 0, 0, 0, 0}));
    EXPECT_EQ(Entry()->text(), "1234");
    EXPECT_EQ(Caption(), "before-no = 1234");
    EXPECT_FALSE(Button("IDC_SET")->isEnabled());
    // Reading it back breaks the length rule, which says so in a box of its own.
    ASSERT_FALSE(host.m_boxes.empty());
    EXPECT_EQ(host.m_boxes.back().icon, QMessageBox::Warning);
    EXPECT_TRUE(host.m_boxes.back().text.contains(QLatin1Char('3')));
    // Deleting still works; typing more does not.
    host.m_boxes.clear();
    Entry()->setFocus();
    Entry()->end(false);
    QTest::keyClicks(Entry(), QStringLiteral("5"));
    EXPECT_EQ(Entry()->text(), "1234");
    EXPECT_TRUE(host.m_boxes.empty())
        << "a refused key changes nothing, so nothing is checked again";
    QTest::keyClick(Entry(), Qt::Key_Backspace);
    EXPECT_EQ(Entry()->text(), "123");
    EXPECT_TRUE(Button("IDC_SET")->isEnabled());
}

TEST_F(DialogTest, SystemCommandsAreRoutedByIdentifier)
{
    Start();
    CSystemMenu& menu = dlg->SystemMenu();
    std::vector<std::pair<QString, unsigned>> items;
    for (QAction* pAction : menu.actions()) {
        items.emplace_back(pAction->isSeparator() ? QStringLiteral("-") : pAction->text(),
                           pAction->isSeparator() ? 0u : CSystemMenu::CommandOf(pAction));
    }
    const std::vector<std::pair<QString, unsigned>> expected = {
        {QStringLiteral("Mi&nimize"), 0xF020u},
        {QStringLiteral("&Close"), 0xF060u},
        {QStringLiteral("-"), 0u},
        {QStringLiteral("zandrel のﾊﾞｰｼﾞｮﾝ情報(&A)..."), 0x10u}};
    EXPECT_EQ(items, expected);

    const auto command = [&menu](unsigned nCommand) {
        const QList<QAction*> actions = menu.actions();
        const auto it = std::find_if(actions.begin(), actions.end(), [nCommand](QAction* pAction) {
            return !pAction->isSeparator() && pAction->data().toUInt() == nCommand;
        });
        return it == actions.end() ? nullptr : *it;
    };
    ASSERT_NE(command(0x10), nullptr);
    command(0x10)->trigger();
    EXPECT_EQ(host.m_dialogs.size(), 1u);
    command(CSystemMenu::SC_MINIMIZE)->trigger();
    EXPECT_TRUE(dlg->windowState() & Qt::WindowMinimized);
}

// Platform themes give menus their own font; the window menu keeps the dialog's, and shows every
// item whole. Run under QT_QPA_PLATFORMTHEME=gtk3 as well by the test suite.
TEST_F(DialogTest, WindowMenuSpeaksInTheDialogsFont)
{
    Start();
    CSystemMenu& menu = dlg->SystemMenu();
    EXPECT_EQ(menu.font(), dlg->font());
    menu.popup(dlg->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    for (QAction* pAction : menu.actions()) {
        if (pAction->isSeparator()) {
            continue;
        }
        const QString strText = QString(pAction->text()).remove(QLatin1Char('&'));
        EXPECT_LT(menu.fontMetrics().horizontalAdvance(strText),
                  menu.actionGeometry(pAction).width())
            << strText.toStdString();
    }
    menu.hide();
}

TEST_F(DialogTest, VersionBoxShowsTheRecord)
{
    Start();
    host.m_fnInspect = [](CTemplateDialog& box) {
        EXPECT_EQ(box.windowTitle(), "zandrelのﾊﾞｰｼﾞｮﾝ情報");
        const auto* pVersion = box.findChild<QLabel*>(QStringLiteral("IDC_VERSION"));
        ASSERT_NE(pVersion, nullptr);
        EXPECT_EQ(pVersion->text(), "zandrel Version 1.0");
        const auto* pIcon = box.findChild<QLabel*>(QStringLiteral("IDC_ICON"));
        ASSERT_NE(pIcon, nullptr);
        EXPECT_EQ(pIcon->pixmap().deviceIndependentSize(), QSizeF(32, 32));
        EXPECT_EQ(pIcon->pixmap().devicePixelRatio(), box.devicePixelRatioF());
        auto* pOk = box.Item<QPushButton>(zandrel::IDOK);
        ASSERT_NE(pOk, nullptr);
        EXPECT_EQ(pOk->text(), "OK");
        EXPECT_TRUE(pOk->isDefault());
        const CDialogUnits units = CDialogUnits::FromFont(box.font());
        EXPECT_EQ(box.size(), QSize(units.X(179), units.Y(55)));
    };
    dlg->OnSysCommand(0x10);
    EXPECT_EQ(host.m_dialogs.size(), 1u);
}

TEST_F(DialogTest, WindowIsFixedWithMinimiseAndNoMaximise)
{
    Start();
    const Qt::WindowFlags flags = dlg->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ((flags & Qt::WindowType_Mask), Qt::Window) << "shows on the task bar";
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());
    const CDialogUnits units = CDialogUnits::FromFont(dlg->font());
    EXPECT_EQ(dlg->size(), QSize(units.X(139), units.Y(135)));
    EXPECT_FALSE(dlg->windowIcon().isNull());
    EXPECT_EQ(dlg->OnQueryDragIcon().cacheKey(), dlg->windowIcon().cacheKey());
    EXPECT_EQ(Entry()->accessibleName(), "before-no");
}

// Texts that the window manager or a static must show in full: the message boxes' captions
// beside the title bar's buttons, and the version box's notice in its static.
TEST(DialogTextTest, CaptionsAndNoticeShowWhole)
{
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    for (const char* pszCaption : {"number", "error"}) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(pszCaption), QStringLiteral("041"),
                        QMessageBox::Ok);
        PrepareMessageBox(box);
        box.show();
        const int nBar = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
        EXPECT_GE(box.width(),
                  QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 3 * nBar)
            << pszCaption;
        EXPECT_TRUE(box.button(QMessageBox::Ok)->icon().isNull()) << "a plain OK";
        EXPECT_EQ(box.text(), "041");
        box.hide();
    }
    CVersionInfoDlg about;
    const auto* pNotice = about.findChild<QLabel*>(QStringLiteral("IDC_NOTICE"));
    ASSERT_NE(pNotice, nullptr);
    EXPECT_FALSE(pNotice->text().isEmpty());
    EXPECT_LE(pNotice->fontMetrics().horizontalAdvance(pNotice->text()) * 10, pNotice->width() * 9)
        << "the notice fits its static with a tenth to spare";
}

} // namespace
