#pragma once
#include "platform/dialog.h"
#include "ui_dlg145_comm.h"

#include <utility>

class CMainFrame;
class QComboBox;

// Port settings: the operator chooses port and baud rate and the port opens on the spot, shown
// in the connection pane of the main frame that owns the dialog, and is remembered for the next
// run. The fields start at the port opened last. A field counts when its text is one of its list
// items; other typed text leaves COM1 and 9600.
class CCommDlg : public CDialog {
  public:
    explicit CCommDlg(CMainFrame* frame = nullptr);

    // The port number and baud rate opened last, in this run or an earlier one; COM1 at 9600
    // baud when none was.
    static std::pair<int, int> RememberedPort();

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
