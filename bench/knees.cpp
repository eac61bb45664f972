// How long the knee points of one excitation result take: the analysis window, the archive and
// the report compute them whenever they show a curve.
#include "benchkit.h"
#include "figures.h"

#include "analysis/kneepoint.h"
#include "sim/excitationcurve.h"

#include <cmath>
#include <string>
#include <vector>

namespace bench {

// knees [--runs 5]: "knees_ms" per run, the mean time of the IEC knee and both IEEE knees
// (45° and 30°) of a 255-point curve as the instrument sends it (1 mA and 0.1 V steps).
int KneesMain(int argc, char** argv) {
    const int runs = std::stoi(Option(argc, argv, "--runs", "5"));
    constexpr int kRepeats = 200;
    std::vector<tarvex::ExcitationPoint> curve;
    for (const sim::ExcitationPoint& p :
         sim::ExcitationCurve(400, 0.05).Measure(600, 5, 255).points)
        curve.push_back({std::round(p.current * 1000) / 1000, std::round(p.voltage * 10) / 10});
    int found = 0;
    for (int run = 0; run < runs; ++run) {
        const std::int64_t start = NowNs();
        for (int i = 0; i < kRepeats; ++i) {
            found += tarvex::IecKneePoint(curve).has_value();
            found += tarvex::IeeeKneePoint(curve, false).has_value();
            found += tarvex::IeeeKneePoint(curve, true).has_value();
        }
        Report("knees_ms", MsSince(start) / kRepeats);
    }
    Report("knees_found", found / (runs * kRepeats));
    return 0;
}

} // namespace bench
