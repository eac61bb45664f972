#include "analysis/classsetting.h"
#include "pages/analysisdlg.h"
#include "pages/errorverdictview.h"
#include "pages/kneeview.h"
#include "state/appstate.h"
#include "testkinds.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QWidget>

#include <cmath>

namespace {

using tarvex::kCtErrorKind;
using tarvex::kCtExcitationKind;
using tarvex::kPtErrorKind;

// Straight on log-log axes, I ∝ U^0.5 up to 100 V and I ∝ U^8 above: every 10 V from 10 to 150.
tarvex::ExcitationReply BentCurve() {
    tarvex::ExcitationReply reply{123.4, 0.25, 0, {}};
    for (double u = 10; u <= 150; u += 10)
        reply.points.push_back(
            {u <= 100 ? 0.05 * std::sqrt(u / 100) : 0.05 * std::pow(u / 100, 8), u});
    return reply;
}

// The window opened from the menu shows the latest excitation result with the instrument's knee
// as its page prints it and the two knees by the standards; cut below the bend, the curve
// reaches none of them.
TEST(AnalysisWindow, ShowsTheKneesOfTheLatestExcitationResult) {
    CAppState app;
    QWidget owner;
    app.m_results.Store(kCtExcitationKind, BentCurve(), ResultSource::Instrument);
    CAnalysisDlg* dlg = CAnalysisDlg::Open(&owner, kCtErrorKind);
    EXPECT_EQ(CAnalysisDlg::Open(&owner, kCtErrorKind), dlg); // one window
    const CKneeView* view = dlg->KneeView();
    EXPECT_EQ(view->KneeText(0, 0), "U = 123.4 V");
    EXPECT_EQ(view->KneeText(0, 1), "I = 0.250 A");
    for (int row : {1, 2})
        EXPECT_TRUE(view->KneeText(row, 0).startsWith("U = 9"))
            << view->KneeText(row, 0).toStdString();

    tarvex::ExcitationReply low = BentCurve();
    low.points.resize(9);
    app.m_results.Store(kCtExcitationKind, low, ResultSource::DataFile);
    for (int row : {1, 2})
        EXPECT_EQ(view->KneeText(row, 1), "曲线未到拐点");
}

// The class picked for CT results is remembered for them alone; each point and the whole get
// 合格 or 不合格, nothing where a value did not arrive.
TEST(AnalysisWindow, JudgesErrorsByTheClassRememberedPerKind) {
    CAppState app;
    QWidget owner;
    app.m_results.Store(kCtErrorKind, tarvex::ErrorReply{{5, 5, 5, 5}, {0.3, 0.2, 0.1, 0.1}},
                        ResultSource::Instrument);
    app.m_results.Store(kPtErrorKind, tarvex::ErrorReply{{5, 5, 5}, {0.3, 0.3}},
                        ResultSource::Instrument);
    {
        CAnalysisDlg dlg(&owner);
        dlg.ShowLatest(kCtErrorKind);
        dlg.VerdictView()->SelectClass(tarvex::AccuracyClass::Ct0_2);
    }
    CAnalysisDlg dlg(&owner);
    dlg.ShowLatest(kCtErrorKind);
    const CErrorVerdictView* view = dlg.VerdictView();
    EXPECT_EQ(view->CellText(0, 5), "合格"); // 0.3 % within 0.75 % at 5 %
    EXPECT_EQ(view->OverallText(), "合格");
    dlg.ShowLatest(kPtErrorKind); // PT remembers nothing yet: class 0.1
    EXPECT_EQ(view->CellText(0, 5), "不合格");
    EXPECT_EQ(view->CellText(2, 5), "—");
    EXPECT_NE(view->OverallText(), "合格");
    EXPECT_NE(view->OverallText(), "不合格");
}

// 有气隙 is kept for the next window (and the report): the IEEE knee at 30° from then on.
TEST(AnalysisWindow, KeepsTheGappedCoreChoice) {
    CAppState app;
    QWidget owner;
    app.m_results.Store(kCtExcitationKind, BentCurve(), ResultSource::Instrument);
    const auto gapped = [](const CAnalysisDlg& dlg) {
        for (QCheckBox* box : dlg.KneeView()->findChildren<QCheckBox*>())
            if (box->text() == "有气隙")
                return box;
        return static_cast<QCheckBox*>(nullptr);
    };
    {
        CAnalysisDlg dlg(&owner);
        ASSERT_TRUE(gapped(dlg));
        EXPECT_FALSE(gapped(dlg)->isChecked());
        gapped(dlg)->setChecked(true);
    }
    CAnalysisDlg dlg(&owner);
    dlg.ShowLatest(kCtExcitationKind);
    EXPECT_TRUE(gapped(dlg)->isChecked());
    EXPECT_TRUE(tarvex::RememberedGappedCore()); // the report's IEEE knee
}

} // namespace
