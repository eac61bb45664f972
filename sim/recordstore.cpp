#include "recordstore.h"

#include "excitationcurve.h"
#include "replyframe.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

std::uint16_t Raw(double value) {
    return static_cast<std::uint16_t>(std::clamp(std::round(value), 0.0, 65535.0));
}

HistoryRecord Curve(const ExcitationResult& result, int testVoltage, int testCurrent) {
    HistoryRecord record;
    record.testVoltage = testVoltage;
    record.testCurrent = testCurrent;
    for (const ExcitationPoint& p : result.points) {
        record.currents.push_back(ScaledRaw(p.current, 1000));
        record.voltages.push_back(ScaledRaw(p.voltage, 10));
    }
    return record;
}

struct Stamp {
    int year, month, day, hour, minute, second, line, group, phase;
    const char* text1;
    const char* text2;
    const char* text3;
};

HistoryRecord Stamped(HistoryRecord record, const Stamp& s) {
    record.year = s.year;
    record.month = s.month;
    record.day = s.day;
    record.hour = s.hour;
    record.minute = s.minute;
    record.second = s.second;
    record.lineNo = s.line;
    record.groupNo = s.group;
    record.phase = s.phase;
    record.text1 = s.text1;
    record.text2 = s.text2;
    record.text3 = s.text3;
    return record;
}

} // namespace

HistoryRecord RecordStore::CtRecord(const ExcitationResult& result, int testVoltage,
                                    int testCurrent) {
    HistoryRecord record = Curve(result, testVoltage, testCurrent);
    record.kneeVoltageRaw = Raw(result.kneeVoltage * 25.0);
    record.kneeCurrentRaw = Raw(result.kneeCurrent * 600.0);
    return record;
}

HistoryRecord RecordStore::PtRecord(const ExcitationResult& result, int testVoltage,
                                    int testCurrent) {
    HistoryRecord record = Curve(result, testVoltage, testCurrent);
    record.kneeVoltageRaw = Raw(result.kneeVoltage);
    record.kneeCurrentRaw = Raw(result.kneeCurrent);
    return record;
}

RecordStore RecordStore::Default() {
    RecordStore store;
    // Three phases of one CT set at a 110 kV substation, then a protection core at a 35 kV one.
    const struct {
        double kneeV, kneeI;
        int testV, testI, points;
        Stamp stamp;
    } ct[] = {
        {118,
         0.046,
         200,
         1,
         24,
         {24, 3, 12, 9, 41, 27, 3, 1, 0, "TX20240031", "LIWEI", "XINCUN110K"}},
        {121,
         0.048,
         200,
         1,
         24,
         {24, 3, 12, 10, 5, 52, 3, 1, 1, "TX20240031", "LIWEI", "XINCUN110K"}},
        {116,
         0.051,
         200,
         1,
         24,
         {24, 3, 12, 10, 29, 14, 3, 1, 2, "TX20240031", "LIWEI", "XINCUN110K"}},
        {265,
         0.021,
         400,
         1,
         30,
         {24, 5, 8, 14, 17, 3, 12, 2, 0, "TX20240057", "WANGFANG", "DONGJIAO35"}},
    };
    for (const auto& r : ct) {
        const ExcitationResult result =
            ExcitationCurve(r.kneeV, r.kneeI).Measure(r.testV, r.testI, r.points);
        store.m_ct.push_back(Stamped(CtRecord(result, r.testV, r.testI), r.stamp));
    }
    // PT secondaries excited up to 5 A: their knees are whole volts and amperes.
    const struct {
        double kneeV, kneeI;
        int testV, testI, points;
        Stamp stamp;
    } pt[] = {
        {112,
         1,
         150,
         5,
         20,
         {23, 11, 20, 15, 2, 44, 7, 1, 0, "PT20231102", "ZHAOLEI", "NANHU10KV"}},
        {115,
         1,
         150,
         5,
         20,
         {23, 11, 20, 15, 20, 9, 7, 1, 1, "PT20231102", "ZHAOLEI", "NANHU10KV"}},
        {98, 2, 150, 5, 25, {24, 6, 2, 8, 55, 31, 2, 3, 2, "PT20240604", "SUNQIANG", "BEIYUAN35K"}},
    };
    for (const auto& r : pt) {
        const ExcitationResult result =
            ExcitationCurve(r.kneeV, r.kneeI).Measure(r.testV, r.testI, r.points);
        store.m_pt.push_back(Stamped(PtRecord(result, r.testV, r.testI), r.stamp));
    }
    return store;
}

} // namespace sim
