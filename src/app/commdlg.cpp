#include "commdlg.h"

#include "devicelink.h"
#include "mainfrm.h"
#include "platform/msgbox.h"
#include "platform/usersettings.h"
#include "state/appstate.h"

#include <QComboBox>

CCommDlg::CCommDlg(CMainFrame* frame) : CDialog(frame), m_pFrame(frame) {
    ui.setupUi(this);
}

std::pair<int, int> CCommDlg::RememberedPort() {
    const int port = tarvex::RememberedValue("port/number", 1).toInt();
    const int baud = tarvex::RememberedValue("port/baud", 9600).toInt();
    // A file edited by hand may hold anything: what the dialog could not have chosen is ignored.
    if (port < 1 || port > 10 || baud <= 0)
        return {1, 9600};
    return {port, baud};
}

void CCommDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, 1014, m_cbPort);
    DDX_Control(dx, 1018, m_cbBaud);
}

bool CCommDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetSelectedIndex(1014, -1);
    SetSelectedIndex(1018, -1);
    const auto [port, baud] = RememberedPort();
    m_cbPort->setEditText(QString("COM%1").arg(port));
    m_cbBaud->setEditText(QString::number(baud));
    return true;
}

// Qt's editable combo box makes an item current when the text in its field equals that item,
// as soon as the operator presses Enter or the focus leaves the field (a click on 确定 does
// both), ignoring case. So the text shown counts: an item's text chooses that item, whether picked
// from the list or typed; any other text is not read and the default applies.
void CCommDlg::OnOK() {
    const int portItem = m_cbPort->findText(m_cbPort->currentText(), Qt::MatchFixedString);
    const int port = portItem >= 0 ? portItem + 1 : 1;
    const int baudItem = m_cbBaud->findText(m_cbBaud->currentText(), Qt::MatchFixedString);
    const int baud = baudItem >= 0 ? m_cbBaud->itemText(baudItem).toInt() : 9600;
    CDeviceLink* link = theApp().m_pLink;
    link->Open(port, baud);
    if (!link->IsOpen()) {
        MessageBox(this, "串口打开失败\n" + link->LastFailure().Text(), "系统提示",
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    tarvex::Remember("port/number", port);
    tarvex::Remember("port/baud", baud);
    if (m_pFrame)
        m_pFrame->ShowPortOpened(port, baud);
    EndDialog(IDOK);
}
