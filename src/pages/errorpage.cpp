#include "errorpage.h"

#include "replyfields.h"

CErrorPage::CErrorPage(QWidget* parent, std::span<const int> resultIds)
    : CTestPage(parent), m_resultIds(resultIds) {}

QString CErrorPage::FormatError(unsigned char high, unsigned char low) {
    return tarvex::FormatSignMagnitude(high, low);
}

void CErrorPage::ShowErrorResult(const unsigned char* payload, int length) {
    for (int i = 0; i < int(m_resultIds.size()) && 2 * i + 2 <= length; ++i)
        SetDlgItemText(m_resultIds[i], FormatError(payload[2 * i], payload[2 * i + 1]));
}

void CErrorPage::ClearResults() {
    for (const int id : m_resultIds)
        SetDlgItemText(id, QString());
    UpdateData(false);
}
