#include "replydecoders.h"

#include "replylayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tarvex {

namespace {

constexpr std::size_t kExcitationHead = 5; // N, knee voltage, knee current
constexpr std::size_t kTapReply = 24;
constexpr std::size_t kListHead = 2; // the count
constexpr std::size_t kListEntry = 6;
constexpr std::size_t kRecordHead = 44; // time, texts, knee, settings, n
constexpr std::size_t kRecordText = 10;

bool Arrived(ReplyBytes p, std::size_t offset, std::size_t size) {
    return offset + size <= p.size();
}

int SignedWord(const unsigned char* w) {
    return static_cast<std::int16_t>((w[0] << 8) | w[1]);
}

int UnsignedWord(const unsigned char* w) {
    return (w[0] << 8) | w[1];
}

std::optional<double> Scaled(ReplyBytes p, std::size_t offset, double divisor) {
    if (!Arrived(p, offset, 2))
        return std::nullopt;
    return SignedWord(&p[offset]) / divisor;
}

std::optional<int> Byte(ReplyBytes p, std::size_t offset) {
    if (!Arrived(p, offset, 1))
        return std::nullopt;
    return p[offset];
}

std::optional<bool> Polarity(ReplyBytes p, std::size_t offset) {
    if (!Arrived(p, offset, 1))
        return std::nullopt;
    return p[offset] == 1;
}

// Bit 15 the sign, bits 0..14 the magnitude in thousandths. The integer is negated, so that
// 0x8000 gives +0 and never prints as "-0.000".
double SignAndMagnitude(const unsigned char* w) {
    const int magnitude = ((w[0] & 0x7F) << 8) | w[1];
    return ((w[0] & 0x80) ? -magnitude : magnitude) / 1000.0;
}

// `claimed` currents from `first` on, then `claimed` voltages; only whole points count.
std::vector<ExcitationPoint> PointsThatArrived(ReplyBytes p, std::size_t first, int claimed) {
    const int n = PointsBothArrived(claimed, static_cast<int>(p.size() - first));
    std::vector<ExcitationPoint> points;
    points.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const unsigned char* current = p.data() + first + 2 * i;
        points.push_back({SignedWord(current) / 1000.0, SignedWord(current + 2 * claimed) / 10.0});
    }
    return points;
}

ErrorReply DecodeErrors(ReplyBytes p, int loadPoints) {
    ErrorReply reply;
    for (int i = 0; i < 2 * loadPoints && Arrived(p, 2 * i, 2); ++i) {
        const double value = SignAndMagnitude(&p[2 * i]);
        (i < loadPoints ? reply.phaseMinutes : reply.ratioPercent).push_back(value);
    }
    return reply;
}

} // namespace

DeviceInfo DecodeDeviceInfo(ReplyBytes payload) {
    DeviceInfo info;
    if (Arrived(payload, 0, 1))
        info.model = payload[0];
    if (Arrived(payload, 1, 1))
        info.deviceType = payload[1];
    if (Arrived(payload, 2, 1))
        info.range = payload[2];
    return info;
}

std::optional<ExcitationReply> DecodeExcitationReply(ReplyBytes payload) {
    if (!Arrived(payload, 0, kExcitationHead))
        return std::nullopt;
    ExcitationReply reply;
    reply.claimedPoints = payload[0];
    reply.kneeVoltage = SignedWord(&payload[1]) / 10.0;
    reply.kneeCurrent = SignedWord(&payload[3]) / 1000.0;
    reply.points = PointsThatArrived(payload, kExcitationHead, reply.claimedPoints);
    return reply;
}

double VoltsCutToHalf(double volts) {
    return CutToHalfVolts(static_cast<int>(std::lround(volts * 10))) / 10.0;
}

CtRatioReply DecodeCtRatioReply(ReplyBytes payload) {
    return {Scaled(payload, 0, 10), Scaled(payload, 2, 1000), Scaled(payload, 4, 10),
            Byte(payload, 6), Polarity(payload, 7)};
}

CtTapReply DecodeCtTapReply(ReplyBytes payload) {
    CtTapReply reply{Scaled(payload, 1, 10), Scaled(payload, 3, 1000), std::nullopt};
    if (!Arrived(payload, 0, kTapReply))
        return reply;
    CtTapList list;
    for (int i = 0; i < kCtTapCount; ++i)
        list.taps[i] = {SignedWord(&payload[5 + 2 * i]) / 10.0, payload[17 + i] == 1};
    list.ratioSecondary = payload[23];
    reply.taps = list;
    return reply;
}

PtRatioReply DecodePtRatioReply(ReplyBytes payload) {
    return {Scaled(payload, 0, 10), Scaled(payload, 2, 1000), Scaled(payload, 4, 100),
            Byte(payload, 6), Polarity(payload, 7)};
}

ErrorReply DecodeCtErrorReply(ReplyBytes payload) {
    return DecodeErrors(payload, 4);
}

ErrorReply DecodePtErrorReply(ReplyBytes payload) {
    return DecodeErrors(payload, 3);
}

std::optional<double> DecodeBurdenReply(ReplyBytes payload) {
    return Scaled(payload, 0, 10);
}

std::optional<ResistanceReply> DecodeResistanceReply(ReplyBytes payload) {
    if (!Arrived(payload, 0, 3))
        return std::nullopt;
    return ResistanceReply{SignedWord(&payload[0]) / 10.0, payload[2] != 0};
}

HistoryList DecodeHistoryList(ReplyBytes payload) {
    HistoryList list;
    if (!Arrived(payload, 0, kListHead))
        return list;
    list.claimedRecords = SignedWord(&payload[0]);
    const auto whole = static_cast<int>((payload.size() - kListHead) / kListEntry);
    const int count = std::min(std::max(list.claimedRecords, 0), whole);
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = &payload[kListHead + kListEntry * i];
        list.entries.push_back({e[0], e[1], e[2], e[3], e[4], e[5]});
    }
    return list;
}

std::optional<HistoryRecordReply> DecodeHistoryRecord(ReplyBytes payload, RecordKind kind) {
    if (!Arrived(payload, 0, kRecordHead))
        return std::nullopt;
    const unsigned char* p = payload.data();
    HistoryRecordReply r;
    r.year = p[0];
    r.month = p[1];
    r.day = p[2];
    r.hour = p[3];
    r.minute = p[4];
    r.second = p[5];
    for (std::size_t i = 0; i < r.texts.size(); ++i)
        r.texts[i].assign(reinterpret_cast<const char*>(p + 6 + kRecordText * i), kRecordText);
    const int kneeVoltage = UnsignedWord(p + 36);
    const int kneeCurrent = UnsignedWord(p + 38);
    r.kneeVoltage = kind == RecordKind::Ct ? kneeVoltage / 25.0 : kneeVoltage;
    r.kneeCurrent = kind == RecordKind::Ct ? kneeCurrent / 600.0 : kneeCurrent;
    r.testVoltage = SignedWord(p + 40);
    r.testCurrent = p[42];
    r.claimedPoints = p[43];
    r.points = PointsThatArrived(payload, kRecordHead, r.claimedPoints);
    return r;
}

} // namespace tarvex
