#pragma once
#include "state/resultmodel.h"

#include <QDialog>

class CErrorVerdictView;
class CKneeView;
class QComboBox;
class QLabel;
class QStackedWidget;

// The window "曲线分析": for an excitation result the curve with the instrument's knee and the
// knees by the standards, for a ratio-and-phase-error result the accuracy-class verdicts. It
// shows the latest result of the kind chosen at its top, following new ones as they arrive, or
// a result handed to it (from the archive).
class CAnalysisDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAnalysisDlg(QWidget* owner);

    // The owner's one analysis window, made on first use, shown with the result of
    // `currentKind` (the test page in front) when that kind is analysed and has one, else with
    // the latest analysed result.
    static CAnalysisDlg* Open(QWidget* owner, int currentKind);

    // The latest result of `kind` (CT or PT excitation or error) from the result model.
    void ShowLatest(int kind);
    // A result not from the model, such as one from the archive; `origin` says where from.
    void ShowResult(int kind, const TestResult::Value& value, const QString& origin);

    CKneeView* KneeView() const { return m_kneeView; }
    CErrorVerdictView* VerdictView() const { return m_verdictView; }

  private:
    // Nothing (no result yet) and a value the window does not analyse show the empty page.
    void Display(int kind, const TestResult::Value* value, const QString& origin);
    void OnKindChosen(int index);
    void OnResultChanged(int kind);
    int ShownKind() const;

    QComboBox* m_kind;
    QLabel* m_origin;
    QStackedWidget* m_stack;
    QLabel* m_empty;
    CKneeView* m_kneeView;
    CErrorVerdictView* m_verdictView;
    bool m_followModel = true;
};
