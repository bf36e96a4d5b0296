// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "LimitEdit.h"
#include "TemplateDialog.h"
#include "TestHost.h"
#include "zandrel_rc.h"

#include <gtest/gtest.h>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

namespace {

TEST(DialogUnitsTest, MapsQuartersAndEighthsOfTheBaseUnits)
{
    struct Row {
        int baseX, baseY;
        int x, y, cx, cy;
        QRect expected;
    };
    const Row rows[] = {
        {6, 12, 93, 73, 20, 14, QRect(140, 110, 30, 21)}, // 139.5 and 109.5 round up
        {7, 13, 139, 135, 0, 0, QRect(243, 219, 0, 0)},
        {8, 16, 4, 8, 1, 1, QRect(8, 16, 2, 2)},
        {6, 12, 1, 1, 2, 3, QRect(2, 2, 3, 5)},
        {6, 12, -2, -3, 0, 0, QRect(-3, -5, 0, 0)},
    };
    for (const Row& row : rows) {
        const CDialogUnits units(row.baseX, row.baseY);
        EXPECT_EQ(units.MapDialogRect(row.x, row.y, row.cx, row.cy), row.expected)
            << row.baseX << "x" << row.baseY << " at " << row.x << "," << row.y;
    }
}

TEST(DialogUnitsTest, BaseUnitsComeFromTheDialogFont)
{
    const QFont font = DialogFont(rc::MainDialog());
    EXPECT_EQ(QFontInfo(font).pointSize(), 9);
    const CDialogUnits units = CDialogUnits::FromFont(font);
    const QFontMetrics fm(font);
    EXPECT_EQ(units.Y(8), fm.height()) << "eight vertical units are the font's height";
    const int nWidth = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_LE(std::abs(units.X(4) * 52 - nWidth), 26) << "four units are the average width";
    EXPECT_GT(units.X(4), 0);
}

TEST(DialogFontTest, StandsInForTheMissingFace)
{
    const QFont font = DialogFont(rc::MainDialog());
    const QStringList families = font.families();
    ASSERT_GE(families.size(), 3);
    EXPECT_EQ(families[0], QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_TRUE(families.contains(QStringLiteral("IPAPGothic")));
    const QString resolved = QFontInfo(font).family();
    EXPECT_TRUE(resolved.contains(QStringLiteral("Gothic"), Qt::CaseInsensitive) ||
                resolved.contains(QStringLiteral("ゴシック")))
        << resolved.toStdString() << " (is fonts-ipafont-gothic installed?)";
}

TEST(TemplateDialogTest, RealisesEveryItemWhereTheTemplatePutsIt)
{
    CTemplateDialog dlg(rc::MainDialog());
    const CDialogUnits units = CDialogUnits::FromFont(dlg.font());
    for (const rc::ItemTemplate& item : rc::MainDialog().items) {
        auto* pWidget = dlg.findChild<QWidget*>(QLatin1String(item.name));
        ASSERT_NE(pWidget, nullptr) << item.name;
        EXPECT_EQ(pWidget->geometry(), units.MapDialogRect(item.x, item.y, item.cx, item.cy))
            << item.name;
        const bool bTabStop = (item.style & rc::WS_TABSTOP) != 0;
        EXPECT_EQ((pWidget->focusPolicy() & Qt::TabFocus) != 0, bTabStop) << item.name;
        if (item.id != -1) {
            EXPECT_EQ(dlg.GetDlgItem(item.id), pWidget) << item.name;
        }
    }
    EXPECT_TRUE(dlg.Item<QPushButton>(1005)->isDefault());
    EXPECT_FALSE(dlg.Item<QPushButton>(2)->isDefault());
}

// The icon at any whole device pixel ratio is the artwork's pixels enlarged, not smoothed.
TEST(TemplateDialogTest, ProgramIconIsSharpAtEveryScale)
{
    const QImage art = QPixmap(rc::MainIconXpm()).toImage();
    for (const int nScale : {1, 2, 3, 4}) {
        const QImage image = CTemplateDialog::ProgramIcon().pixmap(QSize(32, 32), nScale).toImage();
        ASSERT_EQ(image.size(), art.size() * nScale) << nScale;
        int nDiffer = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                nDiffer += image.pixel(x, y) != art.pixel(x / nScale, y / nScale);
            }
        }
        EXPECT_EQ(nDiffer, 0) << "pixels not copied from the artwork at scale " << nScale;
    }
}

TEST(LimitEditTest, RefusedTypingReportsNoChange)
{
    CLimitEdit edit;
    edit.SetLimitBytes(3);
    QSignalSpy spy(&edit, &CLimitEdit::EditChanged);
    edit.SetTextWhole(QStringLiteral("123456"), true);
    QTest::keyClicks(&edit, QStringLiteral("78"));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("123456"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(spy.count(), 2);
}

} // namespace
