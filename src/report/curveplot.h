#pragma once
#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

// A measured curve drawn as vector graphics into a rectangle of a report page, on linear or
// on log-log axes, with marked points (knees) and their legend.
class CCurvePlot {
  public:
    enum class Shape { Cross, Triangle, Diamond };
    struct Mark {
        QPointF value; // x, y in the axes' units
        QString name;
        QColor color;
        Shape shape = Shape::Cross;
    };

    CCurvePlot(QString xTitle, QString yTitle, std::vector<QPointF> points);
    void AddMark(const Mark& mark);

    // unit: device units per millimetre. Linear axes from 0 to a round figure above the largest
    // value; the points joined in their order.
    void DrawLinear(QPainter& painter, const QRectF& area, double unit) const;
    // Log-log axes with decades of equal length on both, a labelled grid line at each decade
    // and fainter lines at 2 to 9 times it; points with a value of 0 or less are left out.
    void DrawLogLog(QPainter& painter, const QRectF& area, double unit) const;

  private:
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
    void DrawCurve(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
                   double unit) const;
    void DrawMarks(QPainter& painter, const QRectF& plot, const Axis& x, const Axis& y,
                   double unit) const;
    void DrawTitles(QPainter& painter, const QRectF& plot, double unit) const;

    QString m_xTitle;
    QString m_yTitle;
    std::vector<QPointF> m_points;
    std::vector<Mark> m_marks;
};
