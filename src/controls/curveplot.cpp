#include "controls/curveplot.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace {

constexpr double kLeftMm = 14;   // tick labels of the vertical axis
constexpr double kBottomMm = 10; // tick labels and title of the horizontal axis
constexpr double kTopMm = 7;     // title of the vertical axis
constexpr double kRightMm = 4;
constexpr double kMarkMm = 2.4;

// From 0 to a round figure at or above `largest`, in about five steps of 1, 2 or 5 times a
// power of ten.
std::pair<double, double> RoundScale(double largest) {
    if (!(largest > 0))
        largest = 1;
    const double raw = largest / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * power;
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    }
    return {std::ceil(largest / step - 1e-9) * step, step};
}

bool Finite(QPointF p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

QString TickText(double value) {
    return QString::number(value, 'g', 6);
}

// Where a value lies along an axis, 0 at its low end and 1 at its high end; nothing for a value
// a log axis cannot show.
std::optional<double> Along(double value, double low, double high, bool log) {
    if (log) {
        if (!(value > 0))
            return std::nullopt;
        value = std::log10(value);
    }
    return (value - low) / (high - low);
}

} // namespace

CCurvePlot::CCurvePlot(QString xTitle, QString yTitle, std::vector<QPointF> points)
    : m_xTitle(std::move(xTitle)), m_yTitle(std::move(yTitle)) {
    if (!points.empty())
        AddSeries({std::move(points)});
}

void CCurvePlot::AddSeries(Series series) {
    m_series.push_back(std::move(series));
}

void CCurvePlot::AddMark(const Mark& mark) {
    m_marks.push_back(mark);
}

void CCurvePlot::SetTangent(QPointF through, double angleDegrees, const QColor& color) {
    m_tangent = Tangent{through, angleDegrees, color};
}

namespace {

// The point of a value inside the plot rectangle; nothing when an axis cannot show it.
template <typename Axis>
std::optional<QPointF> ToPlot(const Axis& x, const Axis& y, const QRectF& plot, QPointF value) {
    if (!Finite(value))
        return std::nullopt;
    const auto tx = Along(value.x(), x.low, x.high, x.log);
    const auto ty = Along(value.y(), y.low, y.high, y.log);
    if (!tx || !ty)
        return std::nullopt;
    return QPointF(plot.left() + *tx * plot.width(), plot.bottom() - *ty * plot.height());
}

} // namespace

template <typename Take> void CCurvePlot::ForEachValue(Take take) const {
    for (const Series& series : m_series)
        std::for_each(series.points.begin(), series.points.end(), take);
    for (const Mark& m : m_marks)
        take(m.value);
}

QPointF CCurvePlot::LinearEnds() const {
    double largestX = 0, largestY = 0;
    ForEachValue([&](QPointF p) {
        if (!Finite(p))
            return;
        largestX = std::max(largestX, p.x());
        largestY = std::max(largestY, p.y());
    });
    return {RoundScale(largestX).first, RoundScale(largestY).first};
}

void CCurvePlot::DrawLinear(QPainter& painter, const QRectF& area, double unit) const {
    const QPointF ends = LinearEnds();
    const auto [xTop, xStep] = RoundScale(ends.x());
    const auto [yTop, yStep] = RoundScale(ends.y());
    const QRectF plot =
        area.adjusted(kLeftMm * unit, kTopMm * unit, -kRightMm * unit, -kBottomMm * unit);
    Draw(painter, plot, {0, xTop, xStep, false}, {0, yTop, yStep, false}, unit);
}

