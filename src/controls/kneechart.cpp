#include "controls/kneechart.h"

#include <QPainter>

namespace {

const QColor kInstrumentColour(220, 0, 0);
const QColor kIecColour(0, 70, 200);
const QColor kIeeeColour(0, 140, 60);

QPointF Value(const tarvex::KneePoint& knee) {
    return {knee.current, knee.voltage};
}

} // namespace

CKneeChart::CKneeChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(360, 300);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void CKneeChart::SetData(KneeChartData data) {
    m_data = std::move(data);
    update();
}

void CKneeChart::SetLogAxes(bool log) {
    m_logAxes = log;
    update();
}

CCurvePlot CKneeChart::Plot(const KneeChartData& data) {
    std::vector<QPointF> points;
    for (const tarvex::ExcitationPoint& p : data.points)
        points.emplace_back(p.current, p.voltage);
    CCurvePlot plot("I(A)", "U(V)", std::move(points));
    using Shape = CCurvePlot::Shape;
    if (data.instrument)
        plot.AddMark({Value(*data.instrument), "仪器拐点", kInstrumentColour, Shape::Cross});
    if (data.iec)
        plot.AddMark({Value(*data.iec), "IEC 61869-2", kIecColour, Shape::Triangle});
    if (data.ieee) {
        plot.AddMark({Value(*data.ieee), tarvex::IeeeKneeName(data.gappedCore), kIeeeColour,
                      Shape::Diamond});
        plot.SetTangent(Value(*data.ieee), data.gappedCore ? 30 : 45, kIeeeColour);
    }
    return plot;
}

void CKneeChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    CCurvePlot plot = Plot(m_data);
    plot.SetFont(font());
    const double unit = logicalDpiX() / 25.4; // pixels per millimetre
    if (m_logAxes)
        plot.DrawLogLog(painter, rect(), unit);
    else
        plot.DrawLinear(painter, rect(), unit);
}
