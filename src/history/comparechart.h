#pragma once
#include "controls/curveplot.h"
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

    int CurveCount() const { return m_count; }
    // The colour of curve i: ten clearly different ones, then further hues in dashed lines.
    static QColor CurveColour(int i);
    static Qt::PenStyle CurveStyle(int i);
    // The ends of the axes, in A and V.
    double CurrentFull() const { return m_plot.LinearEnds().x(); }
    double VoltageFull() const { return m_plot.LinearEnds().y(); }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CCurvePlot m_plot;
    int m_count = 0;
};
