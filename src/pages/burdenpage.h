#pragma once
#include "testpage.h"

// What the CT and PT secondary-burden pages share: one measured value in entry 1004.
class CBurdenPage : public CTestPage {
    Q_OBJECT
  public:
    using CTestPage::CTestPage;

    // The measured burden (ohms on the CT page, VA on the PT page), "%0.1f".
    void ShowBurdenResult(double burden);

    void ClearResults() override;
    void ShowResult(const TestResult::Value& value) override;
};
