#pragma once
#include "excitationreply.h"

namespace sim {

// The excitation (magnetising) characteristic of a core: exciting current as a function of the
// r.m.s. voltage across the winding,
//     I(U) = a·(U/Uk) + b·(U/Uk)^p,
// a linear part below the knee and a steep saturating part above it. b/a is chosen so that the
// knee point of IEC 61869-2 (10 % more voltage gives 50 % more exciting current) lies exactly at
// (Uk, Ik): I(1.1·Uk) = 1.5·I(Uk) and I(Uk) = Ik. I(1.1·U)/I(U) rises monotonically with U, so
// the knee is unique.
class ExcitationCurve {
  public:
    // exponent p must make 1.1^p exceed 1.5 (p > 4.26); 12 is a typical silicon-steel core.
    ExcitationCurve(double kneeVoltage, double kneeCurrent, double exponent = 12.0);

    double KneeVoltage() const { return m_kneeVoltage; }
    double KneeCurrent() const { return m_kneeCurrent; }

    // Exciting current (A) at a voltage (V); 0 for U ≤ 0.
    double Current(double voltage) const;
    // The voltage at which the exciting current reaches `current` (inverse of Current).
    double VoltageFor(double current) const;

    // The instrument's test: the voltage is raised until it reaches testVoltage or the current
    // reaches testCurrent, whichever comes first; `points` points (1..255) are taken, spread
    // evenly along the curve (in the plot's normalised coordinates) and ending at the end point.
    // The knee is reported when the test went at least 10 % past the knee voltage (so the
    // definition could be checked on the measured curve), else 0, 0. No points for a test voltage
    // or current ≤ 0.
    ExcitationResult Measure(double testVoltage, double testCurrent, int points) const;

  private:
    double m_kneeVoltage;
    double m_kneeCurrent;
    double m_exponent;
    double m_linear;    // a
    double m_saturated; // b
};

} // namespace sim
