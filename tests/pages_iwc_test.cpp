// The error-curve window: its choices, the computation from the curve on show with the entered
// secondary impedance, the list and the chart.
#include "controls/fwnumedt.h"
#include "pages/ivadlg.h"
#include "pages/iwcdlg.h"
#include "platform/appearance.h"
#include "support/pagebench.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

namespace {

class ErrorCurveWindow : public ::testing::Test {
  protected:
    void SetUp() override { window.SetSourcePage(&source); }
    void SetCurve(const QList<float>& currents, const QList<float>& voltages) {
        source.m_CurveCurrents = currents;
        source.m_CurveVoltages = voltages;
    }
    // The curve of the worked example: (0, 0), (0.01 A, 10 V), (0.02, 30), (0.05, 60), (0.2, 100).
    void SetExampleCurve() { SetCurve({0, 0.01f, 0.02f, 0.05f, 0.2f}, {0, 10, 30, 60, 100}); }
    void Calculate(const QString& z2) {
        window.m_edtZ2->setText(z2);
        window.OnCalcErrorCurve();
    }
    std::vector<QStringList> Rows() const {
        std::vector<QStringList> rows;
        for (int r = 0; r < window.m_list->topLevelItemCount(); ++r) {
            QTreeWidgetItem* item = window.m_list->topLevelItem(r);
            rows.push_back({item->text(0), item->text(1), item->text(2)});
        }
        return rows;
    }
    QImage Chart() {
        window.resize(720, 560);
        return window.grab().toImage();
    }

    PageBench bench;
    CIVADlg source;
    QWidget owner;
    CIWCDlg window{&owner};
};

} // namespace

TEST_F(ErrorCurveWindow, StartsAsAHiddenToolWindowWithItsChoices) {
    EXPECT_TRUE(window.isWindow());
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_EQ(window.windowTitle(), "误差曲线");
    EXPECT_EQ(window.parentWidget(), &owner);
    EXPECT_TRUE(window.IsChecked(1012));
    EXPECT_FALSE(window.IsChecked(1011));
    EXPECT_TRUE(window.IsChecked(1016));
    EXPECT_FALSE(window.IsChecked(1015));
    ASSERT_NE(window.m_edtZ2, nullptr);
    EXPECT_EQ(window.GetDlgItem(1004), window.m_edtZ2);
    EXPECT_EQ(window.m_edtZ2->text(), "1");
    EXPECT_EQ(window.m_edtZ2->MaxIntDigits(), 1);
    EXPECT_EQ(window.m_edtZ2->MaxDecDigits(), 3);
    const QStringList headers = {"组号", "M10", "ZII"};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(window.m_list->headerItem()->text(column), headers[column]);
        EXPECT_EQ(window.m_list->columnWidth(column), 100);
    }
    EXPECT_EQ(window.m_list->font().pixelSize(), 16);
}

TEST_F(ErrorCurveWindow, WorkedExampleWithoutSecondaryImpedance) {
    SetExampleCurve();
    Calculate("0");
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"1", "0.10", "133.3"}, {"2", "0.40", "55.5"}}));
    EXPECT_EQ(window.m_nMaxMultiple, 4);
    EXPECT_EQ(window.m_nMaxImpedance, 170);
    EXPECT_EQ(window.m_ErrorPoints, (std::vector<tagFWPOINT>{{290, 103}, {320, 218}}));
    const QImage chart = Chart();
    EXPECT_EQ(chart.pixelColor(290, 103), QColor(0, 255, 0));
    EXPECT_EQ(chart.pixelColor(322, 220), QColor(0, 255, 0));
    EXPECT_EQ(chart.pixelColor(300, 60), QColor(0, 0, 0));
}

TEST_F(ErrorCurveWindow, RatedOneAmpScalesTheMultiples) {
    SetExampleCurve();
    QTest::mouseClick(window.findChild<QWidget*>("id1011"), Qt::LeftButton);
    EXPECT_EQ(window.m_bRated5A, 0);
    EXPECT_TRUE(window.IsChecked(1011));
    EXPECT_FALSE(window.IsChecked(1012));
    Calculate("0");
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"1", "0.50", "133.3"}, {"2", "2.00", "55.5"}}));
    EXPECT_EQ(window.m_nMaxMultiple, 4);
}

TEST_F(ErrorCurveWindow, EnteredSecondaryImpedanceLowersTheLoad) {
    SetExampleCurve();
    Calculate("1"); // the initial entry: E = U - I*Z2, ZII = E / (9 I) - Z2
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"1", "0.10", "132.2"}, {"2", "0.40", "54.4"}}));
    EXPECT_EQ(window.m_nMaxImpedance, 170);
}

