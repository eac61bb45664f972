#include "pages/iwcdlg.h"

#include "state/appstate.h"
#include "controls/fwnumedt.h"
#include "pages/errorcurve.h"
#include "platform/gbktext.h"
#include "platform/appearance.h"
#include "platform/reportlist.h"
#include "platform/fonts.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QShowEvent>
#include <QPainter>
#include <QTreeWidget>

CIWCDlg::CIWCDlg(QWidget* owner) : CDialogPage(owner, Qt::Tool) {
    ui.setupUi(this);
    m_edtZ2 = CFwNumEdt::ReplaceLineEdit(ui.id1004);
    ui.id1004 = nullptr;
    InitDialog();
}

CIWCDlg::~CIWCDlg() = default;

void CIWCDlg::showEvent(QShowEvent* event) {
    CDialogPage::showEvent(event);
    if (!event->spontaneous())
        tarvex::PlaceOverOwner(this);
}

void CIWCDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    CDialogPage::keyPressEvent(event);
}

bool CIWCDlg::OnInitDialog() {
    CDialogPage::OnInitDialog();
    m_list = ui.id1003;
    SetupList();
    CheckRadio(m_bRated5A ? 1012 : 1011);
    CheckRadio(1016);
    if (m_edtZ2) {
        m_edtZ2->setText("1");
        m_edtZ2->SetMaxDecDigits(3);
        m_edtZ2->SetMaxIntDigits(1);
    }
    ConnectHandlers();
    return true;
}

void CIWCDlg::SetupList() {
    tarvex::PrepareReportList(m_list, {"组号", "M10", "ZII"}, 100);
}

void CIWCDlg::ConnectHandlers() {
    OnClicked(1011, &CIWCDlg::OnRated1A);
    OnClicked(1012, &CIWCDlg::OnRated5A);
    OnClicked(1015, &CIWCDlg::OnCurve5);
    OnClicked(1016, &CIWCDlg::OnCurve10);
    OnClicked(1013, &CIWCDlg::OnCalcErrorCurve);
}

void CIWCDlg::OnRated1A() {
    m_bRated5A = 0;
    CheckRadio(1011, true);
    CheckRadio(1012, false);
}

void CIWCDlg::OnRated5A() {
    m_bRated5A = 1;
    CheckRadio(1011, false);
    CheckRadio(1012, true);
}

void CIWCDlg::OnCurve5() {
    CheckRadio(1015, true);
    CheckRadio(1016, false);
    m_nCurrentFactor = 20;
    m_nSecondaryFactor = 19;
}

void CIWCDlg::OnCurve10() {
    CheckRadio(1015, false);
    CheckRadio(1016, true);
    m_nCurrentFactor = 10;
    m_nSecondaryFactor = 9;
}

void CIWCDlg::OnCalcErrorCurve() {
    const CAppState& app = theApp();
    tarvex::ErrorCurveParams params;
    params.rated5A = m_bRated5A != 0;
    params.currentFactor = m_nCurrentFactor;
    params.secondaryFactor = m_nSecondaryFactor;
    if (m_edtZ2)
        params.secondaryImpedance = static_cast<float>(tarvex::CAtof(m_edtZ2->text().toLatin1()));
    const std::optional<tarvex::ErrorCurveResult> result = tarvex::CalcErrorCurve(
        {app.m_CurveCurrents.constData(), size_t(app.m_CurveCurrents.size())},
        {app.m_CurveVoltages.constData(), size_t(app.m_CurveVoltages.size())}, params);
    if (!result)
        return;
    m_ErrorPoints = result->points;
    m_nMaxMultiple = result->maxMultiple;
    m_nMaxImpedance = result->maxImpedance;
    m_list->clear();
    for (const tarvex::ErrorCurveRow& row : result->rows)
        m_list->addTopLevelItem(tarvex::NewCentredRow({row.number, row.multiple, row.impedance}));
    update();
}

void CIWCDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    tarvex::PaintChart(painter, tarvex::ErrorCurveChartAxes(m_nMaxMultiple, m_nMaxImpedance),
                       m_ErrorPoints, std::nullopt);
}
