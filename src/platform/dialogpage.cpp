#include "dialogpage.h"

CDialogPage::CDialogPage(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), CDlgBase(this) {}
