#include "comparechart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kDivisions = 5;
constexpr double kKneeArm = 6; // pixels from the knee to each end of its cross

// The smallest of 1, 2, 2.5 and 5 times a power of ten that, times kDivisions, reaches `largest`;
// 1 when there is nothing to hold.
double RoundFull(double largest) {
    if (!(largest > 0) || !std::isfinite(largest))
        return 1;
    const double base = std::pow(10.0, std::floor(std::log10(largest / kDivisions)));
    for (const double step : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (step * base * kDivisions >= largest)
            return step * base * kDivisions;
    }
    return 10 * base * kDivisions;
}

QString TickText(double value) {
    return QString::number(value, 'g', 6);
}

} // namespace

CCompareChart::CCompareChart(const QList<ComparedCurve>& curves, QWidget* parent)
    : QWidget(parent), m_curves(curves) {
    double current = 0;
    double voltage = 0;
    for (const ComparedCurve& c : m_curves) {
        current = std::max(current, c.curve.kneeCurrent);
        voltage = std::max(voltage, c.curve.kneeVoltage);
        for (const tarvex::ExcitationPoint& p : c.curve.points) {
            current = std::max(current, p.current);
            voltage = std::max(voltage, p.voltage);
        }
    }
    m_currentFull = RoundFull(current);
    m_voltageFull = RoundFull(voltage);
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

QRectF CCompareChart::PlotArea() const {
    const QFontMetrics metrics = fontMetrics();
    int labelWidth = metrics.horizontalAdvance("电压(V)") / 2;
    for (int i = 0; i <= kDivisions; ++i)
        labelWidth = std::max(labelWidth,
                              metrics.horizontalAdvance(TickText(m_voltageFull * i / kDivisions)));
    const double left = labelWidth + 14;
    const double top = metrics.height() * 2;
    const double right = width() - metrics.horizontalAdvance("8888") / 2 - 10;
    const double bottom = height() - metrics.height() * 2 - 14;
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QPointF CCompareChart::Map(double current, double voltage) const {
    const QRectF area = PlotArea();
    return {area.left() + current / m_currentFull * area.width(),
            area.bottom() - voltage / m_voltageFull * area.height()};
}

void CCompareChart::PaintAxes(QPainter& p) const {
    const QRectF area = PlotArea();
    const QFontMetrics metrics = fontMetrics();
    p.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
    for (int i = 1; i <= kDivisions; ++i) {
        const double x = area.left() + area.width() * i / kDivisions;
        const double y = area.bottom() - area.height() * i / kDivisions;
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    p.setPen(QPen(palette().color(QPalette::Text), 1));
    p.drawLine(area.bottomLeft(), area.bottomRight());
    p.drawLine(area.bottomLeft(), area.topLeft());
    for (int i = 0; i <= kDivisions; ++i) {
        const QString current = TickText(m_currentFull * i / kDivisions);
        const QString voltage = TickText(m_voltageFull * i / kDivisions);
        const double x = area.left() + area.width() * i / kDivisions;
        const double y = area.bottom() - area.height() * i / kDivisions;
        p.drawText(QRectF(x - 40, area.bottom() + 4, 80, metrics.height()), Qt::AlignCenter,
                   current);
        p.drawText(QRectF(0, y - metrics.height() / 2.0, area.left() - 6, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, voltage);
    }
    p.drawText(
        QRectF(area.left(), area.bottom() + 6 + metrics.height(), area.width(), metrics.height()),
        Qt::AlignCenter, "电流(A)");
    p.drawText(QPointF(4, area.top() - metrics.height() + metrics.ascent() - 4), "电压(V)");
}

void CCompareChart::PaintCurve(QPainter& p, int i) const {
    const tarvex::ExcitationReply& curve = m_curves[i].curve;
    const QColor colour = CurveColour(i);
    QPainterPath line;
    for (const tarvex::ExcitationPoint& point : curve.points) {
        const QPointF at = Map(point.current, point.voltage);
        if (line.elementCount() == 0)
            line.moveTo(at);
        else
            line.lineTo(at);
    }
    p.setPen(QPen(colour, 2, CurveStyle(i)));
    p.drawPath(line);
    for (const tarvex::ExcitationPoint& point : curve.points)
        p.fillRect(QRectF(Map(point.current, point.voltage) - QPointF(1.5, 1.5), QSizeF(3, 3)),
                   colour);
    // A knee of 0 V and 0 A is none (a record or file without one).
    if (curve.kneeCurrent == 0 && curve.kneeVoltage == 0)
        return;
    const QPointF knee = Map(curve.kneeCurrent, curve.kneeVoltage);
    p.setPen(QPen(colour, 2));
    p.drawLine(knee - QPointF(kKneeArm, 0), knee + QPointF(kKneeArm, 0));
    p.drawLine(knee - QPointF(0, kKneeArm), knee + QPointF(0, kKneeArm));
    p.drawEllipse(knee, kKneeArm - 1, kKneeArm - 1);
}

void CCompareChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintAxes(p);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(PlotArea().adjusted(-kKneeArm, -kKneeArm, kKneeArm, kKneeArm));
    for (int i = 0; i < m_curves.size(); ++i)
        PaintCurve(p, i);
}
