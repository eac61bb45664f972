#include "dialog.h"

#include "msgbox.h"

#include <QAbstractButton>

CDialog::CDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags), CDlgBase(this) {}

int CDialog::DoModal() {
    m_nResult.reset();
    InitDialog();
    const int code = exec();
    return m_nResult.value_or(code == QDialog::Accepted ? IDOK : IDCANCEL);
}

void CDialog::EndDialog(int result) {
    m_nResult = result;
    done(result == IDOK ? QDialog::Accepted : QDialog::Rejected);
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::AttachStandardButtons() {
    if (auto* ok = qobject_cast<QAbstractButton*>(GetDlgItem(IDOK)))
        connect(ok, &QAbstractButton::clicked, this, [this] { OnOK(); });
    if (auto* cancel = qobject_cast<QAbstractButton*>(GetDlgItem(IDCANCEL)))
        connect(cancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}