void CCurvePlot::DrawLogLog(QPainter& painter, const QRectF& area, double unit) const {
    double lowX = HUGE_VAL, highX = -HUGE_VAL, lowY = HUGE_VAL, highY = -HUGE_VAL;
    const auto take = [&](QPointF p) {
        if (!Finite(p) || !(p.x() > 0) || !(p.y() > 0))
            return;
        lowX = std::min(lowX, std::log10(p.x()));
        highX = std::max(highX, std::log10(p.x()));
        lowY = std::min(lowY, std::log10(p.y()));
        highY = std::max(highY, std::log10(p.y()));
    };
    ForEachValue(take);
    if (lowX > highX)
        lowX = highX = lowY = highY = 0; // nothing to show: one empty decade
    const Axis x{std::floor(lowX), std::max(std::ceil(highX), std::floor(lowX) + 1), 1, true};
    const Axis y{std::floor(lowY), std::max(std::ceil(highY), std::floor(lowY) + 1), 1, true};
    // Decades of the same length on both axes, so that a slope reads as its angle.
    const QRectF room =
        area.adjusted(kLeftMm * unit, kTopMm * unit, -kRightMm * unit, -kBottomMm * unit);
    const double decade =
        std::min(room.width() / (x.high - x.low), room.height() / (y.high - y.low));
    const QSizeF size(decade * (x.high - x.low), decade * (y.high - y.low));
    const QRectF plot(room.center() - QPointF(size.width(), size.height()) / 2, size);
    Draw(painter, plot, x, y, unit);
}

void CCurvePlot::Draw(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
                      double unit) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    DrawGrid(painter, plot, x, y, unit);
    for (const Series& series : m_series)
        DrawSeries(series, painter, plot, x, y, unit);
    if (x.log && y.log)
        DrawTangent(painter, plot, x, y, unit);
    DrawMarks(painter, plot, x, y, unit);
    DrawTitles(painter, plot, unit);
    painter.restore();
}

void CCurvePlot::DrawGrid(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
                          double unit) const {
    const QPen major(QColor(150, 150, 150), 0.15 * unit);
    const QPen minor(QColor(215, 215, 215), 0.1 * unit);
    painter.setFont(m_font);
    const auto line = [&](const Axis& axis, double v, bool horizontal) {
        const double t = (v - axis.low) / (axis.high - axis.low);
        if (horizontal) {
            const double py = plot.bottom() - t * plot.height();
            painter.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
        } else {
            const double px = plot.left() + t * plot.width();
            painter.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
        }
    };
    const auto label = [&](const Axis& axis, double v, bool vertical) {
        const double t = (v - axis.low) / (axis.high - axis.low);
        const QString text = TickText(axis.log ? std::pow(10.0, v) : v);
        painter.setPen(Qt::black);
        if (vertical) {
            const double py = plot.bottom() - t * plot.height();
            painter.drawText(
                QRectF(plot.left() - kLeftMm * unit, py - 2 * unit, (kLeftMm - 1) * unit, 4 * unit),
                Qt::AlignRight | Qt::AlignVCenter, text);
        } else {
            const double px = plot.left() + t * plot.width();
            painter.drawText(QRectF(px - 8 * unit, plot.bottom() + 0.5 * unit, 16 * unit, 4 * unit),
                             Qt::AlignHCenter | Qt::AlignTop, text);
        }
    };
    for (const auto& [axis, horizontal] : {std::pair{x, false}, std::pair{y, true}}) {
        for (double v = axis.low; v <= axis.high + axis.step * 1e-6; v += axis.step) {
            if (axis.log && v < axis.high) {
                painter.setPen(minor);
                for (int m = 2; m <= 9; ++m)
                    line(axis, v + std::log10(double(m)), horizontal);
            }
            painter.setPen(major);
            line(axis, v, horizontal);
            label(axis, v, horizontal);
        }
    }
    painter.setPen(QPen(Qt::black, 0.3 * unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
}

void CCurvePlot::DrawSeries(const Series& series, QPainter& painter, const QRectF& plot,
                            const Axis& x, const Axis& y, double unit) const {
    QPainterPath path;
    std::vector<QPointF> dots;
    for (const QPointF& value : series.points) {
        const std::optional<QPointF> at = ToPlot(x, y, plot, value);
        if (!at)
            continue;
        if (path.elementCount() == 0)
            path.moveTo(*at);
        else
            path.lineTo(*at);
        dots.push_back(*at);
    }
    painter.setPen(QPen(series.color, 0.3 * unit, series.style));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(series.color);
    for (const QPointF& dot : dots)
        painter.drawEllipse(dot, 0.45 * unit, 0.45 * unit);
}

namespace {

void DrawShape(QPainter& painter, QPointF at, CCurvePlot::Shape shape, double size) {
    const double h = size / 2;
    switch (shape) {
    case CCurvePlot::Shape::Cross: // upright, as the excitation page marks its knee
        painter.drawLine(at + QPointF(-h, 0), at + QPointF(h, 0));
        painter.drawLine(at + QPointF(0, -h), at + QPointF(0, h));
        break;
    case CCurvePlot::Shape::Triangle:
        painter.drawPolygon(
            QPolygonF({at + QPointF(0, -h), at + QPointF(h, h), at + QPointF(-h, h)}));
        break;
    case CCurvePlot::Shape::Diamond:
        painter.drawPolygon(QPolygonF(
            {at + QPointF(0, -h), at + QPointF(h, 0), at + QPointF(0, h), at + QPointF(-h, 0)}));
        break;
    }
}

} // namespace

void CCurvePlot::DrawMarks(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
                           double unit) const {
    painter.setBrush(Qt::NoBrush);
    std::vector<const Mark*> named;
    for (const Mark& mark : m_marks) {
        painter.setPen(QPen(mark.color, 0.35 * unit));
        if (const std::optional<QPointF> at = ToPlot(x, y, plot, mark.value))
            DrawShape(painter, *at, mark.shape, kMarkMm * unit);
        if (!mark.name.isEmpty())
            named.push_back(&mark);
    }
    if (named.empty())
        return;
    // The legend in the bottom right corner, below an excitation curve on either axes.
    painter.setFont(m_font);
    const QFontMetricsF metrics(m_font, painter.device());
    double textWidth = 0;
    for (const Mark* mark : named)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(mark->name));
    const double line = 3.4 * unit;
    const double rows = static_cast<double>(named.size());
    const QRectF box(plot.right() - textWidth - 7 * unit, plot.bottom() - line * rows - 1.5 * unit,
                     textWidth + 6 * unit, line * rows + unit);
    painter.setPen(QPen(QColor(150, 150, 150), 0.1 * unit));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    painter.setBrush(Qt::NoBrush);
    for (std::size_t i = 0; i < named.size(); ++i) {
        const double top = box.top() + 0.5 * unit + line * double(i);
        painter.setPen(QPen(named[i]->color, 0.35 * unit));
        DrawShape(painter, QPointF(box.left() + 2 * unit, top + line / 2), named[i]->shape,
                  kMarkMm * unit * 0.8);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(box.left() + 4 * unit, top, textWidth + unit, line),
                         Qt::AlignLeft | Qt::AlignVCenter, named[i]->name);
    }
}

