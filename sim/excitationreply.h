#pragma once
#include <cstdint>
#include <vector>

namespace sim {

// One measured point of an excitation curve.
struct ExcitationPoint {
    double current = 0; // A
    double voltage = 0; // V
};

// The result of an excitation test: the knee point (0, 0 when the test did not pass it) and the
// measured points without the origin, in measurement order.
struct ExcitationResult {
    double kneeVoltage = 0; // V
    double kneeCurrent = 0; // A
    std::vector<ExcitationPoint> points;
};

// Reply 0x1A (CT) or 0x1F (PT): N (1 byte), knee voltage (0.1 V), knee current
// (0.001 A), N currents (0.001 A), N voltages (0.1 V), all 16-bit two's complement. At most 255
// points. extraCount > 0 makes N claim that many points more than are sent (fault injection;
// where N would pass 255, fewer points are sent instead).
std::vector<std::uint8_t> EncodeExcitationReply(std::uint8_t code, const ExcitationResult& result,
                                                int extraCount = 0);

} // namespace sim
