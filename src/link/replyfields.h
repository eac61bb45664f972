#pragma once
#include <QString>

// Texts of the instrument's result values as the pages show them: the pages and the printed
// report format every value through these, so a value never reads differently on paper.
namespace tarvex {

// "+" for a positive polarity, "-" otherwise.
QString PolarityText(bool positive);

// The rated secondary voltage of an index 0..3 ("100", "100/3", "100/sqrt(3)", "220"); any
// other index shows as its number.
QString RatedSecondaryText(int index);

// A point of an excitation curve: current "%.3f" A, voltage "%.1f" V, as the page's list holds
// them (the page keeps them as float).
QString CurveCurrentText(float amperes);
QString CurveVoltageText(float volts);
// The voltage of a curve point as the page shows it: a result straight from the instrument cut
// to 0.5 V steps, a record (already cut where the instrument cuts) or a data file as it is.
float ShownCurveVoltage(bool fromInstrument, double volts);

// The instrument's knee point: "%.1f" V and "%.3f" A.
QString KneeVoltageText(float volts);
QString KneeCurrentText(float amperes);

// A ratio or phase error: "%0.3f".
QString ErrorValueText(double value);

// Values shown with one decimal ("%0.1f"): CT primary current and ratio, PT primary voltage,
// burden, DC resistance.
QString OneDecimalText(double value);
// CT secondary current "%0.3f" A.
QString SecondaryCurrentText(double amperes);
// PT secondary voltage and primary ratio (kV) "%0.2f".
QString TwoDecimalText(double value);
// A tap of a multi-ratio CT: "L<n>-K<n>" and its ratio "%0.1f/%d".
QString TapNameText(int tap);
QString TapRatioText(double primary, int secondary);

} // namespace tarvex
