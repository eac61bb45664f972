#include "excitationcurve.h"

#include <algorithm>
#include <cmath>

namespace sim {

ExcitationCurve::ExcitationCurve(double kneeVoltage, double kneeCurrent, double exponent)
    : m_kneeVoltage(kneeVoltage > 0 ? kneeVoltage : 1.0),
      m_kneeCurrent(kneeCurrent > 0 ? kneeCurrent : 0.001), m_exponent(std::max(exponent, 5.0)) {
    // I(1.1 Uk) = 1.5 I(Uk)  <=>  1.1a + 1.1^p b = 1.5 (a + b)  <=>  b = 0.4 a / (1.1^p - 1.5)
    const double step = std::pow(1.1, m_exponent);
    m_linear = m_kneeCurrent / (1.0 + 0.4 / (step - 1.5));
    m_saturated = m_kneeCurrent - m_linear;
}

double ExcitationCurve::Current(double voltage) const {
    if (voltage <= 0)
        return 0;
    const double x = voltage / m_kneeVoltage;
    return m_linear * x + m_saturated * std::pow(x, m_exponent);
}

double ExcitationCurve::VoltageFor(double current) const {
    if (current <= 0)
        return 0;
    double low = 0;
    double high = m_kneeVoltage;
    while (Current(high) < current)
        high *= 2;
    for (int i = 0; i < 200 && high - low > 1e-12 * high; ++i) {
        const double mid = 0.5 * (low + high);
        (Current(mid) < current ? low : high) = mid;
    }
    return 0.5 * (low + high);
}

ExcitationResult ExcitationCurve::Measure(double testVoltage, double testCurrent,
                                          int points) const {
    ExcitationResult result;
    if (testVoltage <= 0 || testCurrent <= 0)
        return result;
    points = std::clamp(points, 1, 255);
    const double endVoltage = std::min(testVoltage, VoltageFor(testCurrent));
    const double endCurrent = Current(endVoltage);

    // Arc length of the curve in the plot's coordinates (U / Uend, I / Iend), sampled densely,
    // so that points fall both on the steep linear part and along the saturated part.
    constexpr int kSamples = 4000;
    std::vector<double> length(kSamples + 1, 0.0);
    double previousU = 0;
    double previousI = 0;
    for (int j = 1; j <= kSamples; ++j) {
        const double u = endVoltage * j / kSamples;
        const double i = Current(u);
        length[static_cast<std::size_t>(j)] =
            length[static_cast<std::size_t>(j - 1)] +
            std::hypot((u - previousU) / endVoltage, (i - previousI) / endCurrent);
        previousU = u;
        previousI = i;
    }
    const double total = length.back();
    std::size_t j = 1;
    for (int k = 1; k <= points; ++k) {
        double u = endVoltage;
        if (k < points) {
            const double target = total * k / points;
            while (j < static_cast<std::size_t>(kSamples) && length[j] < target)
                ++j;
            const double l0 = length[j - 1];
            const double l1 = length[j];
            const double t = l1 > l0 ? (target - l0) / (l1 - l0) : 0.0;
            u = endVoltage * (static_cast<double>(j - 1) + t) / kSamples;
        }
        result.points.push_back({Current(u), u});
    }
    if (endVoltage >= 1.1 * m_kneeVoltage * (1 - 1e-9)) {
        result.kneeVoltage = m_kneeVoltage;
        result.kneeCurrent = Current(m_kneeVoltage);
    }
    return result;
}

} // namespace sim
