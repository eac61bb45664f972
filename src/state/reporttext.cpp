#include "reporttext.h"

#include "replyfields.h"

namespace tarvex {
namespace {

const char* const kCRLF = "\r\n";

template <typename Value> const Value* ValueOf(const TestResult* result) {
    return result ? std::get_if<Value>(&result->value) : nullptr;
}

// The time a report gives: a record's or a file's own text, otherwise when it was measured.
QString TestTimeText(const TestResult* result) {
    if (!result)
        return {};
    const QVariant own = result->parameters.value("testTime");
    return own.isValid() ? own.toString()
                         : result->arrived.toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
}

// A value the reply carried, in its text; empty when it did not arrive.
template <typename T, typename Format>
QString FieldText(const std::optional<T>& value, Format format) {
    return value ? format(*value) : QString();
}

QString IntegerText(int value) {
    return QString::number(value);
}

// The list rows of the six taps, or six empty rows while they have not all arrived.
QString TapRows(const CtTapReply* reply) {
    QString rows;
    for (int tap = 0; tap < kCtTapCount; ++tap) {
        if (reply && reply->taps) {
            const CtTap& t = reply->taps->taps[tap];
            rows += TapNameText(tap + 1) + '\t' +
                    TapRatioText(t.ratioPrimary, reply->taps->ratioSecondary) + '\t' +
                    PolarityText(t.polarityPositive);
        } else {
            rows += "\t\t";
        }
        rows += kCRLF;
    }
    return rows;
}

} // namespace

QString ExcitationReportText(const TestResult* result, const ExcitationReportEntries& entries) {
    const auto* curve = ValueOf<ExcitationReply>(result);
    // As the page holds them: floats, a curve from the instrument cut to 0.5 V steps and opened
    // by the origin; a data file's points as written.
    const float kneeVoltage = curve ? static_cast<float>(curve->kneeVoltage) : 0.0f;
    const float kneeCurrent = curve ? static_cast<float>(curve->kneeCurrent) : 0.0f;
    QString text;
    text += "测试时间：" + TestTimeText(result) + kCRLF;
    text += QString::asprintf("测试电压：%dV\r\n", entries.testVoltage);
    text += QString::asprintf("测试电流：%dA\r\n", entries.testCurrent);
    text += QString::asprintf("拐点电压：%.1fV\r\n", double(kneeVoltage));
    text += QString::asprintf("拐点电流：%.3fA\r\n", double(kneeCurrent));
    text += "编号：" + entries.line + kCRLF;
    text += "组号：" + entries.group + kCRLF;
    text += "相序：" + entries.phase + kCRLF;
    text += "I(A)\tU(V)\r\n";
    if (!curve)
        return text;
    if (result->source != ResultSource::DataFile)
        text += "0.000\t0.0\r\n";
    const bool fromInstrument = result->source == ResultSource::Instrument;
    for (const ExcitationPoint& point : curve->points) {
        const float current = static_cast<float>(point.current);
        const float voltage = ShownCurveVoltage(fromInstrument, point.voltage);
        text += QString::asprintf("%0.3f\t%0.1f\r\n", double(current), double(voltage));
    }
    return text;
}

QString CtRatioReportText(const TestResult* result, bool singleMode) {
    const auto* single = ValueOf<CtRatioReply>(result);
    const auto* taps = ValueOf<CtTapReply>(result);
    const std::optional<double> primary = single ? single->primaryCurrent
                                          : taps ? taps->primaryCurrent
                                                 : std::nullopt;
    const std::optional<double> secondary = single ? single->secondaryCurrent
                                            : taps ? taps->secondaryCurrent
                                                   : std::nullopt;
    const QString currents =
        QString("一次：%1A\r\n二次：%2A\r\n")
            .arg(FieldText(primary, OneDecimalText), FieldText(secondary, SecondaryCurrentText));
    if (!singleMode)
        return currents + "组号\t变比\t极性\r\n" + TapRows(taps);
    const CtRatioReply ratio = single ? *single : CtRatioReply{};
    return currents + QString("变比：%1A/%2A\r\n极性：%3")
                          .arg(FieldText(ratio.ratioPrimary, OneDecimalText),
                               FieldText(ratio.ratioSecondary, IntegerText),
                               FieldText(ratio.polarityPositive, PolarityText));
}

QString PtRatioReportText(const TestResult* result) {
    const auto* reply = ValueOf<PtRatioReply>(result);
    const PtRatioReply ratio = reply ? *reply : PtRatioReply{};
    return QString("一次：%1V\r\n二次：%2V\r\n变比：%3kV/%4V\r\n极性：%5")
        .arg(FieldText(ratio.primaryVoltage, OneDecimalText),
             FieldText(ratio.secondaryVoltage, TwoDecimalText),
             FieldText(ratio.ratioPrimary, TwoDecimalText),
             FieldText(ratio.secondaryIndex, RatedSecondaryText),
             FieldText(ratio.polarityPositive, PolarityText));
}

} // namespace tarvex
