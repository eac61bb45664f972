#include "syssetdlg.h"

#include <QDateTime>
#include <QLineEdit>
#include <QTimer>

CSysSetDlg::CSysSetDlg(QWidget* parent) : CDialog(parent) { ui.setupUi(this); }

void CSysSetDlg::DoDataExchange(CDataExchange& dx)
{
    DDX_Text(dx, 1004, m_strTime);
    DDX_Text(dx, 1005, m_strDeviceNo);
    DDV_MaxChars(dx, m_strDeviceNo, 10);
    DDX_Text(dx, 1006, m_strTester);
    DDV_MaxChars(dx, m_strTester, 10);
    DDX_Text(dx, 1007, m_strSite);
    DDV_MaxChars(dx, m_strSite, 10);
}

bool CSysSetDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (auto* time = qobject_cast<QLineEdit*>(GetDlgItem(1004)))
        time->setReadOnly(true);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CSysSetDlg::OnTimer);
    timer->start(500);
    return true;
}

void CSysSetDlg::OnTimer()
{
    m_strTime = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
    SetDlgItemText(1004, m_strTime);
}
