#include "ibbdlg.h"

#include "link/replyfields.h"

#include "devicelink.h"
#include "platform/fonts.h"
#include "platform/msgbox.h"
#include "platform/reportlist.h"
#include "state/appstate.h"
#include "state/reporttext.h"
#include "testkinds.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace {

constexpr int kTaps = tarvex::kCtTapCount;

constexpr int kSingleResultIds[] = {1007, 1008, 1009, 1035, 1036, 1037, 1038};
constexpr int kResultIds[] = {1005, 1006, 1007, 1008, 1009};

} // namespace

CIBBDlg::CIBBDlg(QWidget* parent) : CTestPage(parent) {
    ui.setupUi(this);
    connect(ui.id1013, &QPushButton::clicked, this, &CIBBDlg::OnStart);
    InitDialog();
}

void CIBBDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, 1011, m_btn1A);
    DDX_Control(dx, 1012, m_btn5A);
    DDX_Control(dx, 1003, m_list);
    DDX_Text(dx, 1004, m_nTestCurrent);
    DDV_MinMaxInt(dx, m_nTestCurrent, 5, 1000);
}

bool CIBBDlg::OnInitDialog() {
    CTestPage::OnInitDialog();
    theApp().m_pIBBDlg = this;
    CheckRadio(1011, false);
    CheckRadio(1012, true);
    PrepareList();
    ShowSingleResult(m_nSingleMode);
    return true;
}

void CIBBDlg::PrepareList() {
    tarvex::PrepareReportList(m_list, {"组号", "变比", "极性"}, 80);
}

void CIBBDlg::OnStart() {
    if (StartRefused())
        return;
    if (!UpdateData(true))
        return;
    const int ratedSecondary = IsChecked(1012) ? 5 : 1;
    const int limit = theApp().m_nMaxTestCurrent;
    if (m_nTestCurrent > limit) {
        MessageBox(this, QString::asprintf("一次侧测试电流不能超过%dA，请重新设置", limit),
                   "系统提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    ClearResults();
    // A result from the archive may have shown the other instrument type's fields.
    if (const auto type = theApp().m_deviceInfo.deviceType)
        SetDeviceType(*type);
    theApp().m_results.NoteStart(tarvex::kCtRatioKind, {{"testCurrent", m_nTestCurrent},
                                                        {"ratedSecondary", ratedSecondary}});
    const auto sendParameters = [this, ratedSecondary](CDeviceLink& link) {
        link.SendCTRatioParams(m_nTestCurrent, ratedSecondary);
    };
    RunTest(sendParameters, 500);
}

void CIBBDlg::SetDeviceType(unsigned char type) {
    if (type == 0xA1)
        m_nSingleMode = 1;
    else if (type == 0xA2)
        m_nSingleMode = 0;
    ShowSingleResult(m_nSingleMode);
}

void CIBBDlg::ShowSingleResult(int show) {
    for (const int id : kSingleResultIds)
        ShowItem(id, show != 0);
    ShowItem(1003, show == 0);
}

void CIBBDlg::ShowCurrents(const std::optional<double>& primary,
                           const std::optional<double>& secondary) {
    if (primary)
        SetDlgItemText(1005, tarvex::OneDecimalText(*primary));
    if (secondary)
        SetDlgItemText(1006, tarvex::SecondaryCurrentText(*secondary));
}

void CIBBDlg::ShowRatioResult(const tarvex::CtRatioReply& result) {
    ClearShownResult();
    ShowCurrents(result.primaryCurrent, result.secondaryCurrent);
    if (result.ratioPrimary)
        SetDlgItemText(1007, tarvex::OneDecimalText(*result.ratioPrimary));
    if (result.ratioSecondary)
        SetDlgItemText(1008, QString::number(*result.ratioSecondary));
    if (result.polarityPositive)
        SetDlgItemText(1009, tarvex::PolarityText(*result.polarityPositive));
}

void CIBBDlg::ShowTapResults(const tarvex::CtTapReply& result) {
    ClearShownResult();
    ShowCurrents(result.primaryCurrent, result.secondaryCurrent);
    if (!result.taps)
        return;
    for (int i = 0; i < kTaps; ++i) {
        const tarvex::CtTap& tap = result.taps->taps[i];
        m_list->insertTopLevelItem(
            i, tarvex::NewCentredRow({
                   tarvex::TapNameText(i + 1),
                   tarvex::TapRatioText(tap.ratioPrimary, result.taps->ratioSecondary),
                   tarvex::PolarityText(tap.polarityPositive),
               }));
    }
}

void CIBBDlg::BuildResultText() {
    const std::optional<TestResult> result = theApp().m_results.Latest(tarvex::kCtRatioKind);
    theApp().m_strReport =
        tarvex::CtRatioReportText(result ? &*result : nullptr, m_nSingleMode != 0);
}

void CIBBDlg::ClearResults() {
    ClearShownResult();
    UpdateData(false);
}

// A reply replaces the whole result on show: nothing of an earlier one stays beside it.
void CIBBDlg::ClearShownResult() {
    for (const int id : kResultIds)
        SetDlgItemText(id, QString());
    m_list->clear();
}

void CIBBDlg::ShowResult(const TestResult::Value& value) {
    if (const auto* single = std::get_if<tarvex::CtRatioReply>(&value))
        ShowRatioResult(*single);
    else if (const auto* taps = std::get_if<tarvex::CtTapReply>(&value))
        ShowTapResults(*taps);
}
