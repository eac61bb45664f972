#pragma once
#include "analysis/accuracyclass.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QTableWidget;

// One ratio-and-phase-error result judged against an accuracy class the operator picks (the
// pick is remembered for CT and for PT results apart): each load point with its values, the
// class limits and 合格 / 不合格, and the verdict on the whole.
class CErrorVerdictView : public QWidget {
    Q_OBJECT
  public:
    explicit CErrorVerdictView(QWidget* parent = nullptr);
    void Show(const tarvex::ErrorReply& result, bool pt);
    void SelectClass(tarvex::AccuracyClass cls);
    // The texts of the point table and of the overall verdict, for tests.
    QString CellText(int row, int column) const;
    QString OverallText() const;

  private:
    void OnClassChosen(int index);
    void Refresh();

    tarvex::ErrorReply m_result;
    bool m_pt = false;
    QComboBox* m_class;
    QTableWidget* m_points;
    QLabel* m_overall;
    QLabel* m_note;
};
