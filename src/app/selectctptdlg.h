#pragma once
#include "platform/dialog.h"
#include "ui_dlg164_selectctpt.h"

// Which stored records the history search lists: CT (the first choice) or PT.
class CSelectCTPTDlg : public CDialog {
  public:
    explicit CSelectCTPTDlg(QWidget* parent = nullptr);

    // Follows the operator's clicks, not a read-back of the buttons.
    int m_bCT = 1;

  protected:
    bool OnInitDialog() override;

  private:
    Ui::Dlg164 ui;
};
