#include "syssetdlg.h"

#include "devicelink.h"
#include "platform/msgbox.h"
#include "platform/usersettings.h"

#include <QDateTime>
#include <QLineEdit>
#include <QTimer>

CSysSetDlg::CSysSetDlg(QWidget* parent)
    : CDialog(parent), m_strDeviceNo(tarvex::RememberedValue("identity/deviceNo").toString()),
      m_strTester(tarvex::RememberedValue("identity/tester").toString()),
      m_strSite(tarvex::RememberedValue("identity/site").toString()) {
    ui.setupUi(this);
}

void CSysSetDlg::RememberIdentity() const {
    tarvex::Remember("identity/deviceNo", m_strDeviceNo);
    tarvex::Remember("identity/tester", m_strTester);
    tarvex::Remember("identity/site", m_strSite);
}

namespace {

// Checked on "确定", so that the operator can mend the text in place: the instrument takes
// digits and Latin letters only.
void DDV_IdentityText(CDataExchange& dx, const QString& value) {
    if (dx.Failed() || !dx.m_bSaveAndValidate)
        return;
    const QString unsupported = CDeviceLink::UnsupportedIdentityChar(value);
    if (unsupported.isEmpty())
        return;
    MessageBox(dx.m_pDlgWnd, CDeviceLink::IdentityRefusal(unsupported), "系统提示",
               MB_OK | MB_ICONINFORMATION);
    dx.Fail();
}

} // namespace

void CSysSetDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Text(dx, 1004, m_strTime);
    DDX_Text(dx, 1005, m_strDeviceNo);
    DDV_MaxChars(dx, m_strDeviceNo, 10);
    DDV_IdentityText(dx, m_strDeviceNo);
    DDX_Text(dx, 1006, m_strTester);
    DDV_MaxChars(dx, m_strTester, 10);
    DDV_IdentityText(dx, m_strTester);
    DDX_Text(dx, 1007, m_strSite);
    DDV_MaxChars(dx, m_strSite, 10);
    DDV_IdentityText(dx, m_strSite);
}

bool CSysSetDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* time = qobject_cast<QLineEdit*>(GetDlgItem(1004)))
        time->setReadOnly(true);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CSysSetDlg::OnTimer);
    timer->start(500);
    return true;
}

void CSysSetDlg::OnTimer() {
    m_strTime = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
    SetDlgItemText(1004, m_strTime);
}
