#include "dzdlg.h"

#include "link/replyfields.h"
#include "res/tarvexres.h"
#include "state/appstate.h"

CDZDlg::CDZDlg(QWidget* parent) : CTestPage(parent) {
    ui.setupUi(this);
    connect(ui.id1013, &QPushButton::clicked, this, &CDZDlg::OnStart);
    InitDialog();
}

bool CDZDlg::OnInitDialog() {
    CTestPage::OnInitDialog();
    theApp().m_pDZDlg = this;
    m_hIconMilliOhm = QPixmap(tarvex::IconPath(169));
    m_hIconOhm = QPixmap(tarvex::IconPath(168));
    ShowUnit(true);
    return true;
}

void CDZDlg::OnStart() {
    if (StartRefused())
        return;
    ClearResults();
    RunTest({}, 0);
}

void CDZDlg::ShowUnit(bool milliOhm) {
    ui.id1034->setPixmap(milliOhm ? m_hIconMilliOhm : m_hIconOhm);
    ui.id1034->setAccessibleName(milliOhm ? "mΩ" : "Ω");
}

void CDZDlg::ShowResistanceResult(const tarvex::ResistanceReply& result) {
    ShowUnit(result.milliohm);
    SetDlgItemText(1004, tarvex::OneDecimalText(result.value));
}

void CDZDlg::ClearResults() {
    SetDlgItemText(1004, QString());
    UpdateData(false);
}

void CDZDlg::ShowResult(const TestResult::Value& value) {
    if (const auto* resistance = std::get_if<tarvex::ResistanceReply>(&value))
        ShowResistanceResult(*resistance);
}
