#pragma once
#include "errorpage.h"

#include "ui_dlg135_ijb.h"

class QRadioButton;

// CT ratio and phase error (test kind 2) at 5 %, 20 %, 100 % and 120 % of the rated current.
class CIJBDlg : public CErrorPage {
    Q_OBJECT
  public:
    explicit CIJBDlg(QWidget* parent = nullptr);

    // Click of 1013: checks the entries, then runs the test.
    void OnStart();

    int m_nRatedPrimary = 600; // A
    int m_nRatedBurden = 1;    // VA
    QRadioButton* m_btnFullLoad = nullptr;
    QRadioButton* m_btnLightLoad = nullptr;
    QRadioButton* m_btn1A = nullptr;
    QRadioButton* m_btn5A = nullptr;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;

  private:
    Ui::Dlg135 ui;
};
