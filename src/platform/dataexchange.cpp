#include "dataexchange.h"

#include "dlgbase.h"
#include "dlgitems.h"
#include "msgbox.h"

#include <QByteArray>
#include <QtDebug>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace {

const char* const kNotAnInteger = "请输入一个整数。";
const char* const kIntegerRange = "请输入一个介于 %1 和 %2 之间的整数。";
const char* const kNotANumber = "请输入一个数字。";
const char* const kTooLong = "请输入不超过 %1 个字符。";

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Decimal digits alone; a number beyond the 32-bit range saturates, as the framework's
// conversion does (the range check then refuses it).
std::optional<int> IntDigits(std::string_view s, bool negative) {
    if (s.empty())
        return std::nullopt;
    long long magnitude = 0;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = std::min<long long>(magnitude * 10 + (c - '0'), 1LL << 32);
    }
    return int(std::clamp<long long>(negative ? -magnitude : magnitude, INT_MIN, INT_MAX));
}

// Decimal digits with an optional point and exponent; no "inf", "nan" or hexadecimal forms.
std::optional<double> DecimalDigits(std::string_view s, bool negative) {
    if (s.empty() || !(s.front() == '.' || (s.front() >= '0' && s.front() <= '9')))
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// Reads a number the framework's way: blanks around it, an optional sign, then what digits
// accepts, and nothing else. Like the framework, a text whose value is 0 must begin with the
// digit 0 ("-0" and ".0" are refused).
template <class T>
std::optional<T> ParseNumber(const QString& text,
                             std::optional<T> (*digits)(std::string_view, bool negative)) {
    const QByteArray utf8 = text.toUtf8();
    std::string_view s = TrimBlanks(std::string_view(utf8.constData(), size_t(utf8.size())));
    if (s.empty())
        return std::nullopt;
    const char first = s.front();
    if (first == '-' || first == '+')
        s.remove_prefix(1);
    const std::optional<T> value = digits(s, first == '-');
    if (!value || (*value == T(0) && first != '0'))
        return std::nullopt;
    return value;
}

std::optional<int> ParseInt(const QString& text) {
    return ParseNumber(text, IntDigits);
}
std::optional<double> ParseDouble(const QString& text) {
    return ParseNumber(text, DecimalDigits);
}

QString FormatSignificant(double value, int digits) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

void Refuse(CDataExchange& dx, const QString& message) {
    AfxMessageBox(message, MB_OK | MB_ICONWARNING);
    dx.Fail();
}

// The course of every DDX_Text: on load the control shows format(value); on save the text is
// parsed into value, or refused with message.
template <class T, class Format, class Parse>
void ExchangeText(CDataExchange& dx, int id, T& value, Format format, Parse parse,
                  const char* message) {
    if (dx.Failed())
        return;
    QWidget* control = dx.PrepareEditCtrl(id);
    if (!control)
        return;
    if (!dx.m_bSaveAndValidate) {
        tarvex::SetItemText(control, format(value));
        return;
    }
    const std::optional<T> parsed = parse(tarvex::ItemText(control));
    if (!parsed) {
        Refuse(dx, message);
        return;
    }
    value = *parsed;
}

// A decimal of type T with the given number of significant digits on show.
template <class T> void ExchangeDecimal(CDataExchange& dx, int id, T& value, int digits) {
    ExchangeText(
        dx, id, value, [digits](T v) { return FormatSignificant(v, digits); },
        [](const QString& text) -> std::optional<T> {
            const std::optional<double> parsed = ParseDouble(text);
            if (!parsed || std::fabs(*parsed) > double(std::numeric_limits<T>::max()))
                return std::nullopt;
            return T(*parsed);
        },
        kNotANumber);
}

} // namespace

QWidget* CDataExchange::PrepareCtrl(int id) {
    return Prepare(id, false);
}
QWidget* CDataExchange::PrepareEditCtrl(int id) {
    return Prepare(id, true);
}

QWidget* CDataExchange::Prepare(int id, bool edit) {
    QWidget* control = m_pDlg ? m_pDlg->GetDlgItem(id) : tarvex::FindDlgItem(m_pDlgWnd, id);
    if (!control)
        qWarning("data exchange: no control %s", qPrintable(tarvex::DlgItemName(id)));
    m_pLastControl = control;
    m_bEditLastControl = edit;
    return control;
}

void CDataExchange::Fail() {
    m_bFailed = true;
    if (m_bSaveAndValidate && m_pLastControl)
        tarvex::FocusItem(m_pLastControl, m_bEditLastControl);
}

void DDX_Text(CDataExchange& dx, int id, int& value) {
    ExchangeText(
        dx, id, value, [](int v) { return QString::number(v); }, ParseInt, kNotAnInteger);
}

void DDX_Text(CDataExchange& dx, int id, float& value) {
    ExchangeDecimal(dx, id, value, FLT_DIG);
}

void DDX_Text(CDataExchange& dx, int id, double& value) {
    ExchangeDecimal(dx, id, value, DBL_DIG);
}

void DDX_Text(CDataExchange& dx, int id, QString& value) {
    ExchangeText(
        dx, id, value, [](const QString& v) { return v; },
        [](const QString& text) { return std::optional<QString>(text); }, nullptr);
}

void DDV_MinMaxInt(CDataExchange& dx, int value, int min, int max) {
    if (dx.Failed() || !dx.m_bSaveAndValidate)
        return;
    if (value < min || value > max)
        Refuse(dx, QString(kIntegerRange).arg(min).arg(max));
}

void DDV_MaxChars(CDataExchange& dx, const QString& value, int maxChars) {
    if (dx.Failed())
        return;
    if (dx.m_bSaveAndValidate && value.size() > maxChars) {
        Refuse(dx, QString(kTooLong).arg(maxChars));
        return;
    }
    if (dx.LastControl() && dx.LastControlIsEdit())
        tarvex::LimitItemText(dx.LastControl(), maxChars);
}
