// The simulator's physical models: the excitation curve and its IEC 61869-2 knee, the CT and PT
// ratio and error models against the class limits, burden, and the stored records.
#include "sim/ctmodel.h"
#include "sim/excitationcurve.h"
#include "sim/ptmodel.h"
#include "sim/recordstore.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct KneeCase {
    double voltage, current, exponent;
};

void PrintTo(const KneeCase& c, std::ostream* os) {
    *os << c.voltage << " V " << c.current << " A p " << c.exponent;
}

class SimKnee : public ::testing::TestWithParam<KneeCase> {};

TEST_P(SimKnee, TenPercentMoreVoltageGivesFiftyPercentMoreCurrentExactlyAtTheKnee) {
    const KneeCase c = GetParam();
    const sim::ExcitationCurve curve(c.voltage, c.current, c.exponent);
    EXPECT_NEAR(curve.Current(c.voltage), c.current, 1e-12);
    EXPECT_NEAR(curve.Current(1.1 * c.voltage) / curve.Current(c.voltage), 1.5, 1e-9);
    // Below the knee 10 % more voltage gives less than 50 % more current, above it more: the
    // knee is the one point of the definition.
    for (double f : {0.2, 0.5, 0.9, 0.99}) {
        const double u = f * c.voltage;
        EXPECT_LT(curve.Current(1.1 * u) / curve.Current(u), 1.5) << f;
    }
    for (double f : {1.01, 1.1, 1.5, 2.0}) {
        const double u = f * c.voltage;
        EXPECT_GT(curve.Current(1.1 * u) / curve.Current(u), 1.5) << f;
    }
    EXPECT_NEAR(curve.VoltageFor(curve.Current(0.7 * c.voltage)), 0.7 * c.voltage,
                1e-6 * c.voltage);
}

INSTANTIATE_TEST_SUITE_P(Curves, SimKnee,
                         ::testing::Values(KneeCase{120, 0.05, 12}, KneeCase{265, 0.021, 12},
                                           KneeCase{130, 0.3, 8}, KneeCase{40, 1.2, 20}));

// Linear interpolation of I(U) along measured points (voltages rising).
double Interpolate(const std::vector<sim::ExcitationPoint>& points, double u) {
    double u0 = 0;
    double i0 = 0;
    for (const auto& p : points) {
        if (p.voltage >= u)
            return i0 + (p.current - i0) * (u - u0) / (p.voltage - u0);
        u0 = p.voltage;
        i0 = p.current;
    }
    return NAN;
}

TEST(SimExcitation, TheMeasuredCurveItselfShowsTheReportedKnee) {
    const sim::ExcitationCurve curve(120, 0.05);
    const sim::ExcitationResult r = curve.Measure(200, 1, 40);
    ASSERT_EQ(r.points.size(), 40u);
    EXPECT_NEAR(r.kneeVoltage, 120, 1e-9);
    EXPECT_NEAR(r.kneeCurrent, 0.05, 1e-9);
    const double atKnee = Interpolate(r.points, r.kneeVoltage);
    const double above = Interpolate(r.points, 1.1 * r.kneeVoltage);
    EXPECT_NEAR(above / atKnee, 1.5, 0.05);
}

TEST(SimExcitation, TheTestStopsAtTheTestCurrentOrTheTestVoltageWhicheverComesFirst) {
    const sim::ExcitationCurve curve(120, 0.05);
    // 1 A is reached near 176 V, before 200 V.
    const auto byCurrent = curve.Measure(200, 1, 30);
    EXPECT_NEAR(byCurrent.points.back().current, 1.0, 1e-6);
    EXPECT_LT(byCurrent.points.back().voltage, 200);
    EXPECT_GT(byCurrent.points.back().voltage, 170);
    // 150 V comes before 5 A.
    const auto byVoltage = curve.Measure(150, 5, 30);
    EXPECT_DOUBLE_EQ(byVoltage.points.back().voltage, 150);
    EXPECT_LT(byVoltage.points.back().current, 5);
    // Rising, and spread over the linear part as well as the saturated one.
    for (const auto* r : {&byCurrent, &byVoltage}) {
        for (std::size_t i = 1; i < r->points.size(); ++i) {
            EXPECT_GT(r->points[i].voltage, r->points[i - 1].voltage);
            EXPECT_GT(r->points[i].current, r->points[i - 1].current);
        }
        int belowKnee = 0;
        for (const auto& p : r->points)
            belowKnee += p.voltage < 120 ? 1 : 0;
        EXPECT_GE(belowKnee, 5);
    }
}

TEST(SimExcitation, KneeIsReportedOnlyWhenTheTestWentTenPercentPastIt) {
    const sim::ExcitationCurve curve(120, 0.05);
    EXPECT_EQ(curve.Measure(100, 5, 10).kneeVoltage, 0); // never reached
    EXPECT_EQ(curve.Measure(125, 5, 10).kneeVoltage, 0); // reached but not checked
    EXPECT_NEAR(curve.Measure(132.1, 5, 10).kneeVoltage, 120, 1e-9);
    EXPECT_TRUE(curve.Measure(0, 1, 10).points.empty());
    EXPECT_TRUE(curve.Measure(200, 0, 10).points.empty());
    EXPECT_EQ(curve.Measure(200, 1, 1000).points.size(), 255u);
}

