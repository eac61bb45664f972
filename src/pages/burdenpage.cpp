#include "burdenpage.h"

void CBurdenPage::ShowBurdenResult(double burden) {
    SetDlgItemText(1004, QString::asprintf("%0.1f", burden));
}

void CBurdenPage::ClearResults() {
    SetDlgItemText(1004, QString());
    UpdateData(false);
}
