#pragma once
#include "dlgbase.h"

#include <QDialog>

#include <optional>

// The base of the program's modal dialogs: a QDialog with the dialog calls of CDlgBase.
// The buttons with ids 1 and 2 (object names "id1", "id2") are OK and Cancel: their clicks run
// OnOK and OnCancel, as do accept() and reject() (so Escape and the window's close button
// cancel, and a QDialogButtonBox may be wired to them too).
//
//     CSysSetDlg dlg(this);              // constructor: members, ui.setupUi(this)
//     if (dlg.DoModal() == IDOK) ...     // DoModal runs InitDialog if the constructor did not
//
// OnInitDialog runs once per object, so the program makes a new dialog object for every run.
class CDialog : public QDialog, public CDlgBase {
    Q_OBJECT

  public:
    explicit CDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Shows the dialog modally until it ends; returns the result given to EndDialog, IDOK or
    // IDCANCEL (ended by QDialog::done alone: IDOK if accepted, IDCANCEL otherwise).
    int DoModal();
    // Closes the dialog with result IDOK or IDCANCEL, without any checks.
    void EndDialog(int result);

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

  protected:
    // OK: the fields are read and checked (UpdateData(true)); the dialog ends with IDOK only if
    // they pass, otherwise it stays open with the failing field in focus.
    virtual void OnOK();
    // Cancel: ends with IDCANCEL; nothing is read.
    virtual void OnCancel();

  private:
    void AttachStandardButtons() final;

    std::optional<int> m_nResult;
};
