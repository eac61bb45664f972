#include "errorpage.h"

#include "replyfields.h"

CErrorPage::CErrorPage(QWidget* parent, std::span<const int> resultIds)
    : CTestPage(parent), m_resultIds(resultIds) {}

QString CErrorPage::FormatError(unsigned char high, unsigned char low) {
    const int magnitude = ((high & 0x7F) << 8) | low;
    // Negating the integer keeps 0x8000 from printing as "-0.000".
    const int value = (high & 0x80) ? -magnitude : magnitude;
    return QString::asprintf("%0.3f", value / 1000.0);
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
