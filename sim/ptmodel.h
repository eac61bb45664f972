#pragma once
#include "errorreplies.h"
#include "excitationcurve.h"
#include "ratioreplies.h"

namespace sim {

// The rated secondary voltage of an index: 0 "100", 1 "100/3", 2 "100/sqrt(3)", 3 "220" (V);
// 100 for any other index.
double PtSecondaryVoltage(int index);

// The nameplate and the circuit of the voltage transformer under test.
struct PtConfig {
    double ratedPrimaryKv = 10;   // kV
    int secondaryIndex = 0;       // rated secondary, index as above
    double accuracyClass = 0.5;   // 0.2 or 0.5
    double ratedBurden = 30;      // VA, the burden the PT is designed for
    double connectedBurden = 400; // Ω, the secondary circuit (25 VA at 100 V)
    bool polarityPositive = true;
    double kneeVoltage = 130; // V, of the excitation curve (excited from the secondary)
    double kneeCurrent = 0.3; // A
};

// A PT of the configured ratio and class. Its errors are a no-load part (magnetising current,
// growing slightly with the voltage) and a load part proportional to the burden: ratio error
// negative, phase error positive; at rated burden within the class limits of IEC 61869-3 from 80
// to 120 % of rated voltage.
class PtModel {
  public:
    explicit PtModel(PtConfig config = {});

    const PtConfig& Config() const { return m_config; }
    ExcitationCurve Excitation() const;

    // Ratio error (%) and phase error (minutes) at a fraction of rated voltage with a burden (VA).
    double RatioError(double fraction, double burdenVA) const;
    double PhaseError(double fraction, double burdenVA) const;

    // The ratio test (0x2F) with a primary voltage and the rated secondary index the program sent
    // (echoed; the ratio is given against it).
    PtRatioReading Ratio(double testVoltage, int secondaryIndexSent) const;
    // The error test (0x3F) at 80, 100, 120 % of the rated primary sent (kV), against the ratio
    // sent, with the burden sent (VA) in full (full load) or a quarter of it (light load).
    PtErrorReading Errors(double ratedPrimaryKvSent, int secondaryIndexSent, int ratedBurdenSent,
                          bool fullLoad) const;
    // The burden test (0x4F): the VA the secondary circuit takes at the rated secondary voltage
    // of the index sent.
    double Burden(int secondaryIndexSent) const;

  private:
    double NameplateRatio() const;

    PtConfig m_config;
};

// The class limit of the PT phase error (IEC 61869-3), minutes.
double PtPhaseLimit(double accuracyClass);

} // namespace sim
