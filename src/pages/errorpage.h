#pragma once
#include "testpage.h"

#include <span>

// What the CT and PT ratio-and-phase-error pages share: the sign-and-magnitude error values of
// their result replies and the result entries they fill. The reply carries all phase errors,
// then all ratio errors; resultIds names the entries in that order.
class CErrorPage : public CTestPage {
    Q_OBJECT
  public:
    CErrorPage(QWidget* parent, std::span<const int> resultIds);

    // The text of one error value, a big-endian sign-and-magnitude word (bit 15 the sign, bits
    // 0..14 the magnitude in thousandths), "%0.3f": "-0.005" for 0x80 0x05; 0x8000 reads 0.000,
    // not -0.000.
    static QString FormatError(unsigned char high, unsigned char low);

    // Result reply (0x3A, 0x3F): two bytes per value; a value whose two bytes did not both
    // arrive is not shown.
    void ShowErrorResult(const unsigned char* payload, int length);

    void ClearResults() override;

  private:
    std::span<const int> m_resultIds;
};