void CCurvePlot::DrawTangent(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
                             double unit) const {
    if (!m_tangent)
        return;
    const std::optional<QPointF> centre = ToPlot(x, y, plot, m_tangent->through);
    if (!centre)
        return;
    const double angle = m_tangent->angleDegrees * std::numbers::pi / 180;
    const QPointF half(15 * unit * std::cos(angle), -15 * unit * std::sin(angle));
    painter.save();
    painter.setClipRect(plot);
    painter.setPen(QPen(m_tangent->color, 0.25 * unit, Qt::DashLine));
    painter.drawLine(*centre - half, *centre + half);
    painter.restore();
}

void CCurvePlot::DrawTitles(QPainter& painter, const QRectF& plot, double unit) const {
    painter.setPen(Qt::black);
    QFont titles = m_font;
    titles.setPointSizeF(m_font.pointSizeF() + 1);
    painter.setFont(titles);
    painter.drawText(
        QRectF(plot.left() - kLeftMm * unit, plot.top() - kTopMm * unit, 40 * unit, kTopMm * unit),
        Qt::AlignLeft | Qt::AlignVCenter, m_yTitle);
    painter.drawText(QRectF(plot.right() - 40 * unit, plot.bottom() + 5 * unit, 40 * unit,
                            kBottomMm * unit - 5 * unit),
                     Qt::AlignRight | Qt::AlignVCenter, m_xTitle);
}
