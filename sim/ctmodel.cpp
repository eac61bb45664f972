#include "ctmodel.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

// Relative size of the exciting current against the secondary current at a load fraction.
double LoadShape(double fraction) {
    return std::pow(std::max(fraction, 0.01), -0.3);
}

} // namespace

double CtPhaseLimit100(double accuracyClass) {
    return accuracyClass <= 0.2 ? 50.0 * accuracyClass : 60.0 * accuracyClass;
}

CtModel::CtModel(CtConfig config) : m_config(config) {
    if (m_config.ratedPrimary <= 0)
        m_config.ratedPrimary = 600;
    if (m_config.ratedSecondary <= 0)
        m_config.ratedSecondary = 5;
}

ExcitationCurve CtModel::Excitation() const {
    return ExcitationCurve(m_config.kneeVoltage, m_config.kneeCurrent);
}

double CtModel::ErrorScale(double burdenOhm) const {
    const double rated = m_config.ratedBurden / (m_config.ratedSecondary * m_config.ratedSecondary);
    const double winding = std::max(m_config.windingResistance, 0.0);
    const double designed = winding + rated;
    if (designed <= 0)
        return 1.0;
    return (winding + std::max(burdenOhm, 0.0)) / designed;
}

double CtModel::RatioError(double fraction, double burdenOhm) const {
    return -0.4 * m_config.accuracyClass * ErrorScale(burdenOhm) * LoadShape(fraction);
}

double CtModel::PhaseError(double fraction, double burdenOhm) const {
    return 0.4 * CtPhaseLimit100(m_config.accuracyClass) * ErrorScale(burdenOhm) *
           LoadShape(fraction);
}

double CtModel::Secondary(int sent) const {
    return sent > 0 ? sent : m_config.ratedSecondary;
}

CtRatioReading CtModel::Ratio(double testCurrent, int ratedSecondarySent) const {
    // The instrument's own ammeter is the only burden.
    const double ratio = m_config.ratedPrimary / m_config.ratedSecondary;
    const double error = RatioError(testCurrent / m_config.ratedPrimary, 0.0);
    CtRatioReading reading;
    reading.primaryCurrent = testCurrent;
    reading.secondaryCurrent = testCurrent / ratio * (1 + error / 100);
    const double measured =
        reading.secondaryCurrent > 0 ? testCurrent / reading.secondaryCurrent : 0;
    reading.ratioSecondary = static_cast<std::uint8_t>(Secondary(ratedSecondarySent));
    reading.ratioPrimary = measured * reading.ratioSecondary;
    reading.polarityPositive = m_config.polarityPositive;
    return reading;
}

CtTapReading CtModel::Taps(double testCurrent, int ratedSecondarySent) const {
    CtTapReading reading;
    reading.primaryCurrent = testCurrent;
    reading.ratioSecondary = static_cast<std::uint8_t>(Secondary(ratedSecondarySent));
    for (int k = 1; k <= 6; ++k) {
        const double tapPrimary = m_config.ratedPrimary * k / 6.0;
        const double ratio = tapPrimary / m_config.ratedSecondary;
        const double error = RatioError(testCurrent / tapPrimary, 0.0);
        const double secondary = testCurrent / ratio * (1 + error / 100);
        const auto index = static_cast<std::size_t>(k - 1);
        reading.ratioPrimary[index] =
            secondary > 0 ? testCurrent / secondary * reading.ratioSecondary : 0;
        reading.polarityPositive[index] = m_config.polarityPositive;
        if (k == 6)
            reading.secondaryCurrent = secondary; // measured on the full winding
    }
    return reading;
}

CtErrorReading CtModel::Errors(double ratedPrimarySent, int ratedSecondarySent, int ratedBurdenSent,
                               bool fullLoad) const {
    const double primary = ratedPrimarySent > 0 ? ratedPrimarySent : m_config.ratedPrimary;
    const double secondary = Secondary(ratedSecondarySent);
    const double burdenOhm =
        std::max(ratedBurdenSent, 0) * (fullLoad ? 1.0 : 0.25) / (secondary * secondary);
    // The program's ratio against the true one: a wrong nameplate shows as a ratio error.
    const double ratioFactor =
        (primary / secondary) / (m_config.ratedPrimary / m_config.ratedSecondary);
    constexpr double kPoints[4] = {0.05, 0.20, 1.00, 1.20};
    CtErrorReading reading;
    for (std::size_t i = 0; i < 4; ++i) {
        const double fraction = kPoints[i] * primary / m_config.ratedPrimary;
        const double error = RatioError(fraction, burdenOhm);
        reading.ratioPercent[i] = (ratioFactor * (1 + error / 100) - 1) * 100;
        reading.phaseMinutes[i] = PhaseError(fraction, burdenOhm);
    }
    return reading;
}

} // namespace sim
