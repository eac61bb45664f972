#pragma once
#include <cstdint>
#include <vector>

namespace sim {

// The replies without measured values.

// 55 AA D0 FD FA: the answer to the handshake 0xD0.
std::vector<std::uint8_t> EncodeHandshake();

// 55 AA E0 model type range FD FA: the answer to 0xE0. model: 0xAB..0xAE choose the tests the
// program offers, any other code leaves all nine on; type: 0xA1 single ratio, 0xA2 six taps;
// range: 0xA1 2500 V / 1000 A, 0xA2 1000 V / 600 A.
std::vector<std::uint8_t> EncodeDeviceInfo(std::uint8_t model, std::uint8_t type,
                                           std::uint8_t range);

// 55 AA EB FD FA: the test started with 0xEB has finished.
std::vector<std::uint8_t> EncodeTestFinished();

} // namespace sim
