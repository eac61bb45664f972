#include "pages/iwcdlg.h"

#include "controls/fwnumedt.h"
#include "pages/errorcurve.h"
#include "pages/excitationpage.h"
#include "platform/appearance.h"
#include "platform/fonts.h"
#include "platform/gbktext.h"
#include "platform/reportlist.h"
#include "state/appstate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>
#include <QTreeWidget>

namespace {
constexpr int kFrameSettleMs = 300;
}

CIWCDlg::CIWCDlg(QWidget* owner) : CDialogPage(owner, Qt::Tool) {
    ui.setupUi(this);
    // The template's size is the most it takes; a smaller screen gets a smaller window.
    m_templateSize = size();
    setMinimumSize(0, 0);
    m_edtZ2 = CFwNumEdt::ReplaceLineEdit(ui.id1004);
    ui.id1004 = nullptr;
    InitDialog();
}

CIWCDlg::~CIWCDlg() = default;

void CIWCDlg::showEvent(QShowEvent* event) {
    CDialogPage::showEvent(event);
    if (event->spontaneous())
        return;
    tarvex::PlaceOverOwner(this, m_templateSize);
    // The window manager frames the window a moment after it shows; only then is the frame's
    // size known.
    QTimer::singleShot(kFrameSettleMs, this,
                       [this] { tarvex::PlaceOverOwner(this, m_templateSize); });
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

void CIWCDlg::SetSourcePage(CExcitationPage* page) {
    if (page == m_source)
        return;
    if (m_source)
        disconnect(m_source, &CExcitationPage::curveReplaced, this, &CIWCDlg::ClearResult);
    m_source = page;
    if (page)
        connect(page, &CExcitationPage::curveReplaced, this, &CIWCDlg::ClearResult);
    ClearResult();
}

void CIWCDlg::ClearResult() {
    m_ErrorPoints.clear();
    m_nMaxMultiple = 100;
    m_nMaxImpedance = 1000;
    if (m_list)
        m_list->clear();
    update();
}

void CIWCDlg::OnCalcErrorCurve() {
    if (!m_source)
        return;
    const QList<float>& currents = m_source->m_CurveCurrents;
    const QList<float>& voltages = m_source->m_CurveVoltages;
    tarvex::ErrorCurveParams params;
    params.rated5A = m_bRated5A != 0;
    params.currentFactor = m_nCurrentFactor;
    params.secondaryFactor = m_nSecondaryFactor;
    if (m_edtZ2)
        params.secondaryImpedance = static_cast<float>(tarvex::CAtof(m_edtZ2->text().toLatin1()));
    const std::optional<tarvex::ErrorCurveResult> result =
        tarvex::CalcErrorCurve({currents.constData(), size_t(currents.size())},
                               {voltages.constData(), size_t(voltages.size())}, params);
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
