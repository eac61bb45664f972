// The reply decoders against the simulator's encoders. An input whose byte 0 is even builds a
// result of one kind from the bytes after it, encodes it as the instrument does and requires the
// decoder to give it back within the wire's resolution. An odd byte 0 hands the bytes after it
// to every decoder, in a heap block of exactly their size, so that a read past them is reported.
#include "check.h"

#include "link/replydecoders.h"
#include "link/replylayout.h"
#include "sim/burdenreplies.h"
#include "sim/errorreplies.h"
#include "sim/excitationreply.h"
#include "sim/ratioreplies.h"
#include "sim/resistancereply.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Hands out the input's bytes; zeros once they are used up.
class Source {
  public:
    Source(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    int Byte() { return m_used < m_size ? m_data[m_used++] : 0; }
    int Word() { return static_cast<std::int16_t>((Byte() << 8) | Byte()); }
    // A value the wire carries exactly: a signed 16-bit count of 1/scale.
    double Scaled(double scale) { return Word() / scale; }
    bool Bit() { return Byte() & 1; }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_used = 0;
};

// Within half a step of the wire (1/scale).
bool Near(double decoded, double sent, double scale) {
    return std::fabs(decoded - sent) <= 0.5 / scale + 1e-9;
}

tarvex::ReplyBytes Payload(const Bytes& frame) {
    return tarvex::ReplyBytes(frame).subspan(3, frame.size() - 5); // without 55 AA code, FD FA
}

void ExcitationRoundTrip(Source& in) {
    sim::ExcitationResult sent{in.Scaled(10), in.Scaled(1000), {}};
    for (int n = in.Byte(); n > 0; --n)
        sent.points.push_back({in.Scaled(1000), in.Scaled(10)});
    const auto got = tarvex::DecodeExcitationReply(Payload(sim::EncodeExcitationReply(0x1A, sent)));
    FUZZ_CHECK(got && got->points.size() == sent.points.size());
    FUZZ_CHECK(got->claimedPoints == int(sent.points.size()));
    FUZZ_CHECK(Near(got->kneeVoltage, sent.kneeVoltage, 10));
    FUZZ_CHECK(Near(got->kneeCurrent, sent.kneeCurrent, 1000));
    for (std::size_t i = 0; i < sent.points.size(); ++i) {
        FUZZ_CHECK(Near(got->points[i].current, sent.points[i].current, 1000));
        FUZZ_CHECK(Near(got->points[i].voltage, sent.points[i].voltage, 10));
    }
}

void CtRatioRoundTrip(Source& in) {
    const sim::CtRatioReading sent{in.Scaled(10), in.Scaled(1000), in.Scaled(10),
                                   static_cast<std::uint8_t>(in.Byte()), in.Bit()};
    const auto got = tarvex::DecodeCtRatioReply(Payload(sim::EncodeCtRatioReply(sent)));
    FUZZ_CHECK(got.primaryCurrent && Near(*got.primaryCurrent, sent.primaryCurrent, 10));
    FUZZ_CHECK(got.secondaryCurrent && Near(*got.secondaryCurrent, sent.secondaryCurrent, 1000));
    FUZZ_CHECK(got.ratioPrimary && Near(*got.ratioPrimary, sent.ratioPrimary, 10));
    FUZZ_CHECK(got.ratioSecondary == sent.ratioSecondary);
    FUZZ_CHECK(got.polarityPositive == sent.polarityPositive);
}

void CtTapRoundTrip(Source& in) {
    sim::CtTapReading sent;
    sent.primaryCurrent = in.Scaled(10);
    sent.secondaryCurrent = in.Scaled(1000);
    for (int tap = 0; tap < tarvex::kCtTapCount; ++tap) {
        sent.ratioPrimary[tap] = in.Scaled(10);
        sent.polarityPositive[tap] = in.Bit();
    }
    sent.ratioSecondary = static_cast<std::uint8_t>(in.Byte());
    const auto got = tarvex::DecodeCtTapReply(Payload(sim::EncodeCtTapReply(sent)));
    FUZZ_CHECK(got.primaryCurrent && Near(*got.primaryCurrent, sent.primaryCurrent, 10));
    FUZZ_CHECK(got.secondaryCurrent && Near(*got.secondaryCurrent, sent.secondaryCurrent, 1000));
    FUZZ_CHECK(got.taps && got.taps->ratioSecondary == sent.ratioSecondary);
    for (int tap = 0; tap < tarvex::kCtTapCount; ++tap) {
        FUZZ_CHECK(Near(got.taps->taps[tap].ratioPrimary, sent.ratioPrimary[tap], 10));
        FUZZ_CHECK(got.taps->taps[tap].polarityPositive == sent.polarityPositive[tap]);
    }
}

void PtRatioRoundTrip(Source& in) {
    const sim::PtRatioReading sent{in.Scaled(10), in.Scaled(1000), in.Scaled(100),
                                   static_cast<std::uint8_t>(in.Byte() % 4), in.Bit()};
    const auto got = tarvex::DecodePtRatioReply(Payload(sim::EncodePtRatioReply(sent)));
    FUZZ_CHECK(got.primaryVoltage && Near(*got.primaryVoltage, sent.primaryVoltage, 10));
    FUZZ_CHECK(got.secondaryVoltage && Near(*got.secondaryVoltage, sent.secondaryVoltage, 1000));
    FUZZ_CHECK(got.ratioPrimary && Near(*got.ratioPrimary, sent.ratioPrimaryKv, 100));
    FUZZ_CHECK(got.secondaryIndex == sent.secondaryIndex);
    FUZZ_CHECK(got.polarityPositive == sent.polarityPositive);
}

// A sign-and-magnitude error value: -32.767 to 32.767.
double ErrorValue(Source& in) {
    const int word = in.Word() & 0xFFFF;
    const double magnitude = (word & 0x7FFF) / 1000.0;
    return (word & 0x8000) ? -magnitude : magnitude;
}

template <typename Reading> void RequireErrors(const tarvex::ErrorReply& got, const Reading& sent) {
    FUZZ_CHECK(got.phaseMinutes.size() == sent.phaseMinutes.size());
    FUZZ_CHECK(got.ratioPercent.size() == sent.ratioPercent.size());
    for (std::size_t i = 0; i < sent.phaseMinutes.size(); ++i) {
        FUZZ_CHECK(Near(got.phaseMinutes[i], sent.phaseMinutes[i], 1000));
        FUZZ_CHECK(Near(got.ratioPercent[i], sent.ratioPercent[i], 1000));
    }
}

void ErrorRoundTrip(Source& in) {
    sim::CtErrorReading ct;
    for (double& value : ct.phaseMinutes)
        value = ErrorValue(in);
    for (double& value : ct.ratioPercent)
        value = ErrorValue(in);
    RequireErrors(tarvex::DecodeCtErrorReply(Payload(sim::EncodeCtErrorReply(ct))), ct);
    sim::PtErrorReading pt;
    for (double& value : pt.phaseMinutes)
        value = ErrorValue(in);
    for (double& value : pt.ratioPercent)
        value = ErrorValue(in);
    RequireErrors(tarvex::DecodePtErrorReply(Payload(sim::EncodePtErrorReply(pt))), pt);
}

void BurdenAndResistanceRoundTrip(Source& in) {
    const double ohm = in.Scaled(10);
    const auto ct = tarvex::DecodeBurdenReply(Payload(sim::EncodeCtBurdenReply(ohm)));
    FUZZ_CHECK(ct && Near(*ct, ohm, 10));
    const double voltAmpere = in.Scaled(10);
    const auto pt = tarvex::DecodeBurdenReply(Payload(sim::EncodePtBurdenReply(voltAmpere)));
    FUZZ_CHECK(pt && Near(*pt, voltAmpere, 10));
    const sim::ResistanceReading sent{in.Scaled(10), in.Bit()};
    const auto got = tarvex::DecodeResistanceReply(Payload(sim::EncodeResistanceReply(sent)));
    FUZZ_CHECK(got && Near(got->value, sent.value, 10) && got->milliohm == sent.milliohm);
}

// Every decoder and the frame layout on exactly these bytes.
void DecodeRaw(const std::uint8_t* data, std::size_t size) {
    const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
    std::copy(data, data + size, copy.get());
    const tarvex::ReplyBytes bytes(copy.get(), size);
    tarvex::DecodeDeviceInfo(bytes);
    tarvex::DecodeExcitationReply(bytes);
    tarvex::DecodeCtRatioReply(bytes);
    tarvex::DecodeCtTapReply(bytes);
    tarvex::DecodePtRatioReply(bytes);
    tarvex::DecodeCtErrorReply(bytes);
    tarvex::DecodePtErrorReply(bytes);
    tarvex::DecodeBurdenReply(bytes);
    tarvex::DecodeResistanceReply(bytes);
    tarvex::DecodeHistoryList(bytes);
    tarvex::DecodeHistoryRecord(bytes, tarvex::RecordKind::Ct);
    tarvex::DecodeHistoryRecord(bytes, tarvex::RecordKind::Pt);
    const int available = static_cast<int>(size);
    for (int code = 0; code < 256; ++code) {
        const int length =
            tarvex::ReplyPayloadLength(static_cast<unsigned char>(code), copy.get(), available);
        FUZZ_CHECK(length >= 0 && length <= available);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    if (data[0] & 1) {
        DecodeRaw(data + 1, size - 1);
        return 0;
    }
    static void (*const kRoundTrips[])(Source&) = {
        ExcitationRoundTrip, CtRatioRoundTrip, CtTapRoundTrip,
        PtRatioRoundTrip,    ErrorRoundTrip,   BurdenAndResistanceRoundTrip};
    Source in(data + 1, size - 1);
    kRoundTrips[(data[0] >> 1) % std::size(kRoundTrips)](in);
    return 0;
}
