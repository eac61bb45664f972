#pragma once
#include <QString>

// Texts of the instrument's result values that pages and exports show alike.
namespace tarvex {

// "+" for a positive polarity, "-" otherwise.
QString PolarityText(bool positive);

// The rated secondary voltage of an index 0..3 ("100", "100/3", "100/sqrt(3)", "220"); any
// other index shows as its number.
QString RatedSecondaryText(int index);

} // namespace tarvex
