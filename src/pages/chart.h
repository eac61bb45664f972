#pragma once
#include <QPoint>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

// One point of a curve in drawing coordinates: pixels of the page's client area, y downwards.
struct tagFWPOINT {
    int x;
    int y;
};

inline bool operator==(const tagFWPOINT& a, const tagFWPOINT& b) {
    return a.x == b.x && a.y == b.y;
}

// Whether MapPoint has a plot position for these full scales: both must be non-zero. A full
// scale of 0 (from a file, a history record, a failed range check, an error curve of the origin
// alone) draws no points and no knee cross: nothing divides by zero.
inline bool CanMapPoint(int fullCurrent, int fullVoltage) {
    return fullCurrent != 0 && fullVoltage != 0;
}

// The plot mapping of the excitation pages: x = trunc(I * 400 / fullCurrent + 280),
// y = trunc(300 - U * 250 / fullVoltage), in float arithmetic divided by the ints. Precondition
// CanMapPoint; without it the origin (280, 300) comes back and nothing divides by zero. Results
// beyond a million pixels (and NaN) are held at the nearest of +-1000000 (0 for NaN), which any
// screen shows the same way, instead of overflowing the int.
tagFWPOINT MapPoint(float current, float voltage, int fullCurrent, int fullVoltage);

// MapPoint, or nothing when CanMapPoint is false.
std::optional<tagFWPOINT> TryMapPoint(float current, float voltage, int fullCurrent,
                                      int fullVoltage);

namespace tarvex {

// Truncation toward zero of v, held within [-limit, limit]; NaN gives 0.
int TruncSaturated(double v, int limit);

// The scale and texts of one chart: the excitation chart or the error-curve chart.
struct ChartAxes {
    QString xName; // at (685, 285)
    QString yName; // at yNamePos
    QPoint yNamePos;
    int xFull = 0; // full scale of the horizontal axis, 400 pixels
    int yFull = 0; // full scale of the vertical axis, 250 pixels
    const char* xTickFormat = "%.3f";
    int xTickLeft = 260; // tick i (1 to 4) of the horizontal axis at (xTickLeft + 100 i, 300)
};

// The excitation chart: "A" and "V" at (270, 30), current ticks "%.3f" at 260+100i.
ChartAxes ExcitationChartAxes(int testCurrent, int testVoltage);
// The error-curve chart: "M10" and "ZII" at (260, 30), M ticks "%.0f" at 270+100i.
ChartAxes ErrorCurveChartAxes(int maxMultiple, int maxImpedance);

// The knee cross position: nothing when both knee values are 0 or when
// the full scales cannot be mapped.
std::optional<tagFWPOINT> KneeCross(float kneeCurrent, float kneeVoltage, int fullCurrent,
                                    int fullVoltage);

// Paints the chart, in this order: black plot area 280..680 x 50..300, texts (top-left
// corner at their points, the painter's font, black, no background box), ticks, red axes of
// width 2, dotted red grid, 3 x 3 green points, the red knee cross when given. The caller has
// painted the page background. The painter's state is restored afterwards. GUI thread (or any
// thread painting a QImage).
void PaintChart(QPainter& painter, const ChartAxes& axes, const std::vector<tagFWPOINT>& points,
                std::optional<tagFWPOINT> kneeCross);

} // namespace tarvex
