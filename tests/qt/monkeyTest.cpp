// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Thousands of random clicks, keys and pastes with a fixed seed. After every step the window must
// agree with the number logic's own rules, and the file with what is in memory.
#include "LimitEdit.h"
#include "TempDir.h"
#include "TestHost.h"
#include "zandrelDlg.h"
#include "zandrelStore.h"

#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <random>

namespace {

class CMonkey {
public:
    CTempWorkDir dir;
    CTestHost host;
    std::unique_ptr<CZandrelDlg> dlg;
    std::mt19937 rng{20261207};
    int nRestarts = 0;
    int nDraws = 0;
    int nRegistrations = 0;

    void Start()
    {
        dlg = ShowMainDialog(host, 7);
        ++nRestarts;
    }
    template <class T> T* W(const char* name) const
    {
        return dlg->findChild<T*>(QLatin1String(name));
    }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    QString RandomText()
    {
        static const QString pieces[] = {QStringLiteral("0"),
                                         QStringLiteral("1"),
                                         QStringLiteral("7"),
                                         QStringLiteral("9"),
                                         QStringLiteral("00"),
                                         QStringLiteral("0042"),
                                         QStringLiteral("12345678901234567890"),
                                         QStringLiteral("a"),
                                         QStringLiteral(" "),
                                         QStringLiteral("é"),
                                         QStringLiteral("使用"),
                                         QStringLiteral("１２３"),
                                         QStringLiteral("שלום"),
                                         QStringLiteral("😀"),
                                         QStringLiteral("\t"),
                                         QStringLiteral("\u202e12"),
                                         QString(1000, QLatin1Char('5'))};
        QString text;
        for (int n = 1 + Pick(3); n > 0; --n) {
            text += pieces[Pick(static_cast<int>(std::size(pieces)))];
        }
        return text;
    }

    void Step()
    {
        QWidget* pFocus = QApplication::focusWidget() ? QApplication::focusWidget() : dlg.get();
        auto* pEntry = W<CLimitEdit>("IDC_ENTRY");
        switch (Pick(12)) {
        case 0:
        case 1:
            pEntry->setFocus();
            QTest::keyClicks(pEntry, QString(QLatin1Char("0123456789a"[Pick(11)])));
            break;
        case 2:
            pEntry->setFocus();
            QTest::keyClick(pEntry, Qt::Key_Backspace);
            break;
        case 3:
            pEntry->setFocus();
            QApplication::clipboard()->setText(RandomText());
            QTest::keyClick(pEntry, Qt::Key_V, Qt::ControlModifier);
            break;
        case 4:
            QTest::mouseClick(W<QRadioButton>(Pick(2) ? "IDC_KIND3" : "IDC_KIND4"), Qt::LeftButton,
                              {}, QPoint(4, 4));
            break;
        case 5:
            QTest::mouseClick(W<QPushButton>("IDC_SET"), Qt::LeftButton, {}, QPoint(4, 4));
            break;
        case 6:
            QTest::mouseClick(W<QPushButton>("IDC_GET"), Qt::LeftButton, {}, QPoint(4, 4));
            break;
        case 7:
            QTest::mouseClick(W<QCheckBox>("IDC_USEPREV"), Qt::LeftButton, {}, QPoint(4, 4));
            break;
        case 8:
            QTest::keyClick(pFocus, Pick(2) ? Qt::Key_Tab : Qt::Key_Backtab);
            break;
        case 9: {
            static const Qt::Key arrows[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right};
            QTest::keyClick(pFocus, arrows[Pick(4)]);
            break;
        }
        case 10:
            QTest::keyClick(pFocus, Pick(8) == 0 ? Qt::Key_Escape : Qt::Key_Return);
            break;
        default:
            pEntry->setFocus();
            pEntry->selectAll();
            break;
        }
        if (!dlg->isVisible()) {
            dlg.reset();
            Start();
        }
    }

    // The window's state as the number logic's rules say it must be.
    void CheckInvariants(int nStep)
    {
        SCOPED_TRACE(testing::Message() << "step " << nStep);
        const int nKind = W<QRadioButton>("IDC_KIND4")->isChecked() ? 1 : 0;
        ASSERT_TRUE(W<QRadioButton>(nKind ? "IDC_KIND4" : "IDC_KIND3")->isChecked());
        ASSERT_EQ(dlg->Core().m_nKind, nKind);
        const std::string stored(nKind ? dlg->Core().m_pszPrevNo4.View()
                                       : dlg->Core().m_pszPrevNo3.View());
        ASSERT_EQ(dlg->Core().m_strPrevNo, stored);

        const QString strCaption = W<QGroupBox>("IDC_PREVGROUP")->title();
        const QString strExpected =
            QStringLiteral("before-no = ") +
            (stored.empty()
                 ? QString()
                 : QString::number(std::stoi(stored)).rightJustified(nKind + 3, QLatin1Char('0')));
        ASSERT_EQ(strCaption, strExpected);

        const std::string entry = W<CLimitEdit>("IDC_ENTRY")->text().toStdString();
        const std::size_t nWidth = static_cast<std::size_t>(nKind + 3);
        ASSERT_LE(entry.size(), nWidth) << "typing and pasting keep to the limit";
        bool bSettable =
            entry.size() == nWidth && entry.find_first_not_of("0123456789") == std::string::npos;
        if (bSettable) {
            const auto nFirst = entry.find_first_not_of('0');
            bSettable = (nFirst == std::string::npos ? "0" : entry.substr(nFirst)) != stored;
        }
        ASSERT_EQ(W<QPushButton>("IDC_SET")->isEnabled(), bSettable) << "entry '" << entry << "'";

        if (dir.StoreExists()) {
            const CStoreRecords records = DecodeStore(dir.ReadStore());
            ASSERT_EQ(records.m_str3, dlg->Core().m_pszPrevNo3.View());
            ASSERT_EQ(records.m_str4, dlg->Core().m_pszPrevNo4.View());
        }
        nDraws += static_cast<int>(host.m_boxes.size());
        if (strCaption != m_strLastCaption) {
            ++nRegistrations; // counts kind switches too; good enough to see the run did something
            m_strLastCaption = strCaption;
        }
        for (const auto& box : host.m_boxes) {
            ASSERT_EQ(box.caption, QStringLiteral("number")) << box.text.toStdString();
            ASSERT_EQ(box.text.size(), static_cast<qsizetype>(dlg->Core().m_nKind + 3));
        }
        host.m_boxes.clear();
    }

private:
    QString m_strLastCaption;
};

TEST(MonkeyTest, RandomUseKeepsEveryRule)
{
    CMonkey monkey;
    monkey.Start();
    for (int i = 0; i < 3000; ++i) {
        monkey.Step();
        monkey.CheckInvariants(i);
        if (testing::Test::HasFatalFailure()) {
            return;
        }
    }
    testing::Test::RecordProperty("restarts", monkey.nRestarts);
    std::cout << "3000 steps: " << monkey.nRestarts << " starts, " << monkey.nDraws << " draws, "
              << monkey.nRegistrations << " caption changes\n";
    EXPECT_GT(monkey.nDraws, 100);
    EXPECT_TRUE(monkey.dir.StoreExists()) << "the run never registered a number";
    EXPECT_GT(monkey.nRestarts, 1);
}

} // namespace
