#include "ujbdlg.h"

#include "controls/fwnumedt.h"
#include "devicelink.h"
#include "platform/msgbox.h"
#include "state/appstate.h"
#include "testkinds.h"

namespace {
// Phase errors at 80, 100, 120 %, then ratio errors at the same points, as the reply has them.
constexpr int kResultIds[] = {1006, 1008, 1010, 1007, 1009, 1014};
} // namespace

CUJBDlg::CUJBDlg(QWidget* parent) : CErrorPage(parent, kResultIds) {
    ui.setupUi(this);
    PromoteRatedPrimaryEntry();
    connect(ui.id1013, &QPushButton::clicked, this, &CUJBDlg::OnStart);
    InitDialog();
}

// The template has a plain entry at 1004; the numeric entry takes its place, name, label and
// position in the tab order.
void CUJBDlg::PromoteRatedPrimaryEntry() {
    ui.id1004 = CFwNumEdt::ReplaceLineEdit(ui.id1004);
}

void CUJBDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, 1011, m_btnFullLoad);
    DDX_Control(dx, 1012, m_btnLightLoad);
    DDX_Control(dx, 1004, m_editRatedPrimary);
    DDX_Text(dx, 1004, m_fRatedPrimary);
    DDX_Text(dx, 1005, m_nRatedBurden);
    DDV_MinMaxInt(dx, m_nRatedBurden, 1, 99);
}

bool CUJBDlg::OnInitDialog() {
    CErrorPage::OnInitDialog();
    theApp().m_pUJBDlg = this;
    InitRatedSecondaryBox(1018);
    CheckRadio(1012);
    m_editRatedPrimary->SetMaxDecDigits(1);
    m_editRatedPrimary->SetMaxIntDigits(3);
    return true;
}

void CUJBDlg::OnStart() {
    if (StartRefused())
        return;
    if (!UpdateData(true))
        return;
    // The float against the double bounds: an entered 0.1 is stored slightly above 0.1 and passes.
    if (m_fRatedPrimary < 0.1 || m_fRatedPrimary > 220) {
        AfxMessageBox("Please input a data between 0.1 and 220");
        GetDlgItem(1004)->setFocus(Qt::OtherFocusReason);
        return;
    }
    const int tenthsKv = int(m_fRatedPrimary * 10.0f);
    const int ratedSecondary = RatedSecondaryIndex(1018);
    const int mode = IsChecked(1011) ? 1 : 0;
    ClearResults();
    theApp().m_results.NoteStart(tarvex::kPtErrorKind, {{"ratedPrimaryKv", m_fRatedPrimary},
                                                        {"ratedSecondaryIndex", ratedSecondary},
                                                        {"ratedBurden", m_nRatedBurden},
                                                        {"fullLoad", mode == 1}});
    const auto sendParameters = [this, tenthsKv, ratedSecondary, mode](CDeviceLink& link) {
        link.SendPTErrorParams(tenthsKv, ratedSecondary, m_nRatedBurden, mode);
    };
    RunTest(sendParameters, 300);
}
