#include "replyfields.h"

#include "replydecoders.h"

#include <array>

namespace tarvex {

QString PolarityText(bool positive) {
    return positive ? "+" : "-";
}

QString RatedSecondaryText(int index) {
    static const std::array<const char*, 4> texts = {"100", "100/3", "100/sqrt(3)", "220"};
    if (index >= 0 && index < int(texts.size()))
        return texts[index];
    return QString::number(index);
}

// QString::number with 'f' formats as printf's "%.Nf" does, without parsing a format: a list
// of many thousand points is formatted at once.
QString CurveCurrentText(float amperes) {
    return QString::number(double(amperes), 'f', 3);
}

QString CurveVoltageText(float volts) {
    return QString::number(double(volts), 'f', 1);
}

float ShownCurveVoltage(bool fromInstrument, double volts) {
    return static_cast<float>(fromInstrument ? VoltsCutToHalf(volts) : volts);
}

QString KneeVoltageText(float volts) {
    return QString::asprintf("%.1f", double(volts));
}

QString KneeCurrentText(float amperes) {
    return QString::asprintf("%.3f", double(amperes));
}

QString ErrorValueText(double value) {
    return QString::asprintf("%0.3f", value);
}

QString OneDecimalText(double value) {
    return QString::asprintf("%0.1f", value);
}

QString SecondaryCurrentText(double amperes) {
    return QString::asprintf("%0.3f", amperes);
}

QString TwoDecimalText(double value) {
    return QString::asprintf("%0.2f", value);
}

QString TapNameText(int tap) {
    return QString::asprintf("L%d-K%d", tap, tap);
}

QString TapRatioText(double primary, int secondary) {
    return QString::asprintf("%0.1f/%d", primary, secondary);
}

} // namespace tarvex
