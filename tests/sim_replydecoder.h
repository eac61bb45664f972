#pragma once
// A decoder of the instrument's reply frames, written from the reply layouts as the program reads
// them (offsets, scales, sign-and-magnitude), independently of the simulator's encoders, so that
// the tests check the encoders against the layouts and not against themselves.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

using Bytes = std::vector<std::uint8_t>;

// One frame 55 AA code payload FD FA; nullopt when the bytes are not exactly one such frame.
struct Frame {
    std::uint8_t code = 0;
    Bytes payload;
};

inline std::optional<Frame> SplitFrame(const Bytes& b) {
    if (b.size() < 5 || b[0] != 0x55 || b[1] != 0xAA || b[b.size() - 2] != 0xFD || b.back() != 0xFA)
        return std::nullopt;
    return Frame{b[2], Bytes(b.begin() + 3, b.end() - 2)};
}

inline int S16(const Bytes& p, std::size_t at) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((p.at(at) << 8) | p.at(at + 1)));
}

inline int U16(const Bytes& p, std::size_t at) {
    return (p.at(at) << 8) | p.at(at + 1);
}

// Bit 15 the sign, bits 0..14 the magnitude, / 1000.
inline double SignMagnitude(const Bytes& p, std::size_t at) {
    const int w = U16(p, at);
    const double v = (w & 0x7FFF) / 1000.0;
    return (w & 0x8000) ? -v : v;
}

// 0x1A / 0x1F.
struct Excitation {
    int count = 0;
    double kneeVoltage = 0, kneeCurrent = 0;
    std::vector<double> currents, voltages;
};
inline Excitation DecodeExcitation(const Bytes& p) {
    Excitation e;
    e.count = p.at(0);
    e.kneeVoltage = S16(p, 1) / 10.0;
    e.kneeCurrent = S16(p, 3) / 1000.0;
    for (int i = 0; i < e.count; ++i)
        e.currents.push_back(S16(p, 5 + 2 * i) / 1000.0);
    for (int i = 0; i < e.count; ++i)
        e.voltages.push_back(S16(p, 5 + 2 * e.count + 2 * i) / 10.0);
    return e;
}

// 0x2A.
struct CtRatio {
    double primary, secondary, ratioPrimary;
    int ratioSecondary;
    bool positive;
};
inline CtRatio DecodeCtRatio(const Bytes& p) {
    return {S16(p, 0) / 10.0, S16(p, 2) / 1000.0, S16(p, 4) / 10.0, p.at(6), p.at(7) == 1};
}

// 0x7A.
struct CtTaps {
    double primary, secondary;
    double ratioPrimary[6];
    bool positive[6];
    int ratioSecondary;
};
inline CtTaps DecodeCtTaps(const Bytes& p) {
    CtTaps t{};
    t.primary = S16(p, 1) / 10.0;
    t.secondary = S16(p, 3) / 1000.0;
    for (int i = 0; i < 6; ++i) {
        t.ratioPrimary[i] = S16(p, 5 + 2 * i) / 10.0;
        t.positive[i] = p.at(17 + i) == 1;
    }
    t.ratioSecondary = p.at(23);
    return t;
}

// 0x2F.
struct PtRatio {
    double primary, secondary, ratioPrimaryKv;
    int secondaryIndex;
    bool positive;
};
inline PtRatio DecodePtRatio(const Bytes& p) {
    return {S16(p, 0) / 10.0, S16(p, 2) / 1000.0, S16(p, 4) / 100.0, p.at(6), p.at(7) == 1};
}

// 0x3A (points = 4) and 0x3F (points = 3): phase errors first, then ratio errors.
struct Errors {
    std::vector<double> phase, ratio;
};
inline Errors DecodeErrors(const Bytes& p, int points) {
    Errors e;
    for (int i = 0; i < points; ++i)
        e.phase.push_back(SignMagnitude(p, 2 * i));
    for (int i = 0; i < points; ++i)
        e.ratio.push_back(SignMagnitude(p, 2 * (points + i)));
    return e;
}

// 0x4A, 0x4F: value / 10. 0x6A: value / 10 and the unit byte.
inline double DecodeTenths(const Bytes& p) {
    return S16(p, 0) / 10.0;
}
inline bool DecodeMilliohm(const Bytes& p) {
    return p.at(2) != 0;
}

// 0xE4 / 0xE6.
struct ListEntry {
    int year, month, day, line, group, phase;
};
inline std::vector<ListEntry> DecodeList(const Bytes& p, int* count) {
    *count = S16(p, 0);
    std::vector<ListEntry> entries;
    for (int i = 0; i < *count && 2 + 6 * i + 5 < static_cast<int>(p.size()); ++i) {
        const std::size_t at = 2 + 6 * static_cast<std::size_t>(i);
        entries.push_back({p[at], p[at + 1], p[at + 2], p[at + 3], p[at + 4], p[at + 5]});
    }
    return entries;
}

// 0xE5 / 0xE7.
struct Record {
    int time[6];
    std::string text[3];
    int kneeVoltageRaw, kneeCurrentRaw, testVoltage, testCurrent, count;
    std::vector<int> currents, voltages; // raw: mA, 0.1 V
};
inline Record DecodeRecord(const Bytes& p) {
    Record r{};
    for (int i = 0; i < 6; ++i)
        r.time[i] = p.at(i);
    for (int t = 0; t < 3; ++t)
        r.text[t] = std::string(p.begin() + 6 + 10 * t, p.begin() + 16 + 10 * t);
    r.kneeVoltageRaw = U16(p, 36);
    r.kneeCurrentRaw = U16(p, 38);
    r.testVoltage = S16(p, 40);
    r.testCurrent = p.at(42);
    r.count = p.at(43);
    for (int j = 0; j < r.count; ++j)
        r.currents.push_back(S16(p, 44 + 2 * j));
    for (int j = 0; j < r.count; ++j)
        r.voltages.push_back(S16(p, 44 + 2 * r.count + 2 * j));
    return r;
}

} // namespace simtest
