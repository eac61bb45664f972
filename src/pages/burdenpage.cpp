#include "burdenpage.h"

#include "replyfields.h"

namespace {
constexpr tarvex::ScaledWord kBurden[] = {{0, 10.0, "%0.1f", 1004}};
}

void CBurdenPage::ShowBurdenResult(const unsigned char* payload, int length) {
    tarvex::ShowScaledWords(*this, payload, length, kBurden);
}

void CBurdenPage::ClearResults() {
    SetDlgItemText(1004, QString());
    UpdateData(false);
}
