// The reply decoders: the layouts' byte examples, replies cut short (each test payload is
// exactly as long as what arrived, so a read past it shows under the address sanitizer), and
// the simulator's encoders read back.
#include "replydecoders.h"

#include "sim/errorreplies.h"
#include "sim/excitationreply.h"
#include "sim/ratioreplies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace tarvex;
using Bytes = std::vector<unsigned char>;

namespace {

// A fresh allocation of exactly n bytes (a shrunk vector keeps its capacity).
Bytes Cut(const Bytes& b, std::size_t n) {
    return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
}

TEST(ReplyDecoders, ExcitationPointsCountOnlyWhenCurrentAndVoltageArrived) {
    // N = 2, knee 123.4 V / 0.250 A, currents 0.100 and 0.500 A, voltages 100.3 and -0.7 V.
    const Bytes full = {2, 0x04, 0xD2, 0x00, 0xFA, 0x00, 0x64, 0x01, 0xF4, 0x03, 0xEB, 0xFF, 0xF9};
    const struct {
        std::size_t arrived;
        int points;
    } cases[] = {{13, 2}, {12, 1}, {9, 0}, {5, 0}};
    for (const auto& c : cases) {
        const auto r = DecodeExcitationReply(Cut(full, c.arrived));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->claimedPoints, 2);
        EXPECT_EQ(std::pair(r->kneeVoltage, r->kneeCurrent), std::pair(123.4, 0.25));
        EXPECT_EQ(int(r->points.size()), c.points) << c.arrived << " bytes";
    }
    const auto r = DecodeExcitationReply(full);
    EXPECT_EQ(VoltsCutToHalf(r->points[0].voltage), 100.0);
    EXPECT_EQ(VoltsCutToHalf(r->points[1].voltage), -0.5);
    EXPECT_FALSE(DecodeExcitationReply(Cut(full, 4)));
}

TEST(ReplyDecoders, HistoryListAndRecordAreCutToWhatArrived) {
    EXPECT_EQ(DecodeHistoryList(Bytes{0x00, 0x02, 24, 5, 6, 7, 8, 1, 24, 5}).entries.size(), 1u);
    EXPECT_TRUE(DecodeHistoryList(Bytes{0xFF, 0xFF, 24, 5, 6, 7, 8, 1}).entries.empty());
    EXPECT_TRUE(DecodeHistoryList(Bytes{0x00}).entries.empty());

    Bytes record(44, 'A');
    record[36] = 0x09, record[37] = 0xC4, record[38] = 0x02, record[39] = 0x58; // 2500, 600
    record[43] = 2;
    record.insert(record.end(), {0, 1, 0, 2, 0x04, 0xD2, 0xFB}); // the last voltage cut short
    const auto ct = DecodeHistoryRecord(record, RecordKind::Ct);
    const auto pt = DecodeHistoryRecord(record, RecordKind::Pt);
    ASSERT_TRUE(ct && pt);
    EXPECT_EQ(std::pair(ct->kneeVoltage, ct->kneeCurrent), std::pair(100.0, 1.0));
    EXPECT_EQ(std::pair(pt->kneeVoltage, pt->kneeCurrent), std::pair(2500.0, 600.0));
    EXPECT_EQ(ct->texts[2], "AAAAAAAAAA");
    ASSERT_EQ(ct->points.size(), 1u);
    EXPECT_EQ(VoltsCutToHalf(ct->points[0].voltage), 123.0);
    EXPECT_EQ(pt->points[0].voltage, 123.4);
    EXPECT_FALSE(DecodeHistoryRecord(Cut(record, 43), RecordKind::Ct));
}

// Random-ish results on the wire resolution, through the simulator's encoders and back.
TEST(ReplyDecoders, SimulatorRepliesDecodeToTheirValues) {
    std::mt19937 random(2024);
    const auto tenths = [&] { return int(random() % 60000) / 10.0 - 3000.0; };
    const auto thousandths = [&] { return int(random() % 60000) / 1000.0 - 30.0; };
    const auto payload = [](const std::vector<std::uint8_t>& frame) {
        return Bytes(frame.begin() + 3, frame.end() - 2);
    };
    for (int round = 0; round < 20; ++round) {
        const sim::CtRatioReading ct{tenths(), thousandths(), tenths(), std::uint8_t(random()),
                                     round % 2 == 0};
        const CtRatioReply r = DecodeCtRatioReply(payload(sim::EncodeCtRatioReply(ct)));
        EXPECT_NEAR(*r.primaryCurrent, ct.primaryCurrent, 1e-9);
        EXPECT_NEAR(*r.secondaryCurrent, ct.secondaryCurrent, 1e-9);
        EXPECT_NEAR(*r.ratioPrimary, ct.ratioPrimary, 1e-9);
        EXPECT_EQ(*r.ratioSecondary, ct.ratioSecondary);
        EXPECT_EQ(*r.polarityPositive, ct.polarityPositive);

        sim::PtErrorReading errors;
        for (int i = 0; i < 3; ++i)
            errors.phaseMinutes[i] = thousandths(), errors.ratioPercent[i] = thousandths();
        const ErrorReply e = DecodePtErrorReply(payload(sim::EncodePtErrorReply(errors)));
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(e.phaseMinutes[i], errors.phaseMinutes[i], 1e-9);
            EXPECT_NEAR(e.ratioPercent[i], errors.ratioPercent[i], 1e-9);
        }

        sim::ExcitationResult curve{tenths(), thousandths(), {}};
        for (int i = 0; i < round; ++i)
            curve.points.push_back({thousandths(), tenths()});
        const auto x = DecodeExcitationReply(payload(sim::EncodeExcitationReply(0x1F, curve)));
        ASSERT_EQ(x->points.size(), curve.points.size());
        EXPECT_NEAR(x->kneeVoltage, curve.kneeVoltage, 1e-9);
        for (std::size_t i = 0; i < curve.points.size(); ++i) {
            EXPECT_NEAR(x->points[i].current, curve.points[i].current, 1e-9);
            EXPECT_NEAR(x->points[i].voltage, curve.points[i].voltage, 1e-9);
        }
    }
}

} // namespace
