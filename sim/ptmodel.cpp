#include "ptmodel.h"

#include <algorithm>
#include <cmath>

namespace sim {

double PtSecondaryVoltage(int index) {
    switch (index) {
    case 1:
        return 100.0 / 3.0;
    case 2:
        return 100.0 / std::sqrt(3.0);
    case 3:
        return 220.0;
    default:
        return 100.0;
    }
}

double PtPhaseLimit(double accuracyClass) {
    return accuracyClass <= 0.2 ? 50.0 * accuracyClass : 40.0 * accuracyClass;
}

PtModel::PtModel(PtConfig config) : m_config(config) {
    if (m_config.ratedPrimaryKv <= 0)
        m_config.ratedPrimaryKv = 10;
}

ExcitationCurve PtModel::Excitation() const {
    return ExcitationCurve(m_config.kneeVoltage, m_config.kneeCurrent);
}

double PtModel::NameplateRatio() const {
    return m_config.ratedPrimaryKv * 1000.0 / PtSecondaryVoltage(m_config.secondaryIndex);
}

namespace {

// Share of the class limit: no-load part (0.2, slightly rising with voltage) plus load part
// (0.4 at rated burden).
double ErrorShare(double fraction, double burdenVA, double ratedBurden) {
    const double noLoad = 0.2 * (0.8 + 0.25 * std::clamp(fraction, 0.0, 2.0));
    const double load = ratedBurden > 0 ? 0.4 * std::max(burdenVA, 0.0) / ratedBurden : 0.0;
    return noLoad + load;
}

} // namespace

double PtModel::RatioError(double fraction, double burdenVA) const {
    return -m_config.accuracyClass * ErrorShare(fraction, burdenVA, m_config.ratedBurden);
}

double PtModel::PhaseError(double fraction, double burdenVA) const {
    return PtPhaseLimit(m_config.accuracyClass) *
           ErrorShare(fraction, burdenVA, m_config.ratedBurden);
}

PtRatioReading PtModel::Ratio(double testVoltage, int secondaryIndexSent) const {
    const double error = RatioError(testVoltage / (m_config.ratedPrimaryKv * 1000.0), 0.0);
    PtRatioReading reading;
    reading.primaryVoltage = testVoltage;
    reading.secondaryVoltage = testVoltage / NameplateRatio() * (1 + error / 100);
    const double measured =
        reading.secondaryVoltage > 0 ? testVoltage / reading.secondaryVoltage : 0;
    reading.secondaryIndex = static_cast<std::uint8_t>(secondaryIndexSent);
    reading.ratioPrimaryKv = measured * PtSecondaryVoltage(secondaryIndexSent) / 1000.0;
    reading.polarityPositive = m_config.polarityPositive;
    return reading;
}

PtErrorReading PtModel::Errors(double ratedPrimaryKvSent, int secondaryIndexSent,
                               int ratedBurdenSent, bool fullLoad) const {
    const double primaryKv = ratedPrimaryKvSent > 0 ? ratedPrimaryKvSent : m_config.ratedPrimaryKv;
    const double burden = std::max(ratedBurdenSent, 0) * (fullLoad ? 1.0 : 0.25);
    const double ratioFactor =
        (primaryKv * 1000.0 / PtSecondaryVoltage(secondaryIndexSent)) / NameplateRatio();
    constexpr double kPoints[3] = {0.8, 1.0, 1.2};
    PtErrorReading reading;
    for (std::size_t i = 0; i < 3; ++i) {
        const double fraction = kPoints[i] * primaryKv / m_config.ratedPrimaryKv;
        const double error = RatioError(fraction, burden);
        reading.ratioPercent[i] = (ratioFactor * (1 + error / 100) - 1) * 100;
        reading.phaseMinutes[i] = PhaseError(fraction, burden);
    }
    return reading;
}

double PtModel::Burden(int secondaryIndexSent) const {
    if (m_config.connectedBurden <= 0)
        return 0;
    const double voltage = PtSecondaryVoltage(secondaryIndexSent);
    return voltage * voltage / m_config.connectedBurden;
}

} // namespace sim
