#include "archivedvalue.h"

#include <QJsonArray>

namespace {

using namespace tarvex;

template <typename T> void PutOptional(QJsonObject& json, const char* name, std::optional<T> v) {
    if (v)
        json[name] = *v;
}

template <typename T> std::optional<T> GetOptional(const QJsonObject& json, const char* name) {
    const QJsonValue v = json[name];
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    if constexpr (std::is_same_v<T, bool>)
        return v.toBool();
    else if constexpr (std::is_same_v<T, int>)
        return v.toInt();
    else
        return v.toDouble();
}

QJsonArray NumberArray(const std::vector<double>& values) {
    QJsonArray array;
    for (const double v : values)
        array.append(v);
    return array;
}

std::vector<double> NumberVector(const QJsonValue& array) {
    std::vector<double> values;
    for (const QJsonValue& v : array.toArray())
        values.push_back(v.toDouble());
    return values;
}

QJsonObject Json(const ExcitationReply& r) {
    QJsonArray points;
    for (const ExcitationPoint& p : r.points)
        points.append(QJsonArray{p.current, p.voltage});
    return {{"type", "excitation"},
            {"kneeVoltage", r.kneeVoltage},
            {"kneeCurrent", r.kneeCurrent},
            {"claimedPoints", r.claimedPoints},
            {"points", points}};
}

QJsonObject Json(const CtRatioReply& r) {
    QJsonObject json{{"type", "ctRatio"}};
    PutOptional(json, "primaryCurrent", r.primaryCurrent);
    PutOptional(json, "secondaryCurrent", r.secondaryCurrent);
    PutOptional(json, "ratioPrimary", r.ratioPrimary);
    PutOptional(json, "ratioSecondary", r.ratioSecondary);
    PutOptional(json, "polarityPositive", r.polarityPositive);
    return json;
}

QJsonObject Json(const CtTapReply& r) {
    QJsonObject json{{"type", "ctTaps"}};
    PutOptional(json, "primaryCurrent", r.primaryCurrent);
    PutOptional(json, "secondaryCurrent", r.secondaryCurrent);
    if (r.taps) {
        QJsonArray taps;
        for (const CtTap& tap : r.taps->taps)
            taps.append(QJsonObject{{"ratioPrimary", tap.ratioPrimary},
                                    {"polarityPositive", tap.polarityPositive}});
        json["taps"] = taps;
        json["ratioSecondary"] = r.taps->ratioSecondary;
    }
    return json;
}

QJsonObject Json(const PtRatioReply& r) {
    QJsonObject json{{"type", "ptRatio"}};
    PutOptional(json, "primaryVoltage", r.primaryVoltage);
    PutOptional(json, "secondaryVoltage", r.secondaryVoltage);
    PutOptional(json, "ratioPrimary", r.ratioPrimary);
    PutOptional(json, "secondaryIndex", r.secondaryIndex);
    PutOptional(json, "polarityPositive", r.polarityPositive);
    return json;
}

QJsonObject Json(const ErrorReply& r) {
    return {{"type", "error"},
            {"phaseMinutes", NumberArray(r.phaseMinutes)},
            {"ratioPercent", NumberArray(r.ratioPercent)}};
}

QJsonObject Json(const BurdenResult& r) {
    return {{"type", "burden"}, {"value", r.value}};
}

QJsonObject Json(const ResistanceReply& r) {
    return {{"type", "resistance"}, {"value", r.value}, {"milliohm", r.milliohm}};
}

ExcitationReply Excitation(const QJsonObject& json) {
    ExcitationReply r;
    r.kneeVoltage = json["kneeVoltage"].toDouble();
    r.kneeCurrent = json["kneeCurrent"].toDouble();
    r.claimedPoints = json["claimedPoints"].toInt();
    for (const QJsonValue& point : json["points"].toArray())
        r.points.push_back({point[0].toDouble(), point[1].toDouble()});
    return r;
}

CtRatioReply CtRatio(const QJsonObject& json) {
    return {GetOptional<double>(json, "primaryCurrent"),
            GetOptional<double>(json, "secondaryCurrent"),
            GetOptional<double>(json, "ratioPrimary"), GetOptional<int>(json, "ratioSecondary"),
            GetOptional<bool>(json, "polarityPositive")};
}

CtTapReply CtTaps(const QJsonObject& json) {
    CtTapReply r{GetOptional<double>(json, "primaryCurrent"),
                 GetOptional<double>(json, "secondaryCurrent"), std::nullopt};
    const QJsonArray taps = json["taps"].toArray();
    if (taps.size() == kCtTapCount) {
        CtTapList list;
        for (int i = 0; i < kCtTapCount; ++i)
            list.taps[i] = {taps[i]["ratioPrimary"].toDouble(),
                            taps[i]["polarityPositive"].toBool()};
        list.ratioSecondary = json["ratioSecondary"].toInt();
        r.taps = list;
    }
    return r;
}

PtRatioReply PtRatio(const QJsonObject& json) {
    return {GetOptional<double>(json, "primaryVoltage"),
            GetOptional<double>(json, "secondaryVoltage"),
            GetOptional<double>(json, "ratioPrimary"), GetOptional<int>(json, "secondaryIndex"),
            GetOptional<bool>(json, "polarityPositive")};
}

} // namespace

QJsonObject ValueJson(const TestResult::Value& value) {
    return std::visit([](const auto& v) { return Json(v); }, value);
}

std::optional<TestResult::Value> ArchivedValue(const ArchivedResult& row) {
    const QJsonObject& json = row.keyValues;
    const QString type = json["type"].toString();
    if (type == "excitation")
        return Excitation(json);
    if (type == "ctRatio")
        return CtRatio(json);
    if (type == "ctTaps")
        return CtTaps(json);
    if (type == "ptRatio")
        return PtRatio(json);
    if (type == "error")
        return ErrorReply{NumberVector(json["phaseMinutes"]), NumberVector(json["ratioPercent"])};
    if (type == "burden")
        return BurdenResult{json["value"].toDouble()};
    if (type == "resistance")
        return ResistanceReply{json["value"].toDouble(), json["milliohm"].toBool()};
    return std::nullopt;
}

std::optional<TestResult> ArchivedTestResult(const ArchivedResult& row) {
    std::optional<TestResult::Value> value = ArchivedValue(row);
    if (!value)
        return std::nullopt;
    const bool record = row.source == ResultSource::UploadedRecord;
    return TestResult{std::move(*value), record ? row.recordTestTime : row.recordedAt, row.source,
                      row.parameters.toVariantMap()};
}
