#pragma once
#include "replydecoders.h"

#include <QString>

#include <optional>
#include <span>
#include <vector>

// Verdicts on a ratio-and-phase-error result against the limits of a measuring accuracy class.
// Pure functions without widgets, for the analysis window, the archive's list and the report.
namespace tarvex {

enum class AccuracyClass {
    Ct0_1,
    Ct0_2,
    Ct0_5,
    Ct1,
    Ct0_2S,
    Ct0_5S,
    Pt0_1,
    Pt0_2,
    Pt0_5,
    Pt1,
    Pt3
};

// "0.2", "0.5S", ... as the class is written on a rating plate.
QString AccuracyClassName(AccuracyClass cls);
// The classes offered for a current (pt false) or a voltage transformer, in the order above.
std::span<const AccuracyClass> ClassesFor(bool pt);
bool IsPtClass(AccuracyClass cls);

// One load point (per cent of the rated current or voltage) judged against its limits.
struct PointVerdict {
    double loadPercent = 0;
    std::optional<double> ratioErrorPercent; // as measured; empty when it did not arrive
    std::optional<double> phaseMinutes;      // as measured; empty when it did not arrive
    double ratioLimit = 0;                   // ± per cent
    std::optional<double> phaseLimit;        // ± minutes; none for class 3 voltage transformers
    std::optional<bool> pass;                // empty when a value it is judged on did not arrive
};

struct ErrorVerdict {
    std::vector<PointVerdict> points; // the load points the instrument measures, in its order
    std::optional<bool> pass;         // only when every point has a verdict
    QString note;                     // what the verdict leaves out, empty when nothing
};

// Judges `errors` (a CT reply for a CT class, a PT reply for a PT class) point by point: a point
// passes when its ratio error and phase displacement both lie within ± the limits (the limits
// themselves included) and fails otherwise.
ErrorVerdict JudgeErrors(const ErrorReply& errors, AccuracyClass cls);

} // namespace tarvex
