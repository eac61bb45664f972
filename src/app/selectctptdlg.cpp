#include "selectctptdlg.h"

#include <QRadioButton>

CSelectCTPTDlg::CSelectCTPTDlg(QWidget* parent) : CDialog(parent) {
    ui.setupUi(this);
    connect(ui.id1011, &QRadioButton::clicked, this, [this] { m_bCT = 1; });
    connect(ui.id1012, &QRadioButton::clicked, this, [this] { m_bCT = 0; });
}

bool CSelectCTPTDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CheckRadio(1011);
    return true;
}
