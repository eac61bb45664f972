#include "accuracyclass.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tarvex {
namespace {

using Limits = std::array<std::optional<double>, 5>; // none where the class sets no limit

// Current transformers, IEC 61869-2:2012 (GB/T 20840.2-2014) 5.6.201.3, Table 201 (classes 0.1
// to 1) and Table 202 (classes 0.2S and 0.5S): limits of ratio error (± %) and phase
// displacement (± minutes) at the per cent of rated current below, for any burden from 25 % to
// 100 % of the rated burden.
constexpr std::array kCtLoadPercent{1.0, 5.0, 20.0, 100.0, 120.0};
struct CtClass {
    AccuracyClass cls;
    const char* name;
    Limits ratioPercent;
    Limits phaseMinutes;
};
const std::array<CtClass, 6> kCtClasses{{
    {AccuracyClass::Ct0_1, "0.1", {std::nullopt, 0.4, 0.2, 0.1, 0.1}, {std::nullopt, 15, 8, 5, 5}},
    {AccuracyClass::Ct0_2,
     "0.2",
     {std::nullopt, 0.75, 0.35, 0.2, 0.2},
     {std::nullopt, 30, 15, 10, 10}},
    {AccuracyClass::Ct0_5,
     "0.5",
     {std::nullopt, 1.5, 0.75, 0.5, 0.5},
     {std::nullopt, 90, 45, 30, 30}},
    {AccuracyClass::Ct1, "1", {std::nullopt, 3.0, 1.5, 1.0, 1.0}, {std::nullopt, 180, 90, 60, 60}},
    {AccuracyClass::Ct0_2S, "0.2S", {0.75, 0.35, 0.2, 0.2, 0.2}, {30, 15, 10, 10, 10}},
    {AccuracyClass::Ct0_5S, "0.5S", {1.5, 0.75, 0.5, 0.5, 0.5}, {90, 45, 30, 30, 30}},
}};

// Voltage transformers, IEC 61869-3:2011 (GB/T 20840.3-2013) 5.6.301.3, Table 301: limits of
// ratio error (± %) and phase displacement (± minutes) at any voltage from 80 % to 120 % of the
// rated voltage, burden 25 % to 100 % of the rated burden; class 3 has no phase limit.
struct PtClass {
    AccuracyClass cls;
    const char* name;
    double ratioPercent;
    std::optional<double> phaseMinutes;
};
const std::array<PtClass, 5> kPtClasses{{
    {AccuracyClass::Pt0_1, "0.1", 0.1, 5},
    {AccuracyClass::Pt0_2, "0.2", 0.2, 10},
    {AccuracyClass::Pt0_5, "0.5", 0.5, 20},
    {AccuracyClass::Pt1, "1", 1.0, 40},
    {AccuracyClass::Pt3, "3", 3.0, std::nullopt},
}};

// The load points the instrument measures, in the order of its error replies.
constexpr std::array kCtMeasured{5.0, 20.0, 100.0, 120.0};
constexpr std::array kPtMeasured{80.0, 100.0, 120.0};

constexpr std::array kCtList{AccuracyClass::Ct0_1, AccuracyClass::Ct0_2,  AccuracyClass::Ct0_5,
                             AccuracyClass::Ct1,   AccuracyClass::Ct0_2S, AccuracyClass::Ct0_5S};
constexpr std::array kPtList{AccuracyClass::Pt0_1, AccuracyClass::Pt0_2, AccuracyClass::Pt0_5,
                             AccuracyClass::Pt1, AccuracyClass::Pt3};

// The values arrive in thousandths; the margin only keeps a value equal to a limit inside it.
constexpr double kMargin = 1e-9;

const CtClass& Ct(AccuracyClass cls) {
    return *std::ranges::find(kCtClasses, cls, &CtClass::cls);
}

const PtClass& Pt(AccuracyClass cls) {
    return *std::ranges::find(kPtClasses, cls, &PtClass::cls);
}

// The limits at the measured points, with nothing yet measured filled in.
std::vector<PointVerdict> LimitsAtMeasuredPoints(AccuracyClass cls) {
    std::vector<PointVerdict> points;
    if (IsPtClass(cls)) {
        for (double load : kPtMeasured)
            points.push_back({load, {}, {}, Pt(cls).ratioPercent, Pt(cls).phaseMinutes, {}});
        return points;
    }
    for (double load : kCtMeasured) {
        const auto column = std::ranges::find(kCtLoadPercent, load) - kCtLoadPercent.begin();
        points.push_back(
            {load, {}, {}, *Ct(cls).ratioPercent[column], Ct(cls).phaseMinutes[column], {}});
    }
    return points;
}

bool Within(double value, double limit) {
    return std::abs(value) <= limit + kMargin;
}

std::optional<bool> Judge(const PointVerdict& p) {
    if (!p.ratioErrorPercent || (p.phaseLimit && !p.phaseMinutes))
        return std::nullopt;
    return Within(*p.ratioErrorPercent, p.ratioLimit) &&
           (!p.phaseLimit || Within(*p.phaseMinutes, *p.phaseLimit));
}

std::optional<double> At(const std::vector<double>& values, std::size_t i) {
    return i < values.size() ? std::optional<double>(values[i]) : std::nullopt;
}

} // namespace

QString AccuracyClassName(AccuracyClass cls) {
    return QString::fromLatin1(IsPtClass(cls) ? Pt(cls).name : Ct(cls).name);
}

std::span<const AccuracyClass> ClassesFor(bool pt) {
    if (pt)
        return kPtList;
    return kCtList;
}

bool IsPtClass(AccuracyClass cls) {
    return std::ranges::find(kPtList, cls) != kPtList.end();
}

ErrorVerdict JudgeErrors(const ErrorReply& errors, AccuracyClass cls) {
    ErrorVerdict verdict;
    verdict.points = LimitsAtMeasuredPoints(cls);
    bool allJudged = true;
    bool allPass = true;
    for (std::size_t i = 0; i < verdict.points.size(); ++i) {
        PointVerdict& p = verdict.points[i];
        p.ratioErrorPercent = At(errors.ratioPercent, i);
        p.phaseMinutes = At(errors.phaseMinutes, i);
        p.pass = Judge(p);
        allJudged = allJudged && p.pass.has_value();
        allPass = allPass && p.pass.value_or(false);
    }
    if (allJudged)
        verdict.pass = allPass;
    if (!IsPtClass(cls) && Ct(cls).ratioPercent[0])
        verdict.note = QStringLiteral("%1 级在 1% 额定电流处的限值未判定：仪器不测量该点")
                           .arg(AccuracyClassName(cls));
    return verdict;
}

} // namespace tarvex
