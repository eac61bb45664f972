#include "controls/kneechart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace {

using tarvex::ExcitationPoint;
using tarvex::KneePoint;

const QColor kInstrumentColour(220, 0, 0);
const QColor kIecColour(0, 70, 200);
const QColor kIeeeColour(0, 140, 60);
constexpr double kMargin = 48; // room for the tick labels left of and below the plot
constexpr double kMark = 5;    // half the size of a knee mark

// One axis: value to pixel and the ticks with their labels.
struct Axis {
    std::function<double(double)> toPixel;
    std::vector<std::pair<double, bool>> lines; // value, and whether it carries a label
};

QString TickText(double value) {
    return QString::number(value, 'g', 6);
}

// Every measured value of one coordinate, the knees' too, that an axis must show.
std::vector<double> Values(const KneeChartData& d, double KneePoint::*knee,
                           double ExcitationPoint::*point) {
    std::vector<double> v;
    for (const ExcitationPoint& p : d.points)
        v.push_back(p.*point);
    for (const auto& k : {d.instrument, d.iec, d.ieee}) {
        if (k)
            v.push_back((*k).*knee);
    }
    return v;
}

// Whole decades from below the smallest positive value to above the largest; [1, 10] without.
std::pair<int, int> Decades(const std::vector<double>& values) {
    double low = INFINITY, high = 0;
    for (double v : values) {
        if (v > 0 && std::isfinite(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    if (high == 0)
        return {0, 1};
    const int from = static_cast<int>(std::floor(std::log10(low)));
    return {from, std::max(from + 1, static_cast<int>(std::ceil(std::log10(high))))};
}

// A round step that splits [0, high] into about five.
double LinearStep(double high) {
    const double raw = high / 5;
    const double decade = std::pow(10, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 2.5, 5.0}) {
        if (f * decade >= raw)
            return f * decade;
    }
    return 10 * decade;
}

Axis LinearAxis(const std::vector<double>& values, double pixelFrom, double pixelLength) {
    double high = 0;
    for (double v : values) {
        if (std::isfinite(v))
            high = std::max(high, v);
    }
    const double step = high > 0 ? LinearStep(high) : 1;
    const double top = step * std::max(1.0, std::ceil(high / step));
    Axis axis{[=](double v) { return pixelFrom + v / top * pixelLength; }, {}};
    for (double v = 0; v <= top + step / 2; v += step)
        axis.lines.push_back({v, true});
    return axis;
}

Axis LogAxis(std::pair<int, int> decades, double pixelFrom, double perDecade) {
    const int from = decades.first;
    const int to = decades.second;
    Axis axis{[=](double v) { return pixelFrom + (std::log10(v) - from) * perDecade; }, {}};
    for (int d = from; d <= to; ++d) {
        for (int m = 1; m <= (d < to ? 9 : 1); ++m)
            axis.lines.push_back({m * std::pow(10, d), m == 1});
    }
    return axis;
}

void DrawMark(QPainter& p, QPointF at, const QColor& colour, int shape) {
    p.setPen(QPen(colour, 2));
    p.setBrush(Qt::NoBrush);
    if (shape == 0) {
        p.drawLine(at - QPointF(kMark, 0), at + QPointF(kMark, 0));
        p.drawLine(at - QPointF(0, kMark), at + QPointF(0, kMark));
    } else if (shape == 1) {
        p.drawRect(QRectF(at - QPointF(kMark, kMark), at + QPointF(kMark, kMark)));
    } else {
        p.drawPolygon(QPolygonF({at + QPointF(0, -kMark - 1), at + QPointF(kMark + 1, 0),
                                 at + QPointF(0, kMark + 1), at + QPointF(-kMark - 1, 0)}));
    }
}

void DrawLegend(QPainter& p, QPointF at, const KneeChartData& d) {
    const struct {
        QColor colour;
        QString text;
    } rows[] = {{kInstrumentColour, "仪器拐点"},
                {kIecColour, "IEC 61869-2"},
                {kIeeeColour, tarvex::IeeeKneeName(d.gappedCore)}};
    const double line = p.fontMetrics().height() + 2;
    for (int i = 0; i < 3; ++i) {
        const QPointF row = at + QPointF(0, i * line);
        DrawMark(p, row + QPointF(kMark, line / 2), rows[i].colour, i);
        p.setPen(Qt::black);
        p.drawText(QRectF(row + QPointF(3 * kMark, 0), QSizeF(200, line)),
                   Qt::AlignLeft | Qt::AlignVCenter, rows[i].text);
    }
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

void CKneeChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Paint(painter, rect(), m_data, m_logAxes);
}

void CKneeChart::Paint(QPainter& p, const QRectF& area, const KneeChartData& d, bool logAxes) {
    const auto currents = Values(d, &KneePoint::current, &ExcitationPoint::current);
    const auto voltages = Values(d, &KneePoint::voltage, &ExcitationPoint::voltage);
    const double text = p.fontMetrics().height();
    QRectF plot = area.adjusted(kMargin + 12, 2 * text, -16, -kMargin);
    Axis x, y;
    if (logAxes) {
        // Equal decades on both axes: the plot is cut to the shorter of the two.
        const auto dx = Decades(currents), dy = Decades(voltages);
        const double perDecade =
            std::min(plot.width() / (dx.second - dx.first), plot.height() / (dy.second - dy.first));
        const QSizeF size(perDecade * (dx.second - dx.first), perDecade * (dy.second - dy.first));
        plot = QRectF(plot.center() - QPointF(size.width(), size.height()) / 2, size);
        x = LogAxis(dx, plot.left(), perDecade);
        y = LogAxis(dy, plot.bottom(), -perDecade);
    } else {
        x = LinearAxis(currents, plot.left(), plot.width());
        y = LinearAxis(voltages, plot.bottom(), -plot.height());
    }
    const auto at = [&](double i, double u) { return QPointF(x.toPixel(i), y.toPixel(u)); };

    // Grid and tick labels.
    for (const auto& [v, label] : x.lines) {
        p.setPen(QPen(label ? Qt::gray : Qt::lightGray, 0));
        p.drawLine(QPointF(x.toPixel(v), plot.top()), QPointF(x.toPixel(v), plot.bottom()));
        if (label) {
            p.setPen(Qt::black);
            p.drawText(QRectF(x.toPixel(v) - 40, plot.bottom() + 4, 80, text), Qt::AlignHCenter,
                       TickText(v));
        }
    }
    for (const auto& [v, label] : y.lines) {
        p.setPen(QPen(label ? Qt::gray : Qt::lightGray, 0));
        p.drawLine(QPointF(plot.left(), y.toPixel(v)), QPointF(plot.right(), y.toPixel(v)));
        if (label) {
            p.setPen(Qt::black);
            p.drawText(QRectF(plot.left() - kMargin - 4, y.toPixel(v) - text / 2, kMargin, text),
                       Qt::AlignRight | Qt::AlignVCenter, TickText(v));
        }
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    p.drawText(QRectF(plot.left(), plot.bottom() + text + 6, plot.width(), text), Qt::AlignHCenter,
               "I (A)");
    p.drawText(QRectF(plot.left() - kMargin - 4, plot.top() - 2 * text, kMargin, text),
               Qt::AlignRight, "U (V)");

    // The curve: the points in order of current, joined; on log axes only positive ones.
    std::vector<ExcitationPoint> points;
    for (const ExcitationPoint& pt : d.points) {
        if (std::isfinite(pt.current) && std::isfinite(pt.voltage) &&
            (!logAxes || (pt.current > 0 && pt.voltage > 0)))
            points.push_back(pt);
    }
    std::ranges::stable_sort(points, {}, &ExcitationPoint::current);
    p.save();
    p.setClipRect(plot);
    QPolygonF line;
    for (const ExcitationPoint& pt : points)
        line << at(pt.current, pt.voltage);
    p.setPen(QPen(Qt::black, 1));
    p.drawPolyline(line);
    p.setBrush(Qt::black);
    for (const QPointF& pt : line)
        p.drawEllipse(pt, 2, 2);

    // The IEEE tangent, on log axes where its angle means something.
    if (logAxes && d.ieee) {
        const double angle = (d.gappedCore ? 30.0 : 45.0) * std::numbers::pi / 180;
        const QPointF centre = at(d.ieee->current, d.ieee->voltage);
        const QPointF half(40 * std::cos(angle), -40 * std::sin(angle));
        p.setPen(QPen(kIeeeColour, 1, Qt::DashLine));
        p.drawLine(centre - half, centre + half);
    }
    const std::optional<KneePoint> knees[] = {d.instrument, d.iec, d.ieee};
    const QColor colours[] = {kInstrumentColour, kIecColour, kIeeeColour};
    for (int i = 0; i < 3; ++i) {
        if (knees[i] && (!logAxes || (knees[i]->current > 0 && knees[i]->voltage > 0)))
            DrawMark(p, at(knees[i]->current, knees[i]->voltage), colours[i], i);
    }
    p.restore();
    DrawLegend(p, plot.topLeft() + QPointF(8, 6), d);
}
