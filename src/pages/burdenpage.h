#pragma once
#include "testpage.h"

// What the CT and PT secondary-burden pages share: one measured value in entry 1004.
class CBurdenPage : public CTestPage {
    Q_OBJECT
  public:
    using CTestPage::CTestPage;

    // Result reply (0x4A, 0x4F): bytes 0-1 a signed word in tenths (ohms on the CT page, VA on
    // the PT page), "%0.1f". Shows nothing unless both bytes arrived.
    void ShowBurdenResult(const unsigned char* payload, int length);

    void ClearResults() override;
};
