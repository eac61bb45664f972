#pragma once
#include "platform/dialog.h"
#include "ui_dlg145_comm.h"

class QComboBox;

// Port settings: the operator chooses port and baud rate from the lists and the port opens on
// the spot. Only list choices count; text typed into the fields is not read.
class CCommDlg : public CDialog {
public:
    explicit CCommDlg(QWidget* parent = nullptr);

    QComboBox* m_cbPort = nullptr;
    QComboBox* m_cbBaud = nullptr;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    Ui::Dlg145 ui;
};
