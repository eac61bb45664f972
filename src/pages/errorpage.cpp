#include "errorpage.h"

#include "link/replyfields.h"

CErrorPage::CErrorPage(QWidget* parent, std::span<const int> resultIds)
    : CTestPage(parent), m_resultIds(resultIds) {}

QString CErrorPage::FormatError(double value) {
    return tarvex::ErrorValueText(value);
}

void CErrorPage::ShowErrorResult(const tarvex::ErrorReply& result) {
    std::vector<double> values = result.phaseMinutes;
    values.insert(values.end(), result.ratioPercent.begin(), result.ratioPercent.end());
    for (std::size_t i = 0; i < m_resultIds.size() && i < values.size(); ++i)
        SetDlgItemText(m_resultIds[i], FormatError(values[i]));
}

void CErrorPage::ClearResults() {
    for (const int id : m_resultIds)
        SetDlgItemText(id, QString());
    UpdateData(false);
}

void CErrorPage::ShowResult(const TestResult::Value& value) {
    if (const auto* errors = std::get_if<tarvex::ErrorReply>(&value))
        ShowErrorResult(*errors);
}
