#include "pages/kneeview.h"

#include "analysis/classsetting.h"
#include "analysis/kneepoint.h"
#include "controls/kneechart.h"
#include "link/replyfields.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const char* const kNotReached = "曲线未到拐点";

// Voltage and current as the excitation pages print a knee.
QStringList KneeTexts(const std::optional<tarvex::KneePoint>& knee) {
    if (!knee)
        return {kNotReached, kNotReached};
    return {"U = " + tarvex::KneeVoltageText(float(knee->voltage)) + " V",
            "I = " + tarvex::KneeCurrentText(float(knee->current)) + " A"};
}

} // namespace

CKneeView::CKneeView(QWidget* parent)
    : QWidget(parent), m_chart(new CKneeChart(this)), m_logAxes(new QCheckBox("对数坐标", this)),
      m_gapped(new QCheckBox("有气隙", this)), m_ieeeName(new QLabel(this)) {
    m_logAxes->setChecked(true);
    m_gapped->setToolTip("铁心有气隙：IEEE 拐点取切线与电流轴成 30° 处");
    auto* list = new QGridLayout;
    list->addWidget(new QLabel("仪器拐点", this), 0, 0);
    list->addWidget(new QLabel("IEC 61869-2", this), 2, 0);
    list->addWidget(m_ieeeName, 4, 0);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 2; ++column) {
            m_knees[row][column] = new QLabel(this);
            list->addWidget(m_knees[row][column], 2 * row + column, 1);
        }
    }
    list->setColumnMinimumWidth(1, 110);
    list->setRowStretch(6, 1);
    auto* switches = new QHBoxLayout;
    switches->addWidget(m_logAxes);
    switches->addWidget(m_gapped);
    switches->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(m_chart, 1);
    body->addLayout(list);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(switches);
    layout->addLayout(body, 1);
    connect(m_logAxes, &QCheckBox::toggled, m_chart, &CKneeChart::SetLogAxes);
    m_gapped->setChecked(tarvex::RememberedGappedCore());
    connect(m_gapped, &QCheckBox::toggled, this, [this](bool gapped) {
        tarvex::RememberGappedCore(gapped);
        Refresh();
    });
    Refresh();
}

void CKneeView::Show(const tarvex::ExcitationReply& result) {
    m_result = result;
    Refresh();
}

QString CKneeView::KneeText(int row, int column) const {
    return m_knees[row][column]->text();
}

void CKneeView::Refresh() {
    KneeChartData data;
    data.points = m_result.points;
    const tarvex::KneePoint instrument{m_result.kneeVoltage, m_result.kneeCurrent, 0};
    // As on the excitation pages: a knee of 0 V and 0 A is none.
    if (m_result.kneeVoltage != 0 || m_result.kneeCurrent != 0)
        data.instrument = instrument;
    data.iec = tarvex::IecKneePoint(m_result.points);
    data.gappedCore = m_gapped->isChecked();
    data.ieee = tarvex::IeeeKneePoint(m_result.points, data.gappedCore);
    m_ieeeName->setText(tarvex::IeeeKneeName(data.gappedCore));
    const std::optional<tarvex::KneePoint> knees[] = {data.instrument, data.iec, data.ieee};
    for (int row = 0; row < 3; ++row) {
        // The instrument's knee reads as on its page, 0 included.
        const QStringList texts = KneeTexts(row == 0 ? instrument : knees[row]);
        for (int column = 0; column < 2; ++column)
            m_knees[row][column]->setText(texts[column]);
    }
    m_chart->SetData(std::move(data));
}
