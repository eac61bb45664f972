#include "platform/gbktext.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <charconv>
#include <climits>

namespace tarvex {
namespace {

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The text after leading blanks and one optional '+' (from_chars takes '-' itself).
const char* SkipBlanksAndPlus(const char* p, const char* end) {
    while (p != end && IsCSpace(*p))
        ++p;
    if (p != end && *p == '+' && p + 1 != end && *(p + 1) != '-')
        ++p;
    return p;
}

} // namespace

QByteArray ToGbk(const QString& text) {
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString FromGbk(const QByteArray& bytes) {
    QStringDecoder decoder("GBK");
    const QString text = decoder.decode(bytes);
    return text;
}

QString FromUtf8OrGbk(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? FromGbk(bytes) : text;
}

int CAtoi(const QByteArray& text) {
    const char* end = text.constData() + text.size();
    const char* p = SkipBlanksAndPlus(text.constData(), end);
    bool negative = false;
    if (p != end && *p == '-') {
        negative = true;
        ++p;
    }
    long long value = 0;
    for (; p != end && *p >= '0' && *p <= '9'; ++p)
        value = std::min<long long>(value * 10 + (*p - '0'), 1LL << 32);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

double CAtof(const QByteArray& text) {
    const char* end = text.constData() + text.size();
    const char* p = SkipBlanksAndPlus(text.constData(), end);
    double value = 0;
    const std::from_chars_result read = std::from_chars(p, end, value, std::chars_format::general);
    // Beyond the range of a double (1e999, 1e-999) counts as no number: nothing in a data file
    // written by the program comes near it.
    return read.ec == std::errc() ? value : 0;
}

} // namespace tarvex
