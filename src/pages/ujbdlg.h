#pragma once
#include "errorpage.h"

#include "ui_dlg138_ujb.h"

class CFwNumEdt;
class QRadioButton;

// PT ratio and phase error (test kind 6) at 80 %, 100 % and 120 % of the rated voltage.
class CUJBDlg : public CErrorPage {
    Q_OBJECT
  public:
    explicit CUJBDlg(QWidget* parent = nullptr);

    // Click of 1013: checks the entries and the 0.1..220 kV range, then runs the test.
    void OnStart();

    float m_fRatedPrimary = 10; // kV
    int m_nRatedBurden = 1;     // VA
    CFwNumEdt* m_editRatedPrimary = nullptr;
    QRadioButton* m_btnFullLoad = nullptr;
    QRadioButton* m_btnLightLoad = nullptr;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;

  private:
    void PromoteRatedPrimaryEntry();

    Ui::Dlg138 ui;
};
