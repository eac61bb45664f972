#include "ubbdlg.h"

#include "link/replyfields.h"

#include "devicelink.h"
#include "platform/msgbox.h"
#include "state/appstate.h"
#include "state/reporttext.h"
#include "testkinds.h"

#include <QComboBox>

namespace {

constexpr int kResultIds[] = {1005, 1006, 1007, 1008, 1009};

} // namespace

CUBBDlg::CUBBDlg(QWidget* parent) : CTestPage(parent) {
    ui.setupUi(this);
    connect(ui.id1013, &QPushButton::clicked, this, &CUBBDlg::OnStart);
    InitDialog();
}

void CUBBDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, 1014, m_cbRatedSecondary);
    DDX_Text(dx, 1004, m_nTestVoltage);
    DDV_MinMaxInt(dx, m_nTestVoltage, 10, 2500);
}

bool CUBBDlg::OnInitDialog() {
    CTestPage::OnInitDialog();
    theApp().m_pUBBDlg = this;
    InitRatedSecondaryBox(1014);
    return true;
}

void CUBBDlg::OnStart() {
    if (StartRefused())
        return;
    if (!UpdateData(true))
        return;
    const int ratedSecondary = RatedSecondaryIndex(1014);
    const int limit = theApp().m_nMaxTestVoltage;
    if (m_nTestVoltage > limit) {
        MessageBox(this, QString::asprintf("一次侧测试电压不能超过%dV，请重新设置", limit),
                   "系统提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    ClearResults();
    theApp().m_results.NoteStart(tarvex::kPtRatioKind, {{"testVoltage", m_nTestVoltage},
                                                        {"ratedSecondaryIndex", ratedSecondary}});
    const auto sendParameters = [this, ratedSecondary](CDeviceLink& link) {
        link.SendPTRatioParams(m_nTestVoltage, ratedSecondary);
    };
    RunTest(sendParameters, 500);
}

void CUBBDlg::ShowRatioResult(const tarvex::PtRatioReply& result) {
    ClearShownResult();
    const auto show = [this](int id, const std::optional<double>& value, auto text) {
        if (value)
            SetDlgItemText(id, text(*value));
    };
    show(1005, result.primaryVoltage, tarvex::OneDecimalText);
    show(1006, result.secondaryVoltage, tarvex::TwoDecimalText);
    show(1007, result.ratioPrimary, tarvex::TwoDecimalText); // kV
    if (result.secondaryIndex)
        SetDlgItemText(1008, tarvex::RatedSecondaryText(*result.secondaryIndex));
    if (result.polarityPositive)
        SetDlgItemText(1009, tarvex::PolarityText(*result.polarityPositive));
}

void CUBBDlg::BuildResultText() {
    const std::optional<TestResult> result = theApp().m_results.Latest(tarvex::kPtRatioKind);
    theApp().m_strReport = tarvex::PtRatioReportText(result ? &*result : nullptr);
}

void CUBBDlg::ClearResults() {
    ClearShownResult();
    UpdateData(false);
}

// A reply replaces the whole result on show: nothing of an earlier one stays beside it.
void CUBBDlg::ClearShownResult() {
    for (const int id : kResultIds)
        SetDlgItemText(id, QString());
}

void CUBBDlg::ShowResult(const TestResult::Value& value) {
    if (const auto* ratio = std::get_if<tarvex::PtRatioReply>(&value))
        ShowRatioResult(*ratio);
}
