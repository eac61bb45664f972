#pragma once
#include "platform/dialog.h"
#include "ui_dlg145_comm.h"

class CMainFrame;
class QComboBox;

// Port settings: the operator chooses port and baud rate and the port opens on the spot, shown
// in the connection pane of the main frame that owns the dialog. A field counts when its text is
// one of its list items; other typed text leaves the default.
class CCommDlg : public CDialog {
public:
    explicit CCommDlg(CMainFrame* frame = nullptr);

    QComboBox* m_cbPort = nullptr;
    QComboBox* m_cbBaud = nullptr;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CMainFrame* m_pFrame;
    Ui::Dlg145 ui;
};
