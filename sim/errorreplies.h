#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace sim {

// The ratio and phase error replies: 0x3A of the CT error test, 0x3F of the PT error
// test. Values are sign-and-magnitude words of value × 1000.

// Errors at 5, 20, 100 and 120 % of the rated current.
struct CtErrorReading {
    std::array<double, 4> phaseMinutes{};
    std::array<double, 4> ratioPercent{};
};

// 0x3A, 16 payload bytes: four phase errors, then four ratio errors.
std::vector<std::uint8_t> EncodeCtErrorReply(const CtErrorReading& reading);

// Errors at 80, 100 and 120 % of the rated voltage.
struct PtErrorReading {
    std::array<double, 3> phaseMinutes{};
    std::array<double, 3> ratioPercent{};
};

// 0x3F, 12 payload bytes: three phase errors, then three ratio errors.
std::vector<std::uint8_t> EncodePtErrorReply(const PtErrorReading& reading);

} // namespace sim
