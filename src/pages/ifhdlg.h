#pragma once
#include "burdenpage.h"

#include "ui_dlg139_ifh.h"

class QRadioButton;

// CT secondary burden (test kind 3): the impedance of the secondary circuit in ohms.
class CIFHDlg : public CBurdenPage {
    Q_OBJECT
  public:
    explicit CIFHDlg(QWidget* parent = nullptr);

    // Click of 1013: runs the test with the rated secondary current chosen.
    void OnStart();

    QRadioButton* m_btn1A = nullptr;
    QRadioButton* m_btn5A = nullptr;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;

  private:
    Ui::Dlg139 ui;
};
