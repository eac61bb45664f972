#pragma once
#include "testpage.h"

#include "replydecoders.h"

#include "ui_dlg142_dz.h"

#include <QPixmap>

// DC winding resistance (test kind 8): no parameters; the result comes with its unit, shown as
// a picture beside the number.
class CDZDlg : public CTestPage {
    Q_OBJECT
  public:
    explicit CDZDlg(QWidget* parent = nullptr);

    // Click of 1013: runs the test at once (there is no parameter command).
    void OnStart();

    // The resistance with its unit picture (a number without its unit would mislead by a
    // factor of 1000, so a reply without its unit byte never gets here).
    void ShowResistanceResult(const tarvex::ResistanceReply& result);

    // Empties the number only; the unit picture keeps the last unit.
    void ClearResults() override;
    void ShowResult(const TestResult::Value& value) override;

    QPixmap m_hIconMilliOhm;
    QPixmap m_hIconOhm;

  protected:
    bool OnInitDialog() override;

  private:
    void ShowUnit(bool milliOhm);

    Ui::Dlg142 ui;
};
