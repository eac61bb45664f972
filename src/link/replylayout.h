#pragma once
#include <algorithm>

namespace tarvex {

// Point lists of the excitation replies are N currents followed by N voltages. In a reply cut
// short the voltage block still starts after N currents; a point counts only when its current
// and its voltage both arrived. bytes: the bytes after the count that arrived.
inline int PointsBothArrived(int claimed, int bytes)
{
    return std::clamp((bytes - 2 * claimed) / 2, 0, std::max(claimed, 0));
}

} // namespace tarvex
