#include "burdenpage.h"

#include "link/replyfields.h"

void CBurdenPage::ShowBurdenResult(double burden) {
    SetDlgItemText(1004, tarvex::OneDecimalText(burden));
}

void CBurdenPage::ClearResults() {
    SetDlgItemText(1004, QString());
    UpdateData(false);
}

void CBurdenPage::ShowResult(const TestResult::Value& value) {
    if (const auto* burden = std::get_if<BurdenResult>(&value))
        ShowBurdenResult(burden->value);
}
