#pragma once
#include "analysis/kneepoint.h"
#include "controls/curveplot.h"

#include <QWidget>

#include <optional>
#include <vector>

// What an excitation chart shows: the measured points and the three knees.
struct KneeChartData {
    std::vector<tarvex::ExcitationPoint> points;
    std::optional<tarvex::KneePoint> instrument; // as the instrument reported it
    std::optional<tarvex::KneePoint> iec;
    std::optional<tarvex::KneePoint> ieee;
    bool gappedCore = false; // the IEEE knee's tangent at 30°, not 45°
};

// An excitation curve, current across and voltage up, on log-log axes with decades of equal
// length (so the IEEE tangent is drawn at its true angle) or on linear axes; the instrument's
// knee as a red cross, the IEC knee as a blue triangle, the IEEE knee as a green diamond with its
// tangent. The analysis window and the report draw the same plot.
class CKneeChart : public QWidget {
    Q_OBJECT
  public:
    explicit CKneeChart(QWidget* parent = nullptr);
    void SetData(KneeChartData data);
    void SetLogAxes(bool log);

    // The plot of an excitation curve with its knees, for any painter.
    static CCurvePlot Plot(const KneeChartData& data);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    KneeChartData m_data;
    bool m_logAxes = true;
};
