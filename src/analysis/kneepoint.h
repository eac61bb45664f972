#pragma once
#include "replydecoders.h"

#include <optional>
#include <span>

// Knee points of an excitation curve by the two standards, found from the measured points
// alone: the curve is taken as straight lines between neighbouring points on log-log axes (no
// fitted model, no invented points). Both functions are pure and cheap (a 255-point curve takes
// microseconds), so the analysis window, the archive and the report can all call them.
//
// Before the search the points are cleaned, in this order:
//  1. points with a current or voltage that is not a positive finite number are left out (the
//     origin a page puts first, stray zeros, negatives);
//  2. the rest are ordered by current, the abscissa of the curve;
//  3. points that read the same current (the instrument reads current in 1 mA steps, so low on
//     the curve several voltages share one reading) become one point at their mean voltage;
//  4. of these, the longest run whose voltage rises from point to point is kept, so that as few
//     points as possible are left out: repeated ones, those where the source's voltage fell
//     back as the core saturated, stray ones.
// With fewer than two points left there is no knee. Where scatter makes the rise that marks a
// knee come and go, the knee is where it is reached for good: the start of the last stretch
// that keeps it up to the top of the curve.
namespace tarvex {

struct KneePoint {
    double voltage = 0; // V
    double current = 0; // A
    int below = 0;      // index in the given curve of the last measured point at or below it
};

// IEC 61869-2 (GB/T 20840.2) 3.4.215: the voltage which, raised by 10 %, makes the exciting
// current rise by 50 %. Empty when the measured range does not reach it ("曲线未到拐点"),
// including a curve already past it at its first point.
std::optional<KneePoint> IecKneePoint(std::span<const ExcitationPoint> curve);

// IEEE C57.13: the point where the tangent to the curve, drawn on log-log axes with decades of
// equal length, makes 45° with the current axis (30° for a core with air gaps). The tangent's
// slope is taken as the secant across a 10 % voltage step centred on the point, so that one
// stray point cannot tip it. Empty when the measured range does not reach it.
std::optional<KneePoint> IeeeKneePoint(std::span<const ExcitationPoint> curve, bool gappedCore);
// The IEEE knee's name as the window and the report give it, with its tangent's angle.
constexpr const char* IeeeKneeName(bool gappedCore) {
    return gappedCore ? "IEEE C57.13 (30°)" : "IEEE C57.13 (45°)";
}

} // namespace tarvex
