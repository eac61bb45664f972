#include "kneepoint.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace tarvex {
namespace {

// A point of the cleaned curve on log axes, with the measured point it stands for.
struct LogPoint {
    double logVoltage = 0;
    double logCurrent = 0;
    int index = 0; // in the given curve; for merged points, the one of lowest voltage
};
using LogCurve = std::vector<LogPoint>;

// ln 1.1: the voltage step of both searches.
const double kStep = std::log(1.1);

bool Usable(const ExcitationPoint& p) {
    return std::isfinite(p.current) && std::isfinite(p.voltage) && p.current > 0 && p.voltage > 0;
}

// Steps 1 to 3 of the cleaning described in the header: usable points ordered by current, one
// point per current at the mean voltage of those that read it.
LogCurve MergedByCurrent(std::span<const ExcitationPoint> curve) {
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(curve.size()); ++i) {
        if (Usable(curve[i]))
            order.push_back(i);
    }
    std::ranges::sort(order, [&](int a, int b) {
        return std::pair(curve[a].current, curve[a].voltage) <
               std::pair(curve[b].current, curve[b].voltage);
    });
    LogCurve merged;
    for (auto group = order.begin(); group != order.end();) {
        const double current = curve[*group].current;
        const auto end =
            std::find_if(group, order.end(), [&](int i) { return curve[i].current != current; });
        double sum = 0;
        for (auto i = group; i != end; ++i)
            sum += curve[*i].voltage;
        merged.push_back(
            {std::log(sum / static_cast<double>(end - group)), std::log(current), *group});
        group = end;
    }
    return merged;
}

// Step 4: the longest run of points whose voltage rises strictly (a longest increasing
// subsequence, found in n log n).
LogCurve Rising(const LogCurve& c) {
    std::vector<int> ends;                   // ends[k]: last point of the best run of k + 1
    std::vector<int> previous(c.size(), -1); // the point before each one in its run
    for (int i = 0; i < static_cast<int>(c.size()); ++i) {
        const auto place = std::ranges::lower_bound(ends, c[i].logVoltage, {},
                                                    [&](int k) { return c[k].logVoltage; });
        if (place != ends.begin())
            previous[i] = *(place - 1);
        if (place == ends.end())
            ends.push_back(i);
        else
            *place = i;
    }
    LogCurve run;
    for (int i = ends.empty() ? -1 : ends.back(); i >= 0; i = previous[i])
        run.push_back(c[i]);
    std::ranges::reverse(run);
    return run;
}

LogCurve Clean(std::span<const ExcitationPoint> curve) {
    return Rising(MergedByCurrent(curve));
}

// The log current of the curve at `logVoltage`, on the straight line between its neighbours.
double LogCurrentAt(const LogCurve& c, double logVoltage) {
    auto upper = std::ranges::upper_bound(c, logVoltage, {}, &LogPoint::logVoltage);
    if (upper == c.begin())
        ++upper;
    if (upper == c.end())
        --upper;
    const LogPoint& a = *(upper - 1);
    const LogPoint& b = *upper;
    const double t = (logVoltage - a.logVoltage) / (b.logVoltage - a.logVoltage);
    return a.logCurrent + t * (b.logCurrent - a.logCurrent);
}

// How far the current's rise across the step from `x` falls short of `rise` (log units).
double Shortfall(const LogCurve& c, double x, double rise) {
    return LogCurrentAt(c, x + kStep) - LogCurrentAt(c, x) - rise;
}

// The log voltage x from which on the current, from x to x + ln 1.1, rises by `rise` (natural
// log of the current ratio) or more up to the top of the curve, having risen less just below x.
// Taking the start of that last stretch, not the first place the rise is reached, keeps a
// stray point low on the curve from making a knee there. Empty when the curve ends short of the
// rise or has it from its first point. Between the places where x or x + ln 1.1 meets a
// measured point the shortfall is linear in x, so the crossing is found exactly there.
std::optional<double> LastRise(const LogCurve& c, double rise) {
    if (c.size() < 2)
        return std::nullopt;
    const double first = c.front().logVoltage;
    const double last = c.back().logVoltage - kStep;
    if (last < first)
        return std::nullopt;
    std::vector<double> breaks{first, last};
    for (const LogPoint& p : c) {
        for (double x : {p.logVoltage, p.logVoltage - kStep}) {
            if (x > first && x < last)
                breaks.push_back(x);
        }
    }
    std::ranges::sort(breaks);
    std::optional<double> start;
    double before = Shortfall(c, first, rise);
    for (std::size_t i = 1; i < breaks.size(); ++i) {
        const double after = Shortfall(c, breaks[i], rise);
        if (before < 0 && after >= 0)
            start = breaks[i - 1] + (breaks[i] - breaks[i - 1]) * before / (before - after);
        else if (after < 0)
            start.reset();
        before = after;
    }
    return start;
}

KneePoint PointAt(const LogCurve& c, double logVoltage) {
    const auto upper = std::ranges::upper_bound(c, logVoltage, {}, &LogPoint::logVoltage);
    const int below = upper == c.begin() ? c.front().index : (upper - 1)->index;
    return {std::exp(logVoltage), std::exp(LogCurrentAt(c, logVoltage)), below};
}

} // namespace

std::optional<KneePoint> IecKneePoint(std::span<const ExcitationPoint> curve) {
    const LogCurve c = Clean(curve);
    const auto x = LastRise(c, std::log(1.5));
    if (!x)
        return std::nullopt;
    return PointAt(c, *x);
}

std::optional<KneePoint> IeeeKneePoint(std::span<const ExcitationPoint> curve, bool gappedCore) {
    // Voltage on the ordinate: a tangent at angle a to the current axis has d(ln U)/d(ln I) =
    // tan a, so across the step ln 1.1 of voltage the current rises by ln 1.1 / tan a.
    const double angle = (gappedCore ? 30.0 : 45.0) * std::numbers::pi / 180.0;
    const LogCurve c = Clean(curve);
    const auto x = LastRise(c, kStep / std::tan(angle));
    if (!x)
        return std::nullopt;
    return PointAt(c, *x + kStep / 2);
}

} // namespace tarvex
