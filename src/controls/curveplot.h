#pragma once
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

// A measured curve drawn as vector graphics into a rectangle of any painter (a window, a report
// page), on linear or on log-log axes, with marked points (knees), their legend and a tangent.
// Sizes are in millimetres, so one plot reads alike on a screen and on paper.
class CCurvePlot {
  public:
    enum class Shape { Cross, Triangle, Diamond };
    struct Mark {
        QPointF value; // x, y in the axes' units
        QString name;  // in the legend; a mark without a name is not
        QColor color;
        Shape shape = Shape::Cross;
    };
    // A curve: its points joined in their order, each dotted.
    struct Series {
        std::vector<QPointF> points;
        QColor color{0, 70, 160};
        Qt::PenStyle style = Qt::SolidLine;
    };

    // A plot of no curve, or of one curve in the plot's blue.
    CCurvePlot(QString xTitle, QString yTitle, std::vector<QPointF> points = {});
    void AddSeries(Series series);
    void AddMark(const Mark& mark);
    // The far ends of the linear axes (x, y): round figures at or above every value.
    QPointF LinearEnds() const;
    // The font of tick labels and legend; the axis titles are a point larger.
    void SetFont(const QFont& font) { m_font = font; }
    // A dashed line through a value at an angle to the horizontal axis, on log-log axes only
    // (where an angle means a slope).
    void SetTangent(QPointF through, double angleDegrees, const QColor& color);

    // unit: device units per millimetre. Linear axes from 0 to a round figure above the largest
    // value; the points joined in their order.
    void DrawLinear(QPainter& painter, const QRectF& area, double unit) const;
    // Log-log axes with decades of equal length on both, a labelled grid line at each decade
    // and fainter lines at 2 to 9 times it; points with a value of 0 or less are left out.
    void DrawLogLog(QPainter& painter, const QRectF& area, double unit) const;

  private:
    template <typename Take> void ForEachValue(Take take) const;
    struct Axis {
        double low; // first value (log10 of it on log axes)
        double high;
        double step;
        bool log;
    };
    void Draw(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
              double unit) const;
    void DrawGrid(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
                  double unit) const;
    void DrawSeries(const Series& series, QPainter& painter, const QRectF& plot, const Axis& x,
                    const Axis& y, double unit) const;
    void DrawMarks(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
                   double unit) const;
    void DrawTangent(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
                     double unit) const;
    void DrawTitles(QPainter& painter, const QRectF& plot, double unit) const;

    struct Tangent {
        QPointF through;
        double angleDegrees;
        QColor color;
    };

    QString m_xTitle;
    QString m_yTitle;
    std::vector<Series> m_series;
    std::vector<Mark> m_marks;
    std::optional<Tangent> m_tangent;
    QFont m_font;
};
