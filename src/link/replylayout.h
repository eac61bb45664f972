#pragma once
#include <algorithm>

namespace tarvex {

// Point lists of the excitation replies are N currents followed by N voltages. In a reply cut
// short the voltage block still starts after N currents; a point counts only when its current
// and its voltage both arrived. bytes: the bytes after the count that arrived.
inline int PointsBothArrived(int claimed, int bytes) {
    return std::clamp((bytes - 2 * claimed) / 2, 0, std::max(claimed, 0));
}

// The bytes that the payload of a reply frame claims, from its reply code and, for the point and
// record lists, the count it carries (a count that has not arrived counts as 0). 0 for the
// frames without payload and for codes nobody receives (their bytes are scanned on).
inline int ClaimedPayloadLength(unsigned char code, const unsigned char* payload, int available) {
    switch (code) {
    case 0x1A:
    case 0x1F:
        return 5 + 4 * (available >= 1 ? payload[0] : 0); // N, knee, N × (I, U)
    case 0x2A:
    case 0x2F:
        return 8;
    case 0x3A:
        return 16;
    case 0x3F:
        return 12;
    case 0x4A:
    case 0x4F:
        return 2;
    case 0x6A:
    case 0xE0:
        return 3;
    case 0x7A:
        return 24;
    case 0xE4:
    case 0xE6: // a signed count, six bytes a record
        return 2 + 6 * (available >= 2
                            ? std::max<int>(static_cast<short>(payload[0] << 8 | payload[1]), 0)
                            : 0);
    case 0xE5:
    case 0xE7:
        return 44 + 4 * (available >= 44 ? payload[43] : 0); // n at byte 43
    default:
        return 0;
    }
}

// The payload a frame takes within the bytes available.
inline int ReplyPayloadLength(unsigned char code, const unsigned char* payload, int available) {
    return std::clamp(ClaimedPayloadLength(code, payload, available), 0, std::max(available, 0));
}

// The length of the block whose first frame starts at block[0] (55 AA code ... FD FA), as its
// layout claims it; 0 when block does not start with a frame.
inline int ClaimedBlockLength(const unsigned char* block, int held) {
    if (held < 3 || block[0] != 0x55 || block[1] != 0xAA)
        return 0;
    return 3 + ClaimedPayloadLength(block[2], block + 3, held - 3) + 2;
}

// Every reply block the instrument sends ends with the trailer FD FA.
inline bool EndsWithTrailer(const unsigned char* block, int length) {
    return length >= 2 && block[length - 2] == 0xFD && block[length - 1] == 0xFA;
}

// A voltage sample in tenths of a volt brought down to a multiple of 5 toward zero (C++'s
// remainder takes the dividend's sign), so that a CT curve moves in steps of 0.5 V.
inline int CutToHalfVolts(int tenths) {
    return tenths - tenths % 5;
}

} // namespace tarvex
