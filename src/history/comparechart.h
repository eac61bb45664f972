#pragma once
#include "curvecompare.h"

#include <QColor>
#include <QList>
#include <QWidget>

// Excitation curves overlaid on one chart: current (A) across, voltage (V) up, both axes linear
// from zero to a round value that holds every point and knee of every curve. Each curve is a
// line through its points in its own colour, its knee a cross in that colour. GUI thread.
class CCompareChart : public QWidget {
    Q_OBJECT
  public:
    explicit CCompareChart(const QList<ComparedCurve>& curves, QWidget* parent = nullptr);

    int CurveCount() const { return m_curves.size(); }
    // The colour of curve i: ten clearly different ones, then further hues in dashed lines.
    static QColor CurveColour(int i);
    static Qt::PenStyle CurveStyle(int i);
    // The ends of the axes, in A and V.
    double CurrentFull() const { return m_currentFull; }
    double VoltageFull() const { return m_voltageFull; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRectF PlotArea() const;
    QPointF Map(double current, double voltage) const;
    void PaintAxes(class QPainter& painter) const;
    void PaintCurve(class QPainter& painter, int i) const;

    QList<ComparedCurve> m_curves;
    double m_currentFull = 1;
    double m_voltageFull = 1;
};
