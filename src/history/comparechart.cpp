#include "comparechart.h"

#include <QPainter>

#include <array>
#include <cmath>

CCompareChart::CCompareChart(const QList<ComparedCurve>& curves, QWidget* parent)
    : QWidget(parent), m_plot("电流(A)", "电压(V)"), m_count(static_cast<int>(curves.size())) {
    for (int i = 0; i < m_count; ++i) {
        const tarvex::ExcitationReply& curve = curves[i].curve;
        CCurvePlot::Series series{{}, CurveColour(i), CurveStyle(i)};
        for (const tarvex::ExcitationPoint& point : curve.points)
            series.points.emplace_back(point.current, point.voltage);
        m_plot.AddSeries(std::move(series));
        // A knee of 0 V and 0 A is none (a record or file without one).
        if (curve.kneeCurrent != 0 || curve.kneeVoltage != 0)
            m_plot.AddMark({{curve.kneeCurrent, curve.kneeVoltage}, {}, CurveColour(i)});
    }
    m_plot.SetFont(font());
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setAccessibleName("比较曲线");
}

QColor CCompareChart::CurveColour(int i) {
    static const std::array<QColor, 10> colours = {
        QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
        QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
        QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22),
        QColor(0x17, 0xbe, 0xcf)};
    if (i >= 0 && i < int(colours.size()))
        return colours[i];
    // Hues a golden angle apart never repeat.
    return QColor::fromHsvF(std::fmod(i * 0.618033988749895, 1.0), 0.85, 0.75);
}

Qt::PenStyle CCompareChart::CurveStyle(int i) {
    return i < 10 ? Qt::SolidLine : Qt::DashLine;
}

QSize CCompareChart::sizeHint() const {
    return {640, 440};
}

void CCompareChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_plot.DrawLinear(painter, rect(), logicalDpiX() / 25.4); // pixels per millimetre
}
