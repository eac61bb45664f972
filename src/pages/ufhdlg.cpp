#include "ufhdlg.h"

#include "app/tarvexapp.h"
#include "devicelink.h"

#include <algorithm>

CUFHDlg::CUFHDlg(QWidget* parent) : CBurdenPage(parent) {
    ui.setupUi(this);
    connect(ui.id1013, &QPushButton::clicked, this, &CUFHDlg::OnStart);
    InitDialog();
}

bool CUFHDlg::OnInitDialog() {
    CBurdenPage::OnInitDialog();
    theApp().m_pUFHDlg = this;
    ui.id1014->setInsertPolicy(QComboBox::NoInsert);
    SetSelectedIndex(1014, -1);
    SetDlgItemText(1014, "100");
    return true;
}

void CUFHDlg::OnStart() {
    if (StartRefused())
        return;
    const int ratedSecondary = std::max(GetSelectedIndex(1014), 0);
    ClearResults();
    RunTest([ratedSecondary](CDeviceLink& link) { link.SendPTBurdenParams(ratedSecondary); }, 300);
}
