#pragma once
#include "dlgbase.h"

#include <QAbstractButton>
#include <QWidget>

// The base of the pages shown inside the main window (the test pages of the tab control, the
// error-curve window): a plain widget with the dialog calls of CDlgBase. A page is created once
// and then only shown or hidden.
//
//     CIBBDlg::CIBBDlg(QWidget* parent) : CDialogPage(parent) { ui.setupUi(this); InitDialog(); }
class CDialogPage : public QWidget, public CDlgBase {
    Q_OBJECT

  public:
    explicit CDialogPage(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

  protected:
    // Runs the page's handler on a click of button id (a missing button warns, see CDlgBase).
    template <typename Page> void OnClicked(int id, void (Page::*handler)()) {
        if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id)))
            connect(button, &QAbstractButton::clicked, static_cast<Page*>(this), handler);
    }
};
