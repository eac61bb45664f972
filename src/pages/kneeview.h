#pragma once
#include "replydecoders.h"

#include <QWidget>

class CKneeChart;
class QCheckBox;
class QLabel;

// One excitation result analysed: its curve with the instrument's knee and the knees by IEC
// 61869-2 and IEEE C57.13 computed from the measured points, listed with their voltage and
// current; the operator switches between log-log and linear axes and says whether the core
// has air gaps (IEEE tangent at 30°).
class CKneeView : public QWidget {
    Q_OBJECT
  public:
    explicit CKneeView(QWidget* parent = nullptr);
    void Show(const tarvex::ExcitationReply& result);
    // The row texts of the knee list (voltage, current), for tests.
    QString KneeText(int row, int column) const;

  private:
    void Refresh();

    tarvex::ExcitationReply m_result;
    CKneeChart* m_chart;
    QCheckBox* m_logAxes;
    QCheckBox* m_gapped;
    QLabel* m_knees[3][2]; // instrument, IEC, IEEE; voltage, current
    QLabel* m_ieeeName;
};
