#pragma once
#include <cstdint>
#include <vector>

namespace sim {

// A DC resistance as the instrument shows it: a value in tenths of its unit.
struct ResistanceReading {
    double value = 0;     // in the unit below
    bool milliohm = true; // mΩ, else Ω
};

// The reading of a resistance in ohm: mΩ while the value fits the 16-bit field (up to
// 3276.7 mΩ), Ω above.
ResistanceReading ResistanceReadingOf(double ohm);

// 0x6A: the value (0.1 unit, 16-bit), the unit byte (1 mΩ, 0 Ω).
std::vector<std::uint8_t> EncodeResistanceReply(const ResistanceReading& reading);

} // namespace sim
