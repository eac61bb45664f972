#include "ufhdlg.h"

#include "devicelink.h"
#include "state/appstate.h"
#include "testkinds.h"

CUFHDlg::CUFHDlg(QWidget* parent) : CBurdenPage(parent) {
    ui.setupUi(this);
    connect(ui.id1013, &QPushButton::clicked, this, &CUFHDlg::OnStart);
    InitDialog();
}

bool CUFHDlg::OnInitDialog() {
    CBurdenPage::OnInitDialog();
    theApp().m_pUFHDlg = this;
    InitRatedSecondaryBox(1014);
    return true;
}

void CUFHDlg::OnStart() {
    if (StartRefused())
        return;
    const int ratedSecondary = RatedSecondaryIndex(1014);
    ClearResults();
    theApp().m_results.NoteStart(tarvex::kPtBurdenKind, {{"ratedSecondaryIndex", ratedSecondary}});
    RunTest([ratedSecondary](CDeviceLink& link) { link.SendPTBurdenParams(ratedSecondary); }, 300);
}
