#include "pages/errorcurve.h"

#include <algorithm>

namespace tarvex {

namespace {

// Ceilings this high are far beyond any transformer; holding truncated values here keeps
// "plus 1" and the raise to a multiple of 4 or 5 clear of int overflow (a current of 1e-30 A
// would otherwise give an impedance of 1e30).
constexpr int kCeilingLimit = 1000000000;

struct Computed {
    int point; // index i in the arrays
    float m;
    float z;
};

} // namespace

std::optional<ErrorCurveResult> CalcErrorCurve(std::span<const float> currents,
                                               std::span<const float> voltages,
                                               const ErrorCurveParams& params) {
    const std::size_t n = std::min(currents.size(), voltages.size());
    if (currents.empty())
        return std::nullopt;

    ErrorCurveResult result;
    const float z2 = params.secondaryImpedance;
    const double rated = params.rated5A ? 5.0 : 1.0;

    // Skipped zero-current entries keep their place in the point numbering: k is the index i
    // of the point (as in the arrays) at which Z last reached the running ceiling, and the rows
    // are the computed points with an index above k. Without skipped entries this is the
    // the local index j = k .. n - 2 of the arrays M and Z (entry j belongs to point j + 1).
    std::vector<Computed> computed;
    std::size_t k = 0;
    for (std::size_t i = 1; i < n; ++i) {
        const float current = currents[i];
        const float voltage = voltages[i];
        const float divisor = current * static_cast<float>(params.secondaryFactor);
        if (current == 0 || divisor == 0)
            continue;
        // M computed in double ("f1 * I / 5.0") and kept as a float, like the list's values.
        const float m = static_cast<float>(params.currentFactor * current / rated);
        const float e = voltage - current * z2;
        const float z = e / divisor - z2;
        if (m >= static_cast<float>(result.maxMultiple))
            result.maxMultiple = TruncSaturated(m, kCeilingLimit) + 1;
        if (z >= static_cast<float>(result.maxImpedance)) {
            k = i;
            result.maxImpedance = TruncSaturated(z, kCeilingLimit) + 1;
        }
        computed.push_back({static_cast<int>(i), m, z});
    }
    while (result.maxMultiple % 4 != 0)
        ++result.maxMultiple;
    while (result.maxImpedance % 5 != 0)
        ++result.maxImpedance;

    int row = 0;
    for (const Computed& c : computed) {
        if (c.point <= static_cast<int>(k))
            continue;
        if (auto pos = TryMapPoint(c.m, c.z, result.maxMultiple, result.maxImpedance))
            result.points.push_back(*pos);
        ++row;
        result.rows.push_back({QString::asprintf("%d", row),
                               QString::asprintf("%.2f", static_cast<double>(c.m) - 0.0049),
                               QString::asprintf("%.1f", static_cast<double>(c.z) - 0.049)});
    }
    return result;
}

} // namespace tarvex
