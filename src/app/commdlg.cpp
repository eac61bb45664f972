#include "commdlg.h"

#include "devicelink.h"
#include "mainfrm.h"
#include "tarvexapp.h"
#include "platform/msgbox.h"

#include <QComboBox>

CCommDlg::CCommDlg(QWidget* parent) : CDialog(parent) { ui.setupUi(this); }

void CCommDlg::DoDataExchange(CDataExchange& dx)
{
    DDX_Control(dx, 1014, m_cbPort);
    DDX_Control(dx, 1018, m_cbBaud);
}

bool CCommDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetSelectedIndex(1014, -1);
    SetSelectedIndex(1018, -1);
    m_cbPort->setEditText("COM1");
    m_cbBaud->setEditText("9600");
    return true;
}

// An editable combo keeps the index of the item last chosen from its list; typing only changes
// the edit text, and a typed text that matches no item leaves no item chosen.
void CCommDlg::OnOK()
{
    int port = m_cbPort->currentIndex() + 1;
    if (port < 1 || m_cbPort->currentText() != m_cbPort->itemText(port - 1))
        port = 1;
    int baud = 9600;
    const int baudItem = m_cbBaud->currentIndex();
    if (baudItem >= 0 && m_cbBaud->currentText() == m_cbBaud->itemText(baudItem))
        baud = m_cbBaud->itemText(baudItem).toInt();
    CDeviceLink* link = theApp().m_pLink;
    link->Open(port, baud);
    if (!link->IsOpen()) {
        MessageBox(this, "串口打开失败", "系统提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (CMainFrame* frame = theApp().m_pMainWnd)
        frame->SetConnPaneText(QString("COM%1已打开，波特率为%2bps").arg(port).arg(baud));
    EndDialog(IDOK);
}
