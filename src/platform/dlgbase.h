#pragma once
#include "dataexchange.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

// What every dialog and page of the program shares: its controls by id, data exchange and a
// one-time initialisation. Inherited, after the Qt class, by CDialogPage (pages inside the main
// window) and CDialog (modal dialogs); the control calls are those of dlgitems.h.
//
// Initialisation: the constructor of the most derived class sets its members' defaults, builds
// its controls (ui.setupUi(this)) and then calls InitDialog(), which applies the template's
// entry styles (ApplyEntryStyles in dlgitems.h) and runs OnInitDialog() once.
// A CDialog may leave that call to DoModal(). OnInitDialog's base version is the framework's
// initialisation: UpdateData(false), which shows the members in the controls. An override
// calls it first and then does its own (fonts, list columns, registration, ...).
//
// A missing id is a fault of the program: the call warns and does nothing (reads give "",
// false or -1). GUI thread only.
class CDlgBase {
  public:
    explicit CDlgBase(QWidget* self) : m_pSelf(self) {}
    virtual ~CDlgBase() = default;
    CDlgBase(const CDlgBase&) = delete;
    CDlgBase& operator=(const CDlgBase&) = delete;

    QWidget* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const QString& text);
    QString GetDlgItemText(int id) const;
    void ShowItem(int id, bool show);
    void EnableItem(int id, bool enable);
    // Radio buttons and check boxes; see SetItemChecked in dlgitems.h.
    void CheckRadio(int id, bool checked = true);
    bool IsChecked(int id) const;
    // Combo boxes and lists; see SelectedIndex in dlgitems.h.
    int GetSelectedIndex(int id) const;
    void SetSelectedIndex(int id, int index);

    // Runs DoDataExchange: controls to members and checks (true) or members to controls
    // (false). Returns false when a field failed; its message has been shown then.
    bool UpdateData(bool saveAndValidate = true);

    bool IsInitialised() const { return m_bInitialised; }

  protected:
    virtual void DoDataExchange(CDataExchange& dx);
    // Returns true like the framework's; Qt gives the first control the focus either way.
    virtual bool OnInitDialog();
    // Runs OnInitDialog the first time it is called and does nothing afterwards.
    void InitDialog();

  private:
    // Lets CDialog wire its OK and Cancel buttons before OnInitDialog runs.
    virtual void AttachStandardButtons() {}
    QWidget* Item(int id, const char* what) const;

    QWidget* const m_pSelf;
    bool m_bInitialised = false;
    // The controls found so far, by id: a page's data exchange asks for dozens at a time.
    mutable QHash<int, QPointer<QWidget>> m_items;
};
