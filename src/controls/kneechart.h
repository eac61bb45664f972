#pragma once
#include "analysis/kneepoint.h"

#include <QWidget>

#include <optional>
#include <vector>

class QPainter;

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
// knee as a red cross, the IEC knee as a blue square, the IEEE knee as a green diamond with its
// tangent. Paint draws it on any painter (a widget, a PDF page) as lines and text.
class CKneeChart : public QWidget {
    Q_OBJECT
  public:
    explicit CKneeChart(QWidget* parent = nullptr);
    void SetData(KneeChartData data);
    void SetLogAxes(bool log);

    static void Paint(QPainter& painter, const QRectF& area, const KneeChartData& data,
                      bool logAxes);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    KneeChartData m_data;
    bool m_logAxes = true;
};
