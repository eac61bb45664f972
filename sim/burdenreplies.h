#pragma once
#include <cstdint>
#include <vector>

namespace sim {

// The secondary burden replies (Parts 3.7 and 4.4): one 16-bit value in tenths.

// 0x4A: the CT secondary burden in ohm (0.1 Ω).
std::vector<std::uint8_t> EncodeCtBurdenReply(double ohm);

// 0x4F: the PT secondary burden in VA (0.1 VA).
std::vector<std::uint8_t> EncodePtBurdenReply(double voltAmpere);

} // namespace sim
