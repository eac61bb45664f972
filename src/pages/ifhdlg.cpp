#include "ifhdlg.h"

#include "devicelink.h"
#include "res/tarvexres.h"
#include "state/appstate.h"
#include "testkinds.h"

#include <QPixmap>

CIFHDlg::CIFHDlg(QWidget* parent) : CBurdenPage(parent) {
    ui.setupUi(this);
    connect(ui.id1013, &QPushButton::clicked, this, &CIFHDlg::OnStart);
    InitDialog();
}

void CIFHDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, 1011, m_btn1A);
    DDX_Control(dx, 1012, m_btn5A);
}

bool CIFHDlg::OnInitDialog() {
    CBurdenPage::OnInitDialog();
    theApp().m_pIFHDlg = this;
    ui.id1034->setPixmap(QPixmap(tarvex::IconPath(168)));
    ui.id1034->setAccessibleName("Ω");
    CheckRadio(1012);
    return true;
}

void CIFHDlg::OnStart() {
    if (StartRefused())
        return;
    UpdateData(true);
    const int ratedSecondary = IsChecked(1012) ? 5 : 1;
    ClearResults();
    theApp().m_results.NoteStart(tarvex::kCtBurdenKind, {{"ratedSecondary", ratedSecondary}});
    RunTest([ratedSecondary](CDeviceLink& link) { link.SendCTBurdenParams(ratedSecondary); }, 300);
}
