#pragma once
#include "errorreplies.h"
#include "excitationcurve.h"
#include "ratioreplies.h"

namespace sim {

// The nameplate and the circuit of the current transformer under test.
struct CtConfig {
    double ratedPrimary = 600;        // A
    double ratedSecondary = 5;        // A
    double accuracyClass = 0.5;       // 0.2 or 0.5 (0.1 and 1 work too)
    double ratedBurden = 10;          // VA, the burden the core is designed for
    double windingResistance = 0.235; // Ω, secondary winding (also the DC resistance result)
    double connectedBurden = 0.8;     // Ω, the secondary circuit the burden test measures
    bool polarityPositive = true;
    double kneeVoltage = 120;  // V, of the excitation curve
    double kneeCurrent = 0.05; // A
};

// A CT of the configured ratio and class. Its errors come from the exciting current of the core,
// which at low induction is relatively large: ratio error negative, phase error positive, both
// shrinking as the current rises (∝ x^-0.3 of the fraction x of rated current), and growing with
// the impedance the secondary drives (winding + burden, against winding + rated burden). At rated
// burden they are 40 % of the class limits of IEC 61869-2 at 100 %, and within the limits at every
// load point.
class CtModel {
  public:
    explicit CtModel(CtConfig config = {});

    const CtConfig& Config() const { return m_config; }
    ExcitationCurve Excitation() const;

    // Ratio error (%) and phase error (minutes) at a fraction of rated primary current, with
    // burdenOhm connected to the secondary.
    double RatioError(double fraction, double burdenOhm) const;
    double PhaseError(double fraction, double burdenOhm) const;

    // The ratio test (0x2A) with a primary current and the rated secondary current the program
    // sent (the ratio is given against it; 0 means the nameplate's).
    CtRatioReading Ratio(double testCurrent, int ratedSecondarySent) const;
    // The same on a six-tap CT (0x7A): tap k of 6 has the rated primary k/6 of the nameplate's.
    CtTapReading Taps(double testCurrent, int ratedSecondarySent) const;
    // The error test (0x3A) at 5, 20, 100, 120 % of the rated primary current sent, against the
    // ratio sent, with the rated burden sent (VA) connected in full (full load) or a quarter of it
    // (light load). A ratio different from the nameplate's shows as a ratio error.
    CtErrorReading Errors(double ratedPrimarySent, int ratedSecondarySent, int ratedBurdenSent,
                          bool fullLoad) const;
    // The burden test (0x4A): the impedance of the secondary circuit, Ω.
    double Burden() const { return m_config.connectedBurden; }

  private:
    double ErrorScale(double burdenOhm) const;
    double Secondary(int sent) const;

    CtConfig m_config;
};

// The class limit of the phase error at 100 % rated current (IEC 61869-2), minutes.
double CtPhaseLimit100(double accuracyClass);

} // namespace sim