TEST_F(ErrorCurveWindow, FivePercentCurveTakesEffectAtTheNextComputation) {
    SetExampleCurve();
    Calculate("0");
    const std::vector<QStringList> tenPercent = Rows();
    QTest::mouseClick(window.findChild<QWidget*>("id1015"), Qt::LeftButton);
    EXPECT_TRUE(window.IsChecked(1015));
    EXPECT_FALSE(window.IsChecked(1016));
    EXPECT_EQ(window.m_nCurrentFactor, 20);
    EXPECT_EQ(window.m_nSecondaryFactor, 19);
    EXPECT_EQ(Rows(), tenPercent);
    QTest::mouseClick(window.findChild<QWidget*>("id1013"), Qt::LeftButton);
    // M = 20 I / 5, Z = U / (19 I): 60 / 0.95 = 63.16, 100 / 3.8 = 26.3.
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"1", "0.20", "63.1"}, {"2", "0.80", "26.3"}}));
    QTest::mouseClick(window.findChild<QWidget*>("id1016"), Qt::LeftButton);
    EXPECT_EQ(window.m_nCurrentFactor, 10);
    EXPECT_EQ(window.m_nSecondaryFactor, 9);
}

TEST_F(ErrorCurveWindow, OriginAloneEmptiesTheListAndBothScales) {
    SetExampleCurve();
    Calculate("0");
    SetCurve({0}, {0});
    Calculate("0");
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(window.m_nMaxMultiple, 0);
    EXPECT_EQ(window.m_nMaxImpedance, 0);
    EXPECT_TRUE(window.m_ErrorPoints.empty());
    EXPECT_EQ(Chart().pixelColor(300, 60), QColor(0, 0, 0)); // paints with zero scales
}

TEST_F(ErrorCurveWindow, NoCurveKeepsThePreviousResult) {
    SetExampleCurve();
    Calculate("0");
    SetCurve({}, {});
    Calculate("0");
    EXPECT_EQ(Rows().size(), 2u);
    EXPECT_EQ(window.m_nMaxImpedance, 170);
}

TEST_F(ErrorCurveWindow, ZeroCurrentAfterTheOriginIsSkipped) {
    SetCurve({0, 0.01f, 0, 0.02f, 0.05f, 0.2f}, {0, 10, 5, 30, 60, 100});
    Calculate("0");
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"1", "0.10", "133.3"}, {"2", "0.40", "55.5"}}));
    EXPECT_EQ(window.m_nMaxImpedance, 170);
}

TEST_F(ErrorCurveWindow, ClosingOnlyHides) {
    window.show();
    EXPECT_TRUE(window.isVisible());
    window.close();
    EXPECT_TRUE(window.isHidden());
    SetExampleCurve();
    Calculate("0");
    window.show();
    EXPECT_EQ(Rows().size(), 2u);
}

// Shown over its owner wholly on the screen, even when the owner hangs off the screen's edge;
// Escape hides it as it would a dialog. The selected row of its list stays readable.
TEST_F(ErrorCurveWindow, ComesUpOverItsOwnerOnTheScreenAndEscapeHidesIt) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    owner.setGeometry(screen.right() - 100, screen.top() + 40, 400, 300);
    owner.show();
    window.resize(720, 560);
    window.show();
    EXPECT_TRUE(screen.contains(window.frameGeometry()))
        << screen.width() << "x" << screen.height();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isHidden());

    SetExampleCurve();
    Calculate("0");
    window.show();
    QTreeWidgetItem* row = window.m_list->topLevelItem(0);
    row->setSelected(true);
    const QRect cell = window.m_list->visualItemRect(row).adjusted(2, 2, -2, -2);
    const QImage shot = window.m_list->viewport()->grab().toImage();
    const QColor background = shot.pixelColor(cell.topLeft());
    int textPixels = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            textPixels += std::abs(qGray(shot.pixel(x, y)) - qGray(background.rgb())) > 100;
    EXPECT_GT(textPixels, 20);
}

// The window fits into the available area with its title bar and frame (1920 x 1080 at scale 2
// is 960 x 540, less a panel) and stays over its owner as far as the area allows.
TEST(ErrorCurvePlacement, FitsTheAvailableAreaWithItsTitleBar) {
    const QSize window(720, 560);
    const QMargins frame(4, 28, 4, 4);
    const std::pair<QRect, QRect> screensAndOwners[] = {{{0, 27, 960, 513}, {0, 27, 960, 513}},
                                                        {{0, 0, 1366, 740}, {900, 300, 1024, 768}}};
    for (const auto& [available, owner] : screensAndOwners) {
        const QRect outer =
            tarvex::PlaceOverOwner(window, owner, available, frame).marginsAdded(frame);
        EXPECT_TRUE(available.contains(outer)) << available.width() << "x" << available.height();
        EXPECT_EQ(outer.size(), window.grownBy(frame).boundedTo(available.size()));
    }
}
