#include "pages/uvadlg.h"

#include "state/appstate.h"

namespace {
const CExcitationPage::Kind kPTExcitation{0x1F, 300, &CAppState::m_PTRecords, true};
}

CUVADlg::CUVADlg(QWidget* parent) : CExcitationPage(parent, kPTExcitation) {
    ui.setupUi(this);
    InitDialog();
}

CUVADlg::~CUVADlg() {
    if (theApp().m_pUVADlg == this)
        theApp().m_pUVADlg = nullptr;
}

bool CUVADlg::OnInitDialog() {
    theApp().m_pUVADlg = this;
    return CExcitationPage::OnInitDialog();
}
