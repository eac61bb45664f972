#include "ijbdlg.h"

#include "devicelink.h"
#include "state/appstate.h"
#include "testkinds.h"

namespace {
// Phase errors at 5, 20, 100, 120 %, then ratio errors at the same points, as the reply has them.
constexpr int kResultIds[] = {1006, 1008, 1010, 1017, 1007, 1009, 1014, 1018};
} // namespace

CIJBDlg::CIJBDlg(QWidget* parent) : CErrorPage(parent, kResultIds) {
    ui.setupUi(this);
    connect(ui.id1013, &QPushButton::clicked, this, &CIJBDlg::OnStart);
    InitDialog();
}

void CIJBDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, 1011, m_btnFullLoad);
    DDX_Control(dx, 1012, m_btnLightLoad);
    DDX_Control(dx, 1015, m_btn1A);
    DDX_Control(dx, 1016, m_btn5A);
    DDX_Text(dx, 1004, m_nRatedPrimary);
    DDV_MinMaxInt(dx, m_nRatedPrimary, 1, 5000);
    DDX_Text(dx, 1005, m_nRatedBurden);
    DDV_MinMaxInt(dx, m_nRatedBurden, 1, 99);
}

bool CIJBDlg::OnInitDialog() {
    CErrorPage::OnInitDialog();
    theApp().m_pIJBDlg = this;
    CheckRadio(1012);
    CheckRadio(1016);
    return true;
}

void CIJBDlg::OnStart() {
    if (StartRefused())
        return;
    if (!UpdateData(true))
        return;
    const int ratedSecondary = IsChecked(1016) ? 5 : 1;
    const int mode = IsChecked(1011) ? 1 : 0;
    ClearResults();
    theApp().m_results.NoteStart(tarvex::kCtErrorKind, {{"ratedPrimary", m_nRatedPrimary},
                                                        {"ratedSecondary", ratedSecondary},
                                                        {"ratedBurden", m_nRatedBurden},
                                                        {"fullLoad", mode == 1}});
    const auto sendParameters = [this, ratedSecondary, mode](CDeviceLink& link) {
        link.SendCTErrorParams(m_nRatedPrimary, ratedSecondary, m_nRatedBurden, mode);
    };
    RunTest(sendParameters, 300);
}
