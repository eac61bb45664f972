#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace sim {

// The ratio and polarity replies: 0x2A and 0x7A of the CT ratio test, 0x2F of the PT ratio
// test.

// A single CT ratio: measured currents, the ratio as "ratioPrimary A / ratioSecondary A", polarity.
struct CtRatioReading {
    double primaryCurrent = 0;       // A
    double secondaryCurrent = 0;     // A
    double ratioPrimary = 0;         // A
    std::uint8_t ratioSecondary = 5; // A
    bool polarityPositive = true;
};

// 0x2A: primary (0.1 A), secondary (0.001 A), ratio primary (0.1 A), ratio secondary (byte),
// polarity (1 "+", 0 "-").
std::vector<std::uint8_t> EncodeCtRatioReply(const CtRatioReading& reading);

// Six taps of a multi-ratio CT (instrument type 0xA2).
struct CtTapReading {
    double primaryCurrent = 0;            // A
    double secondaryCurrent = 0;          // A
    std::array<double, 6> ratioPrimary{}; // A, taps L1-K1 .. L6-K6
    std::array<bool, 6> polarityPositive{true, true, true, true, true, true};
    std::uint8_t ratioSecondary = 5; // A, common to the taps
};

// 0x7A, 24 payload bytes: tap count 6 (not read by the program), primary (0.1 A), secondary
// (0.001 A), six ratio primaries (0.1 A), six polarity bytes, the common ratio secondary.
std::vector<std::uint8_t> EncodeCtTapReply(const CtTapReading& reading);

// A PT ratio: measured voltages, the ratio as "ratioPrimaryKv kV / text of secondaryIndex V".
struct PtRatioReading {
    double primaryVoltage = 0;       // V
    double secondaryVoltage = 0;     // V
    double ratioPrimaryKv = 0;       // kV
    std::uint8_t secondaryIndex = 0; // 0 "100", 1 "100/3", 2 "100/sqrt(3)", 3 "220"
    bool polarityPositive = true;
};

// 0x2F: primary (0.1 V), secondary (0.001 V), ratio primary (0.01 kV), secondary index,
// polarity.
std::vector<std::uint8_t> EncodePtRatioReply(const PtRatioReading& reading);

} // namespace sim
