#pragma once
#include "platform/dialog.h"
#include "ui_dlg100_about.h"

// The About box.
class CAboutDlg : public CDialog {
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

  private:
    Ui::Dlg100 ui;
};
