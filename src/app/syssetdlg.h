#pragma once
#include "platform/dialog.h"
#include "ui_dlg152_sysset.h"

// The operator's identification sent to the instrument: device number, tester and test site,
// ten characters each; the PC's clock ticks beside them for reference. The fields start with
// the identity last confirmed, in this run or an earlier one.
class CSysSetDlg : public CDialog {
  public:
    explicit CSysSetDlg(QWidget* parent = nullptr);

    // Keeps the identity confirmed with "确定" for the next time the dialog opens.
    void RememberIdentity() const;

    QString m_strTime;
    QString m_strDeviceNo;
    QString m_strTester;
    QString m_strSite;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;

  private:
    void OnTimer();

    Ui::Dlg152 ui;
};