// IEC 61869-2 limits for measuring CTs at 5, 20, 100, 120 % of rated current.
struct CtClassCase {
    double accuracyClass;
    double ratioLimit[4]; // %
    double phaseLimit[4]; // minutes
};

void PrintTo(const CtClassCase& c, std::ostream* os) {
    *os << "class " << c.accuracyClass;
}

class SimCtClass : public ::testing::TestWithParam<CtClassCase> {};

TEST_P(SimCtClass, ErrorsAtRatedBurdenStayInsideTheClassAndShrinkAsCurrentRises) {
    const CtClassCase c = GetParam();
    sim::CtConfig config;
    config.accuracyClass = c.accuracyClass;
    const sim::CtModel ct(config);
    // The program sends the nameplate 600 A / 5 A and the design burden 10 VA, full load.
    const sim::CtErrorReading full = ct.Errors(600, 5, 10, true);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_LT(full.ratioPercent[i], 0) << i;
        EXPECT_GT(full.phaseMinutes[i], 0) << i;
        EXPECT_LT(-full.ratioPercent[i], c.ratioLimit[i]) << i;
        EXPECT_LT(full.phaseMinutes[i], c.phaseLimit[i]) << i;
        if (i > 0) {
            EXPECT_LT(-full.ratioPercent[i], -full.ratioPercent[i - 1]) << i;
            EXPECT_LT(full.phaseMinutes[i], full.phaseMinutes[i - 1]) << i;
        }
    }
    // The errors are not negligible either: at 100 % a good share of the limit.
    EXPECT_GT(-full.ratioPercent[2], 0.25 * c.ratioLimit[2]);
    // A quarter of the burden (light load) gives smaller errors.
    const sim::CtErrorReading light = ct.Errors(600, 5, 10, false);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_LT(-light.ratioPercent[i], -full.ratioPercent[i]) << i;
        EXPECT_LT(light.phaseMinutes[i], full.phaseMinutes[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Classes, SimCtClass,
    ::testing::Values(CtClassCase{0.2, {0.75, 0.35, 0.2, 0.2}, {30, 15, 10, 10}},
                      CtClassCase{0.5, {1.5, 0.75, 0.5, 0.5}, {90, 45, 30, 30}}));

TEST(SimCtModel, AWrongRatedRatioShowsAsRatioError) {
    const sim::CtModel ct; // 600/5
    const sim::CtErrorReading r = ct.Errors(500, 5, 10, true);
    // The program expects 500/5: a 600/5 CT gives 5/6 of the expected secondary current.
    EXPECT_NEAR(r.ratioPercent[2], -100.0 / 6, 0.5);
}

TEST(SimCtModel, RatioReadingAgainstTheRatedSecondarySent) {
    const sim::CtModel ct; // 600/5, class 0.5
    const sim::CtRatioReading five = ct.Ratio(100, 5);
    EXPECT_DOUBLE_EQ(five.primaryCurrent, 100);
    EXPECT_NEAR(five.secondaryCurrent, 100.0 / 120, 0.005);
    EXPECT_LT(five.secondaryCurrent, 100.0 / 120); // negative ratio error
    EXPECT_NEAR(five.ratioPrimary, 600, 3);
    EXPECT_GT(five.ratioPrimary, 600);
    EXPECT_EQ(five.ratioSecondary, 5);
    EXPECT_TRUE(five.polarityPositive);
    const sim::CtRatioReading one = ct.Ratio(100, 1);
    EXPECT_EQ(one.ratioSecondary, 1);
    EXPECT_NEAR(one.ratioPrimary, 120, 1);

    sim::CtConfig reversed;
    reversed.polarityPositive = false;
    EXPECT_FALSE(sim::CtModel(reversed).Ratio(100, 5).polarityPositive);
}

TEST(SimCtModel, SixTapsAreSixthsOfTheFullRatio) {
    const sim::CtModel ct;
    const sim::CtTapReading t = ct.Taps(100, 5);
    for (std::size_t k = 0; k < 6; ++k)
        EXPECT_NEAR(t.ratioPrimary[k], 100.0 * static_cast<double>(k + 1),
                    0.02 * 100 * static_cast<double>(k + 1))
            << k;
    EXPECT_NEAR(t.secondaryCurrent, 100.0 / 120, 0.005);
    EXPECT_EQ(t.ratioSecondary, 5);
    EXPECT_DOUBLE_EQ(ct.Burden(), 0.8);
}

struct PtClassCase {
    double accuracyClass;
    double ratioLimit; // %
    double phaseLimit; // minutes
};

void PrintTo(const PtClassCase& c, std::ostream* os) {
    *os << "class " << c.accuracyClass;
}

class SimPtClass : public ::testing::TestWithParam<PtClassCase> {};

TEST_P(SimPtClass, ErrorsAtRatedBurdenStayInsideTheClass) {
    const PtClassCase c = GetParam();
    sim::PtConfig config;
    config.accuracyClass = c.accuracyClass;
    const sim::PtModel pt(config);
    const sim::PtErrorReading full = pt.Errors(10, 0, 30, true); // 10 kV, "100", 30 VA
    const sim::PtErrorReading light = pt.Errors(10, 0, 30, false);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_LT(full.ratioPercent[i], 0) << i;
        EXPECT_GT(full.phaseMinutes[i], 0) << i;
        EXPECT_LT(-full.ratioPercent[i], c.ratioLimit) << i;
        EXPECT_LT(full.phaseMinutes[i], c.phaseLimit) << i;
        EXPECT_LT(-light.ratioPercent[i], -full.ratioPercent[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, SimPtClass,
                         ::testing::Values(PtClassCase{0.2, 0.2, 10}, PtClassCase{0.5, 0.5, 20}));

TEST(SimPtModel, RatioReadingEchoesTheSecondaryIndex) {
    const sim::PtModel pt; // 10 kV / 100 V
    const sim::PtRatioReading r = pt.Ratio(1000, 0);
    EXPECT_DOUBLE_EQ(r.primaryVoltage, 1000);
    EXPECT_NEAR(r.secondaryVoltage, 10, 0.01);
    EXPECT_NEAR(r.ratioPrimaryKv, 10, 0.01);
    EXPECT_EQ(r.secondaryIndex, 0);
    // Against "100/sqrt(3)" the ratio primary is the ratio times 57.7 V.
    const sim::PtRatioReading s = pt.Ratio(1000, 2);
    EXPECT_EQ(s.secondaryIndex, 2);
    EXPECT_NEAR(s.ratioPrimaryKv, 10 / std::sqrt(3.0), 0.01);
    // A wrong rated primary in the error test shows as ratio error.
    EXPECT_NEAR(pt.Errors(11, 0, 30, true).ratioPercent[1], 10.0, 0.5);
}

TEST(SimPtModel, BurdenIsTheVoltAmpereAtTheRatedSecondaryVoltage) {
    const sim::PtModel pt; // 400 Ω connected
    EXPECT_NEAR(pt.Burden(0), 25.0, 1e-9);
    EXPECT_NEAR(pt.Burden(1), 25.0 / 9, 1e-9);
    EXPECT_NEAR(pt.Burden(2), 25.0 / 3, 1e-9);
    EXPECT_NEAR(pt.Burden(3), 121.0, 1e-9);
}

TEST(SimRecords, DefaultRecordsAreRealisticAndInTheirOwnUnits) {
    const sim::RecordStore store = sim::RecordStore::Default();
    ASSERT_GE(store.Ct().size(), 3u);
    ASSERT_GE(store.Pt().size(), 3u);
    for (const auto* list : {&store.Ct(), &store.Pt()}) {
        for (const sim::HistoryRecord& r : *list) {
            EXPECT_GE(r.year, 20);
            EXPECT_LE(r.year, 30);
            EXPECT_GE(r.month, 1);
            EXPECT_LE(r.month, 12);
            EXPECT_GE(r.day, 1);
            EXPECT_LE(r.day, 31);
            EXPECT_LT(r.hour, 24);
            EXPECT_LT(r.minute, 60);
            EXPECT_LT(r.second, 60);
            EXPECT_GE(r.phase, 0);
            EXPECT_LE(r.phase, 2);
            EXPECT_LE(r.text1.size(), 10u);
            EXPECT_FALSE(r.text1.empty());
            EXPECT_EQ(r.currents.size(), r.voltages.size());
            EXPECT_GE(r.currents.size(), 10u);
            EXPECT_NE(r.kneeVoltageRaw, 0);
            EXPECT_NE(r.kneeCurrentRaw, 0);
            // The last point is at the test current or voltage.
            const bool atCurrent = std::abs(r.currents.back() - r.testCurrent * 1000) <= 1;
            const bool atVoltage = std::abs(r.voltages.back() - r.testVoltage * 10) <= 1;
            EXPECT_TRUE(atCurrent || atVoltage);
        }
    }
    // CT: 25 × V and 600 × A (the program divides); the first record's knee is 118 V / 0.046 A.
    EXPECT_EQ(store.Ct()[0].kneeVoltageRaw, 2950);
    EXPECT_EQ(store.Ct()[0].kneeCurrentRaw, 28); // 0.046 × 600 = 27.6
    // PT: whole V and A, stored as they are.
    EXPECT_EQ(store.Pt()[0].kneeVoltageRaw, 112);
    EXPECT_EQ(store.Pt()[0].kneeCurrentRaw, 1);
}

} // namespace
