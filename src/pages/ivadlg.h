#pragma once
#include "pages/excitationpage.h"
#include "ui_dlg133_iva.h"

// The CT excitation page (tab "CT伏安特性", template 133): result code 0x1A, the CT records,
// 500 ms between the parameters and the start; registers itself as theApp().m_pIVADlg.
class CIVADlg : public CExcitationPage {
  public:
    explicit CIVADlg(QWidget* parent = nullptr);
    ~CIVADlg() override;

  protected:
    bool OnInitDialog() override;

  private:
    Ui::Dlg133 ui;
};
