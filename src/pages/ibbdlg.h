#pragma once
#include "testpage.h"

#include "replydecoders.h"

#include "ui_dlg134_ibb.h"

class QRadioButton;
class QTreeWidget;

// CT ratio and polarity (test kind 1). Depending on the instrument model the result is one
// ratio with its polarity (single mode) or six tap groups in a list; the measured currents
// are shown in both.
class CIBBDlg : public CTestPage {
    Q_OBJECT
  public:
    explicit CIBBDlg(QWidget* parent = nullptr);

    // Click of 1013: checks the entries and the instrument's current limit, then runs the test.
    void OnStart();

    // Byte 1 of the device-information reply: 0xA1 single mode, 0xA2 six-tap list, anything
    // else keeps the mode; the fields or the list are shown accordingly.
    void SetDeviceType(unsigned char type);
    // Shows the single-result fields (show != 0) or the six-tap list.
    void ShowSingleResult(int show);

    // The single ratio: currents, ratio and polarity, replacing what was on show; a field that
    // did not arrive stays empty.
    void ShowRatioResult(const tarvex::CtRatioReply& result);
    // The six taps, replacing what was on show: the currents that arrived, and the six rows when
    // the whole reply did.
    void ShowTapResults(const tarvex::CtTapReply& result);

    // The result on show (the model's latest CT ratio, in the page's mode) as text, into
    // theApp().m_strReport.
    void BuildResultText();

    void ClearResults() override;
    void ShowResult(const TestResult::Value& value) override;

    int m_nTestCurrent = 100; // A
    int m_nSingleMode = 1;
    QRadioButton* m_btn1A = nullptr;
    QRadioButton* m_btn5A = nullptr;
    QTreeWidget* m_list = nullptr;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;

  private:
    // The measured currents of either reply, those that arrived.
    void ShowCurrents(const std::optional<double>& primary, const std::optional<double>& secondary);
    void PrepareList();
    void ClearShownResult();

    Ui::Dlg134 ui;
};
