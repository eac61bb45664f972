#include "dlgbase.h"

#include "dlgitems.h"

#include <QWidget>
#include <QtDebug>

QWidget* CDlgBase::Item(int id, const char* what) const {
    QWidget* control = GetDlgItem(id);
    if (!control)
        qWarning("%s: %s has no control %s", what, m_pSelf->metaObject()->className(),
                 qPrintable(tarvex::DlgItemName(id)));
    return control;
}

QWidget* CDlgBase::GetDlgItem(int id) const {
    // A control found before is still the one while it lives inside the dialog under its name
    // (an entry replaced by another of the same name is deleted).
    QPointer<QWidget>& known = m_items[id];
    if (!known || !m_pSelf->isAncestorOf(known) || known->objectName() != tarvex::DlgItemName(id))
        known = tarvex::FindDlgItem(m_pSelf, id);
    return known;
}

void CDlgBase::SetDlgItemText(int id, const QString& text) {
    if (QWidget* control = Item(id, "SetDlgItemText"))
        tarvex::SetItemText(control, text);
}

QString CDlgBase::GetDlgItemText(int id) const {
    QWidget* control = Item(id, "GetDlgItemText");
    return control ? tarvex::ItemText(control) : QString();
}

void CDlgBase::ShowItem(int id, bool show) {
    if (QWidget* control = Item(id, "ShowItem"))
        control->setVisible(show);
}

void CDlgBase::EnableItem(int id, bool enable) {
    if (QWidget* control = Item(id, "EnableItem"))
        control->setEnabled(enable);
}

void CDlgBase::CheckRadio(int id, bool checked) {
    if (QWidget* control = Item(id, "CheckRadio"))
        tarvex::SetItemChecked(control, checked);
}

bool CDlgBase::IsChecked(int id) const {
    QWidget* control = Item(id, "IsChecked");
    return control && tarvex::IsItemChecked(control);
}

int CDlgBase::GetSelectedIndex(int id) const {
    QWidget* control = Item(id, "GetSelectedIndex");
    return control ? tarvex::SelectedIndex(control) : -1;
}

void CDlgBase::SetSelectedIndex(int id, int index) {
    if (QWidget* control = Item(id, "SetSelectedIndex"))
        tarvex::SetSelectedIndex(control, index);
}

bool CDlgBase::UpdateData(bool saveAndValidate) {
    CDataExchange dx(m_pSelf, saveAndValidate, this);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CDlgBase::DoDataExchange(CDataExchange&) {}

bool CDlgBase::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDlgBase::InitDialog() {
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    tarvex::ApplyEntryStyles(m_pSelf);
    AttachStandardButtons();
    OnInitDialog();
}
