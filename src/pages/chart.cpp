#include "pages/chart.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QRect>

#include <cmath>
#include <cstdint>

namespace {

// Positions this far outside the plot are all equally invisible; holding them here keeps the
// int arithmetic of the painting (x + 3, kx - 5) clear of overflow.
constexpr int kPixelLimit = 1000000;

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlack(0, 0, 0);

// A text with its top-left corner at (x, y), as TextOut with the default top alignment.
void TextAt(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
}

// (i x full) / divisor: the integer product, divided in floating point, rounded to a float.
float TickValue(int i, int full, int divisor) {
    return static_cast<float>(static_cast<double>(std::int64_t{i} * full) / divisor);
}

} // namespace

tagFWPOINT MapPoint(float current, float voltage, int fullCurrent, int fullVoltage) {
    if (!CanMapPoint(fullCurrent, fullVoltage))
        return {280, 300};
    // float throughout: float x int promotes the int to float, so pixels match the float maths.
    const float x = current * 400 / static_cast<float>(fullCurrent) + 280;
    const float y = 300 - voltage * 250 / static_cast<float>(fullVoltage);
    return {tarvex::TruncSaturated(x, kPixelLimit), tarvex::TruncSaturated(y, kPixelLimit)};
}

std::optional<tagFWPOINT> TryMapPoint(float current, float voltage, int fullCurrent,
                                      int fullVoltage) {
    if (!CanMapPoint(fullCurrent, fullVoltage))
        return std::nullopt;
    return MapPoint(current, voltage, fullCurrent, fullVoltage);
}

namespace tarvex {

int TruncSaturated(double v, int limit) {
    if (std::isnan(v))
        return 0;
    if (v >= limit)
        return limit;
    if (v <= -limit)
        return -limit;
    return static_cast<int>(v); // truncation toward zero
}

ChartAxes ExcitationChartAxes(int testCurrent, int testVoltage) {
    return ChartAxes{QStringLiteral("A"),
                     QStringLiteral("V"),
                     QPoint(270, 30),
                     testCurrent,
                     testVoltage,
                     "%.3f",
                     260};
}

ChartAxes ErrorCurveChartAxes(int maxMultiple, int maxImpedance) {
    return ChartAxes{QStringLiteral("M10"),
                     QStringLiteral("ZII"),
                     QPoint(260, 30),
                     maxMultiple,
                     maxImpedance,
                     "%.0f",
                     270};
}

std::optional<tagFWPOINT> KneeCross(float kneeCurrent, float kneeVoltage, int fullCurrent,
                                    int fullVoltage) {
    if (kneeCurrent == 0 && kneeVoltage == 0)
        return std::nullopt;
    return TryMapPoint(kneeCurrent, kneeVoltage, fullCurrent, fullVoltage);
}

void PaintChart(QPainter& p, const ChartAxes& axes, const std::vector<tagFWPOINT>& points,
                std::optional<tagFWPOINT> kneeCross) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);

    const QPen axisPen(kRed, 2, Qt::SolidLine);
    QPen gridPen(kRed, 1, Qt::DotLine);
    gridPen.setCosmetic(true);
    const QPen textPen(kBlack);

    // 1. The plot area, (680, 300) included.
    p.fillRect(QRect(QPoint(280, 50), QPoint(680, 300)), kBlack);

    // 2.-5. Texts in the default font and colour: black, no background box.
    p.setPen(textPen);
    TextAt(p, 260, 300, QStringLiteral("0"));
    TextAt(p, 685, 285, axes.xName);
    TextAt(p, axes.yNamePos.x(), axes.yNamePos.y(), axes.yName);
    for (int i = 1; i <= 4; ++i) {
        const float v = TickValue(i, axes.xFull, 4);
        TextAt(p, axes.xTickLeft + 100 * i, 300,
               QString::asprintf(axes.xTickFormat, static_cast<double>(v)));
    }
    for (int j = 1; j <= 5; ++j) {
        const float v = TickValue(j, axes.yFull, 5);
        TextAt(p, 245, 295 - 50 * j, QString::asprintf("%0.0f", static_cast<double>(v)));
    }

    // 6. Axes.
    p.setPen(axisPen);
    p.drawLine(280, 300, 680, 300);
    p.drawLine(280, 300, 280, 50);

    // 7. Grid.
    p.setPen(gridPen);
    for (int y = 50; y <= 250; y += 50)
        p.drawLine(280, y, 680, y);
    for (int x = 380; x <= 680; x += 100)
        p.drawLine(x, 300, x, 50);

    // 8. Points, 3 x 3 each, where they fall.
    for (const tagFWPOINT& pt : points)
        p.fillRect(pt.x, pt.y, 3, 3, kGreen);

    // 9. Knee cross.
    if (kneeCross) {
        const int kx = kneeCross->x;
        const int ky = kneeCross->y;
        p.setPen(axisPen);
        p.drawLine(kx - 5, ky, kx + 4, ky);
        p.drawLine(kx, ky - 5, kx, ky + 4);
    }
    p.restore();
}

} // namespace tarvex
