#pragma once
#include <cstdint>

namespace tarvex {

// The X server's current time in milliseconds (the timestamps of its input events), read with a
// round trip on a connection of our own; 0 when there is no X server to ask. GUI thread.
std::uint32_t XServerTimeNow();

} // namespace tarvex
