#pragma once
#include "testpage.h"

#include "replydecoders.h"

#include <span>

// What the CT and PT ratio-and-phase-error pages share: the error values of their results and
// the result entries they fill. The reply carries all phase errors,
// then all ratio errors; resultIds names the entries in that order.
class CErrorPage : public CTestPage {
    Q_OBJECT
  public:
    CErrorPage(QWidget* parent, std::span<const int> resultIds);

    // The text of one error value, "%0.3f".
    static QString FormatError(double value);

    // The phase errors, then the ratio errors, that arrived.
    void ShowErrorResult(const tarvex::ErrorReply& result);

    void ClearResults() override;
    void ShowResult(const TestResult::Value& value) override;

  private:
    std::span<const int> m_resultIds;
};
