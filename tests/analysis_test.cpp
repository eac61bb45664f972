#include "analysis/accuracyclass.h"
#include "analysis/kneepoint.h"
#include "sim/excitationcurve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using tarvex::AccuracyClass;
using tarvex::ExcitationPoint;

// A smooth curve I(U) = A·U^q + B·U^p: a core that draws current as √U well below the knee
// and as U^6 in saturation, B chosen so that the 45° tangent falls at 100 V.
constexpr double kA = 1e-3, kQ = 0.5, kP = 6;
const double kB = 0.1 * kA / std::pow(100.0, kP - kQ);

double SmoothCurrent(double u) {
    return kA * std::pow(u, kQ) + kB * std::pow(u, kP);
}

// Worked out by hand:
// - tangent at angle a to the current axis (voltage upwards): d ln U / d ln I = tan a, so
//   d ln I / d ln U = (qA·U^q + pB·U^p) / (A·U^q + B·U^p) = k with k = 1 / tan a, hence
//   (k - q)·A·U^q = (p - k)·B·U^p and U = ((k - q)·A / ((p - k)·B))^(1/(p - q));
//   45°: k = 1, U = (0.5·A / (5·B))^(1/5.5) = 100 V; 30°: k = √3, U ≈ 121.3 V.
// - 10 % more voltage, 50 % more current: A·(1.1U)^q + B·(1.1U)^p = 1.5·(A·U^q + B·U^p), so
//   A·U^q·(1.5 - 1.1^q) = B·U^p·(1.1^p - 1.5) and
//   U = (A·(1.5 - 1.1^q) / (B·(1.1^p - 1.5)))^(1/(p - q)) ≈ 166.7 V.
double IeeeKneeVoltage(double angleDegrees) {
    const double k = 1 / std::tan(angleDegrees * M_PI / 180);
    return std::pow((k - kQ) * kA / ((kP - k) * kB), 1 / (kP - kQ));
}
double IecKneeVoltage() {
    return std::pow(kA * (1.5 - std::pow(1.1, kQ)) / (kB * (std::pow(1.1, kP) - 1.5)),
                    1 / (kP - kQ));
}

// The smooth curve measured every 2 % of voltage from `from` to `to` V.
std::vector<ExcitationPoint> Sampled(double from, double to) {
    std::vector<ExcitationPoint> curve;
    for (double u = from; u <= to; u *= 1.02)
        curve.push_back({SmoothCurrent(u), u});
    return curve;
}

struct Knees {
    std::optional<tarvex::KneePoint> iec, ieee45, ieee30;
};
Knees AllKnees(const std::vector<ExcitationPoint>& curve) {
    return {tarvex::IecKneePoint(curve), tarvex::IeeeKneePoint(curve, false),
            tarvex::IeeeKneePoint(curve, true)};
}

void ExpectNear(const std::optional<tarvex::KneePoint>& knee, double volts, double tolerance) {
    ASSERT_TRUE(knee.has_value());
    EXPECT_NEAR(knee->voltage / volts, 1, tolerance);
    EXPECT_NEAR(knee->current / SmoothCurrent(knee->voltage), 1, tolerance); // on the curve
}

TEST(KneePoint, SmoothCurveGivesTheKneesWorkedOutByHand) {
    const Knees k = AllKnees(Sampled(20, 300));
    ExpectNear(k.iec, IecKneeVoltage(), 0.01);
    ExpectNear(k.ieee45, IeeeKneeVoltage(45), 0.01);
    ExpectNear(k.ieee30, IeeeKneeVoltage(30), 0.01);
}

