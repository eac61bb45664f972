#pragma once
#include "dlgbase.h"

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
};
