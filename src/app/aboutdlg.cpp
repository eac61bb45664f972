#include "aboutdlg.h"

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(parent) {
    ui.setupUi(this);
}