// Straight on log-log axes from 10 to 100 V with I ∝ U^0.5, from 100 V on with I ∝ U^5, and
// every point on those lines, so the interpolation is exact. A 10 % step [x, x + ln 1.1] across
// the bend at ln 100 (t = ln 100 - x) raises ln I by 0.5·t + 5·(ln 1.1 - t) = ln 1.5, hence
// t = (5·ln 1.1 - ln 1.5) / 4.5 = 0.015797 and the knee is at 100·e^-t = 98.43 V, on the line
// below the bend, after the 50 V point. The same when each current is read at three voltages
// 1 % apart: they stand for their mean.
TEST(KneePoint, IecKneeOfABentLineIsExact) {
    auto current = [](double u) {
        return u <= 100 ? 0.1 * std::sqrt(u / 100) : 0.1 * std::pow(u / 100, 5);
    };
    const double t = (5 * std::log(1.1) - std::log(1.5)) / 4.5;
    for (const std::vector<double>& spread : {std::vector{1.0}, {0.99, 1.0, 1.01}}) {
        std::vector<ExcitationPoint> curve;
        for (double u : {10, 20, 50, 100, 105, 110, 120, 150, 200}) {
            for (double f : spread)
                curve.push_back({current(u), f * u});
        }
        const auto knee = tarvex::IecKneePoint(curve);
        ASSERT_TRUE(knee.has_value());
        EXPECT_NEAR(knee->voltage, 100 * std::exp(-t), 1e-9);
        EXPECT_NEAR(knee->current, current(100 * std::exp(-t)), 1e-12);
        EXPECT_NEAR(curve[knee->below].voltage, 50, 1);
    }
}

// The instrument's reading steps (1 mA, 0.5 V) and 1 % of scatter on top of them move the knees
// little: points that read one current merge, stray ones are left out.
TEST(KneePoint, NoiseAndReadingStepsMoveTheKneesLittle) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> scatter(-0.01, 0.01);
    std::vector<ExcitationPoint> curve;
    for (ExcitationPoint p : Sampled(20, 300))
        curve.push_back({std::round(p.current * (1 + scatter(random)) * 1000) / 1000,
                         std::round(p.voltage * (1 + scatter(random) / 4) * 2) / 2});
    const Knees k = AllKnees(curve);
    ExpectNear(k.iec, IecKneeVoltage(), 0.05);
    ExpectNear(k.ieee45, IeeeKneeVoltage(45), 0.05);
    ExpectNear(k.ieee30, IeeeKneeVoltage(30), 0.05);
}

// The origin a page puts first, a negative and a zero reading, every point twice, the points out
// of order, the source's voltage falling back at the top and two stray points change no knee.
TEST(KneePoint, RepeatedFallingAndInvalidPointsAreLeftOut) {
    const std::vector<ExcitationPoint> clean = Sampled(20, 300);
    std::vector<ExcitationPoint> dirty{{0, 0}, {-0.01, 50}, {0.02, 0}, {NAN, 60}};
    dirty.insert(dirty.end(), clean.rbegin(), clean.rend());
    dirty.insert(dirty.end(), clean.begin(), clean.end());
    const ExcitationPoint top = clean.back();
    dirty.push_back({top.current * 1.5, top.voltage * 0.97});
    dirty.push_back({top.current * 2, top.voltage * 0.9});
    dirty.push_back({SmoothCurrent(200), 120}); // stray: high current
    dirty.push_back({SmoothCurrent(60), 150});  // stray: low current
    const Knees a = AllKnees(clean), b = AllKnees(dirty);
    for (auto [x, y] : {std::pair(a.iec, b.iec), {a.ieee45, b.ieee45}, {a.ieee30, b.ieee30}}) {
        ASSERT_TRUE(x && y);
        EXPECT_DOUBLE_EQ(x->voltage, y->voltage);
        EXPECT_DOUBLE_EQ(x->current, y->current);
        EXPECT_EQ(dirty[y->below].voltage, clean[x->below].voltage);
    }
}

// The simulator builds its cores so that the IEC knee lies exactly at the knee it is given; its
// 255 points, in the instrument's reading steps, find it again.
TEST(KneePoint, IecKneeOfTheSimulatedCore) {
    std::vector<ExcitationPoint> curve;
    for (const auto& p : sim::ExcitationCurve(400, 0.05).Measure(600, 5, 255).points)
        curve.push_back({std::round(p.current * 1000) / 1000, std::round(p.voltage * 10) / 10});
    const auto knee = tarvex::IecKneePoint(curve);
    ASSERT_TRUE(knee.has_value());
    EXPECT_NEAR(knee->voltage, 400, 4);
    EXPECT_NEAR(knee->current, 0.05, 0.001);
}

TEST(KneePoint, NoneWhereTheMeasuredRangeDoesNotReachOne) {
    const struct {
        const char* what;
        std::vector<ExcitationPoint> curve;
    } cases[] = {
        {"below the knees only", Sampled(20, 90)},
        {"past the knees from the first point", Sampled(250, 400)},
        {"one point", {{0.05, 100}}},
        {"one point with the origin", {{0, 0}, {0.05, 100}}},
        {"no points", {}},
    };
    for (const auto& c : cases) {
        const Knees k = AllKnees(c.curve);
        EXPECT_FALSE(k.iec || k.ieee45 || k.ieee30) << c.what;
    }
}

