#include "pages/ivadlg.h"

#include "state/appstate.h"

namespace {
const CExcitationPage::Kind kCTExcitation{0x1A, 500, &CAppState::m_CTRecords, false};
}

CIVADlg::CIVADlg(QWidget* parent) : CExcitationPage(parent, kCTExcitation) {
    ui.setupUi(this);
    InitDialog();
}

CIVADlg::~CIVADlg() {
    if (theApp().m_pIVADlg == this)
        theApp().m_pIVADlg = nullptr;
}

bool CIVADlg::OnInitDialog() {
    theApp().m_pIVADlg = this;
    return CExcitationPage::OnInitDialog();
}
