#pragma once
#include "pages/excitationpage.h"
#include "ui_dlg136_uva.h"

// The PT excitation page (tab "PT伏安特性", template 136): result code 0x1F, the PT records,
// 300 ms between the parameters and the start, and a report that reads the entries back first;
// registers itself as theApp().m_pUVADlg.
class CUVADlg : public CExcitationPage {
  public:
    explicit CUVADlg(QWidget* parent = nullptr);
    ~CUVADlg() override;

  protected:
    bool OnInitDialog() override;

  private:
    Ui::Dlg136 ui;
};