// Figures of the measuring-class tables (IEC 61869-2 Tables 201/202, IEC 61869-3 Table 301).
TEST(AccuracyClass, LimitsAtTheMeasuredPoints) {
    const struct {
        AccuracyClass cls;
        double load;
        double ratio;
        std::optional<double> minutes;
    } cases[] = {
        {AccuracyClass::Ct0_1, 5, 0.4, 15},
        {AccuracyClass::Ct0_2, 5, 0.75, 30},
        {AccuracyClass::Ct0_2, 20, 0.35, 15},
        {AccuracyClass::Ct0_5, 100, 0.5, 30},
        {AccuracyClass::Ct1, 20, 1.5, 90},
        {AccuracyClass::Ct0_2S, 5, 0.35, 15},
        {AccuracyClass::Ct0_5S, 120, 0.5, 30},
        {AccuracyClass::Pt0_2, 80, 0.2, 10},
        {AccuracyClass::Pt0_5, 120, 0.5, 20},
        {AccuracyClass::Pt1, 100, 1.0, 40},
        {AccuracyClass::Pt3, 100, 3.0, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto verdict = tarvex::JudgeErrors({}, c.cls);
        const auto p =
            std::ranges::find(verdict.points, c.load, &tarvex::PointVerdict::loadPercent);
        ASSERT_NE(p, verdict.points.end()) << c.load;
        EXPECT_DOUBLE_EQ(p->ratioLimit, c.ratio) << tarvex::AccuracyClassName(c.cls).toStdString();
        EXPECT_EQ(p->phaseLimit, c.minutes) << tarvex::AccuracyClassName(c.cls).toStdString();
    }
}

TEST(AccuracyClass, Verdicts) {
    const struct {
        const char* what;
        AccuracyClass cls;
        tarvex::ErrorReply errors; // phase minutes, ratio per cent, as the instrument sends them
        std::vector<std::optional<bool>> points;
        std::optional<bool> overall;
    } cases[] = {
        {"on the limits, either sign",
         AccuracyClass::Ct0_2,
         {{-30, 15, 10, -10}, {0.75, -0.35, 0.2, 0.2}},
         {true, true, true, true},
         true},
        {"ratio just over at 20 %",
         AccuracyClass::Ct0_2,
         {{0, 0, 0, 0}, {0, 0.351, 0, 0}},
         {true, false, true, true},
         false},
        {"phase just over at 120 %",
         AccuracyClass::Ct0_5S,
         {{0, 0, 0, -30.001}, {0, 0, 0, 0}},
         {true, true, true, false},
         false},
        {"cut short: no ratio at 120 %",
         AccuracyClass::Ct1,
         {{0, 0, 0, 0}, {0, 0, 0}},
         {true, true, true, std::nullopt},
         std::nullopt},
        {"PT 0.5 fails at 80 %",
         AccuracyClass::Pt0_5,
         {{21, 0, 0}, {0.1, 0.1, 0.1}},
         {false, true, true},
         false},
        {"PT class 3 needs no phase",
         AccuracyClass::Pt3,
         {{}, {2.9, -3.0, 1}},
         {true, true, true},
         true},
        {"nothing arrived",
         AccuracyClass::Pt0_2,
         {},
         {std::nullopt, std::nullopt, std::nullopt},
         std::nullopt},
    };
    for (const auto& c : cases) {
        const auto verdict = tarvex::JudgeErrors(c.errors, c.cls);
        std::vector<std::optional<bool>> points;
        for (const auto& p : verdict.points)
            points.push_back(p.pass);
        EXPECT_EQ(points, c.points) << c.what;
        EXPECT_EQ(verdict.pass, c.overall) << c.what;
    }
}

TEST(AccuracyClass, SClassesNoteTheUnmeasuredOnePercentPoint) {
    for (bool pt : {false, true}) {
        for (AccuracyClass cls : tarvex::ClassesFor(pt)) {
            const QString name = tarvex::AccuracyClassName(cls);
            EXPECT_EQ(tarvex::JudgeErrors({}, cls).note.contains("1%"), name.endsWith('S'))
                << name.toStdString();
        }
    }
}

} // namespace
