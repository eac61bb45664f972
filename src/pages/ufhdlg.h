#pragma once
#include "burdenpage.h"

#include "ui_dlg144_ufh.h"

// PT secondary burden (test kind 7): the load of the secondary circuit in VA.
class CUFHDlg : public CBurdenPage {
    Q_OBJECT
  public:
    explicit CUFHDlg(QWidget* parent = nullptr);

    // Click of 1013: runs the test with the rated secondary voltage chosen (index 0 when none).
    void OnStart();

  protected:
    bool OnInitDialog() override;

  private:
    Ui::Dlg144 ui;
};
