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

// Every reply block the instrument sends ends with the trailer FD FA.
inline bool EndsWithTrailer(const unsigned char* block, int length)
{
    return length >= 2 && block[length - 2] == 0xFD && block[length - 1] == 0xFA;
}

// A voltage sample in tenths of a volt brought down to a multiple of 5 toward zero (C++'s
// remainder takes the dividend's sign), so that a CT curve moves in steps of 0.5 V.
inline int CutToHalfVolts(int tenths)
{
    return tenths - tenths % 5;
}

} // namespace tarvex
