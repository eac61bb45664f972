#pragma once
#include "pages/chart.h"

#include <QString>

#include <optional>
#include <span>
#include <vector>

namespace tarvex {

// The choices of the error-curve window that the computation reads.
struct ErrorCurveParams {
    bool rated5A = true;          // m_bRated5A: In = 5 A, else 1 A
    int currentFactor = 10;       // m_nCurrentFactor f1: 10 (10 % curve) or 20 (5 % curve)
    int secondaryFactor = 9;      // m_nSecondaryFactor f2: 9 (10 %) or 19 (5 %)
    float secondaryImpedance = 0; // Z2 in ohms, the entry "CT二次阻抗"
};

// One list row: "组号" ("%d"), "M10" ("%.2f" of M - 0.0049), "ZII" ("%.1f" of Z - 0.049).
struct ErrorCurveRow {
    QString number;
    QString multiple;
    QString impedance;
};

struct ErrorCurveResult {
    std::vector<ErrorCurveRow> rows;
    std::vector<tagFWPOINT> points; // m_ErrorPoints, one per row while both scales are non-zero
    int maxMultiple = 0;            // m_nMaxMultiple, a multiple of 4
    int maxImpedance = 0;           // m_nMaxImpedance, a multiple of 5
};

// The computation behind CIWCDlg::OnCalcErrorCurve over the curve on show (currents[i],
// voltages[i]; entry 0 is the origin and is skipped), with the secondary impedance taking part: M =
// f1 * I / In, ZII = (U - I * Z2) / (f2 * I) - Z2 (with Z2 = 0 this is Z = U / (I * f2)). Nothing
// (the previous result stays) when there are no entries. Points are taken up to the shorter of the
// two arrays. Entries with zero current after the origin are skipped; no point is mapped while a
// full scale is 0; nothing divides by zero.
std::optional<ErrorCurveResult> CalcErrorCurve(std::span<const float> currents,
                                               std::span<const float> voltages,
                                               const ErrorCurveParams& params);

} // namespace tarvex
