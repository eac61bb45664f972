#pragma once
#include "testpage.h"

#include "replydecoders.h"

#include "ui_dlg137_ubb.h"

class QComboBox;

// PT ratio and polarity (test kind 5): the voltage twin of the CT ratio page, without taps.
class CUBBDlg : public CTestPage {
    Q_OBJECT
  public:
    explicit CUBBDlg(QWidget* parent = nullptr);

    // Click of 1013: checks the entries and the instrument's voltage limit, then runs the test.
    void OnStart();

    // Voltages, ratio (kV / rated secondary text) and polarity, replacing what was on show; a
    // field that did not arrive stays empty.
    void ShowRatioResult(const tarvex::PtRatioReply& result);

    // The result on show (the model's latest PT ratio) as text, into theApp().m_strReport.
    void BuildResultText();

    void ClearResults() override;
    void ShowResult(const TestResult::Value& value) override;

    int m_nTestVoltage = 1000; // V
    QComboBox* m_cbRatedSecondary = nullptr;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;

  private:
    void ClearShownResult();

    Ui::Dlg137 ui;
};
