// The simulator's reply encoders against the reply layouts, read back with the independent
// decoder of sim_replydecoder.h.
#include "sim_replydecoder.h"

#include "sim/burdenreplies.h"
#include "sim/errorreplies.h"
#include "sim/excitationreply.h"
#include "sim/historyreplies.h"
#include "sim/ratioreplies.h"
#include "sim/resistancereply.h"
#include "sim/statusreplies.h"

#include <gtest/gtest.h>

namespace {

using simtest::Bytes;

Bytes Payload(const Bytes& frame, std::uint8_t code) {
    const auto f = simtest::SplitFrame(frame);
    EXPECT_TRUE(f.has_value()) << "not one frame 55 AA .. FD FA";
    if (!f)
        return {};
    EXPECT_EQ(f->code, code);
    return f->payload;
}

TEST(SimReplies, StatusRepliesAreTheFixedFrames) {
    EXPECT_EQ(sim::EncodeHandshake(), (Bytes{0x55, 0xAA, 0xD0, 0xFD, 0xFA}));
    EXPECT_EQ(sim::EncodeTestFinished(), (Bytes{0x55, 0xAA, 0xEB, 0xFD, 0xFA}));
    EXPECT_EQ(sim::EncodeDeviceInfo(0xAD, 0xA2, 0xA1),
              (Bytes{0x55, 0xAA, 0xE0, 0xAD, 0xA2, 0xA1, 0xFD, 0xFA}));
}

TEST(SimReplies, ExcitationMatchesTheLayoutByteForByte) {
    // Knee 123.4 V / 0.250 A, points (0.100 A, 100.3 V) and (0.500 A, 150.0 V).
    sim::ExcitationResult r;
    r.kneeVoltage = 123.4;
    r.kneeCurrent = 0.25;
    r.points = {{0.1, 100.3}, {0.5, 150.0}};
    const Bytes frame = sim::EncodeExcitationReply(0x1A, r);
    EXPECT_EQ(frame, (Bytes{0x55, 0xAA, 0x1A, 0x02, 0x04, 0xD2, 0x00, 0xFA, 0x00, 0x64, 0x01, 0xF4,
                            0x03, 0xEB, 0x05, 0xDC, 0xFD, 0xFA}));
    const auto e = simtest::DecodeExcitation(Payload(frame, 0x1A));
    EXPECT_EQ(e.count, 2);
    EXPECT_DOUBLE_EQ(e.kneeVoltage, 123.4);
    EXPECT_DOUBLE_EQ(e.kneeCurrent, 0.25);
    EXPECT_EQ(e.currents, (std::vector<double>{0.1, 0.5}));
    EXPECT_EQ(e.voltages, (std::vector<double>{100.3, 150.0}));
}

TEST(SimReplies, ExcitationPtCodeNegativeValuesAndTheLimitOf255Points) {
    sim::ExcitationResult r;
    r.points = {{-0.002, -0.7}};
    const Bytes frame = sim::EncodeExcitationReply(0x1F, r);
    const auto e = simtest::DecodeExcitation(Payload(frame, 0x1F));
    EXPECT_DOUBLE_EQ(e.currents.at(0), -0.002);
    EXPECT_DOUBLE_EQ(e.voltages.at(0), -0.7);
    EXPECT_EQ(frame[frame.size() - 4], 0xFF); // -7 as two's complement FF F9
    EXPECT_EQ(frame[frame.size() - 3], 0xF9);

    r.points.assign(300, {1.0, 100.0});
    const Bytes big = sim::EncodeExcitationReply(0x1A, r);
    EXPECT_EQ(big.size(), 3u + 5 + 4 * 255 + 2);
    EXPECT_EQ(simtest::DecodeExcitation(Payload(big, 0x1A)).count, 255);
}

TEST(SimReplies, ExcitationCountOverrunClaimsMorePointsThanSent) {
    sim::ExcitationResult r;
    r.points = {{0.1, 10}, {0.2, 20}, {0.3, 30}};
    const Bytes frame = sim::EncodeExcitationReply(0x1A, r, 10);
    ASSERT_TRUE(simtest::SplitFrame(frame).has_value());
    EXPECT_EQ(frame[3], 13);                     // count claims 13
    EXPECT_EQ(frame.size(), 3u + 5 + 4 * 3 + 2); // but three points were sent

    r.points.assign(255, {0.1, 10});
    const Bytes full = sim::EncodeExcitationReply(0x1A, r, 10);
    EXPECT_EQ(full[3], 255);
    EXPECT_EQ(full.size(), 3u + 5 + 4 * 245 + 2);
}

TEST(SimReplies, CtRatioSingleAndSixTaps) {
    const Bytes frame = sim::EncodeCtRatioReply({-1.0, 0.8333, 601.2, 5, true});
    const Bytes p = Payload(frame, 0x2A);
    ASSERT_EQ(p.size(), 8u);
    EXPECT_EQ(p[0], 0xFF);
    EXPECT_EQ(p[1], 0xF6);
    const auto r = simtest::DecodeCtRatio(p);
    EXPECT_DOUBLE_EQ(r.primary, -1.0);
    EXPECT_DOUBLE_EQ(r.secondary, 0.833);
    EXPECT_DOUBLE_EQ(r.ratioPrimary, 601.2);
    EXPECT_EQ(r.ratioSecondary, 5);
    EXPECT_TRUE(r.positive);
    EXPECT_FALSE(simtest::DecodeCtRatio(Payload(sim::EncodeCtRatioReply({1, 1, 1, 1, false}), 0x2A))
                     .positive);

    sim::CtTapReading taps;
    taps.primaryCurrent = 100;
    taps.secondaryCurrent = 0.8333;
    taps.ratioPrimary = {100.1, 200.2, 300.3, 400.4, 500.5, 600.6};
    taps.polarityPositive = {true, false, true, true, true, false};
    taps.ratioSecondary = 1;
    const Bytes tp = Payload(sim::EncodeCtTapReply(taps), 0x7A);
    ASSERT_EQ(tp.size(), 24u);
    const auto t = simtest::DecodeCtTaps(tp);
    EXPECT_DOUBLE_EQ(t.primary, 100.0);
    EXPECT_DOUBLE_EQ(t.secondary, 0.833);
    for (int i = 0; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(t.ratioPrimary[i], 100.1 * (i + 1)) << i;
        EXPECT_EQ(t.positive[i], taps.polarityPositive[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(t.ratioSecondary, 1);
}

TEST(SimReplies, PtRatio) {
    const Bytes p = Payload(sim::EncodePtRatioReply({1000.0, 9.9917, 10.0, 2, true}), 0x2F);
    ASSERT_EQ(p.size(), 8u);
    EXPECT_EQ(p[4], 0x03); // 10.00 kV is 1000 hundredths
    EXPECT_EQ(p[5], 0xE8);
    const auto r = simtest::DecodePtRatio(p);
    EXPECT_DOUBLE_EQ(r.primary, 1000.0);
    EXPECT_DOUBLE_EQ(r.secondary, 9.992);
    EXPECT_DOUBLE_EQ(r.ratioPrimaryKv, 10.0);
    EXPECT_EQ(r.secondaryIndex, 2);
    EXPECT_TRUE(r.positive);
}

struct SignMagnitudeCase {
    double value;
    std::uint8_t high, low;
};

void PrintTo(const SignMagnitudeCase& c, std::ostream* os) {
    *os << c.value;
}

class SimSignMagnitude : public ::testing::TestWithParam<SignMagnitudeCase> {};

TEST_P(SimSignMagnitude, ErrorWordsAreSignAndMagnitudeOfThousandths) {
    const SignMagnitudeCase c = GetParam();
    sim::CtErrorReading reading;
    reading.phaseMinutes[0] = c.value;
    const Bytes p = Payload(sim::EncodeCtErrorReply(reading), 0x3A);
    ASSERT_EQ(p.size(), 16u);
    EXPECT_EQ(p[0], c.high);
    EXPECT_EQ(p[1], c.low);
}

INSTANTIATE_TEST_SUITE_P(Words, SimSignMagnitude,
                         ::testing::Values(SignMagnitudeCase{-0.001, 0x80, 0x01},
                                           SignMagnitudeCase{0.001, 0x00, 0x01},
                                           SignMagnitudeCase{-0.0004, 0x00, 0x00}, // no "-0"
                                           SignMagnitudeCase{32.767, 0x7F, 0xFF},
                                           SignMagnitudeCase{-32.767, 0xFF, 0xFF},
                                           SignMagnitudeCase{40.0, 0x7F, 0xFF}, // clamped
                                           SignMagnitudeCase{-0.005, 0x80, 0x05}));

TEST(SimReplies, ErrorReadingsInTheirOrder) {
    sim::CtErrorReading ct;
    ct.phaseMinutes = {29.5, 19.4, 12.0, 11.4};
    ct.ratioPercent = {-0.491, -0.324, -0.2, -0.189};
    const auto c = simtest::DecodeErrors(Payload(sim::EncodeCtErrorReply(ct), 0x3A), 4);
    EXPECT_EQ(c.phase, (std::vector<double>{29.5, 19.4, 12.0, 11.4}));
    EXPECT_EQ(c.ratio, (std::vector<double>{-0.491, -0.324, -0.2, -0.189}));

    sim::PtErrorReading pt;
    pt.phaseMinutes = {5.1, 5.2, 5.3};
    pt.ratioPercent = {-0.11, -0.12, -0.13};
    const Bytes p = Payload(sim::EncodePtErrorReply(pt), 0x3F);
    ASSERT_EQ(p.size(), 12u);
    const auto e = simtest::DecodeErrors(p, 3);
    EXPECT_EQ(e.phase, (std::vector<double>{5.1, 5.2, 5.3}));
    EXPECT_EQ(e.ratio, (std::vector<double>{-0.11, -0.12, -0.13}));
}

TEST(SimReplies, BurdenAndResistance) {
    EXPECT_EQ(sim::EncodeCtBurdenReply(50.0), (Bytes{0x55, 0xAA, 0x4A, 0x01, 0xF4, 0xFD, 0xFA}));
    EXPECT_EQ(sim::EncodePtBurdenReply(2.5), (Bytes{0x55, 0xAA, 0x4F, 0x00, 0x19, 0xFD, 0xFA}));
    EXPECT_DOUBLE_EQ(simtest::DecodeTenths(Payload(sim::EncodePtBurdenReply(-0.1), 0x4F)), -0.1);

    EXPECT_EQ(sim::EncodeResistanceReply({123.4, true}),
              (Bytes{0x55, 0xAA, 0x6A, 0x04, 0xD2, 0x01, 0xFD, 0xFA}));
    EXPECT_EQ(sim::EncodeResistanceReply({123.4, false}),
              (Bytes{0x55, 0xAA, 0x6A, 0x04, 0xD2, 0x00, 0xFD, 0xFA}));
}

TEST(SimReplies, ResistanceChoosesMilliohmWhileTheValueFits) {
    struct Case {
        double ohm;
        double shown;
        bool milliohm;
    };
    for (const Case c : {Case{0.235, 235.0, true}, Case{3.2767, 3276.7, true},
                         Case{3.3, 3.3, false}, Case{12.0, 12.0, false}}) {
        const Bytes p = Payload(sim::EncodeResistanceReply(sim::ResistanceReadingOf(c.ohm)), 0x6A);
        EXPECT_NEAR(simtest::DecodeTenths(p), c.shown, 1e-9) << c.ohm;
        EXPECT_EQ(simtest::DecodeMilliohm(p), c.milliohm) << c.ohm;
    }
}

sim::HistoryRecord SampleRecord() {
    sim::HistoryRecord r;
    r.year = 24;
    r.month = 3;
    r.day = 12;
    r.hour = 9;
    r.minute = 41;
    r.second = 27;
    r.lineNo = 3;
    r.groupNo = 1;
    r.phase = 2;
    r.text1 = "TX20240031";
    r.text2 = "LIWEI";
    r.text3 = "A TEXT LONGER THAN TEN";
    r.kneeVoltageRaw = 2500;
    r.kneeCurrentRaw = 600;
    r.testVoltage = 200;
    r.testCurrent = 1;
    r.currents = {12, -34, 1000};
    r.voltages = {1234, -1234, 2000};
    return r;
}

TEST(SimReplies, RecordListEntriesOfSixBytes) {
    const std::vector<sim::HistoryRecord> records{SampleRecord(), SampleRecord()};
    int count = 0;
    const auto entries =
        simtest::DecodeList(Payload(sim::EncodeHistoryList(0xE6, records), 0xE6), &count);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].year, 24);
    EXPECT_EQ(entries[1].month, 3);
    EXPECT_EQ(entries[1].day, 12);
    EXPECT_EQ(entries[1].line, 3);
    EXPECT_EQ(entries[1].group, 1);
    EXPECT_EQ(entries[1].phase, 2);

    EXPECT_EQ(sim::EncodeHistoryList(0xE4, {}), (Bytes{0x55, 0xAA, 0xE4, 0x00, 0x00, 0xFD, 0xFA}));
    const Bytes over = sim::EncodeHistoryList(0xE4, records, 10);
    EXPECT_EQ(simtest::S16(Payload(over, 0xE4), 0), 12);
    EXPECT_EQ(over.size(), 3u + 2 + 6 * 2 + 2);
}

TEST(SimReplies, RecordLayout) {
    const Bytes frame = sim::EncodeHistoryRecord(0xE5, SampleRecord());
    const Bytes p = Payload(frame, 0xE5);
    ASSERT_EQ(p.size(), 44u + 4 * 3);
    const auto r = simtest::DecodeRecord(p);
    EXPECT_EQ((std::vector<int>(r.time, r.time + 6)), (std::vector<int>{24, 3, 12, 9, 41, 27}));
    EXPECT_EQ(r.text[0], "TX20240031");
    EXPECT_EQ(r.text[1], "LIWEI     "); // padded to ten
    EXPECT_EQ(r.text[2], "A TEXT LON"); // cut to ten
    EXPECT_EQ(r.kneeVoltageRaw, 2500);
    EXPECT_EQ(r.kneeCurrentRaw, 600);
    EXPECT_EQ(r.testVoltage, 200);
    EXPECT_EQ(r.testCurrent, 1);
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(r.currents, (std::vector<int>{12, -34, 1000}));
    EXPECT_EQ(r.voltages, (std::vector<int>{1234, -1234, 2000}));

    const Bytes over = sim::EncodeHistoryRecord(0xE7, SampleRecord(), 10);
    EXPECT_EQ(Payload(over, 0xE7).at(43), 13);
    EXPECT_EQ(over.size(), frame.size());
}

} // namespace
