#pragma once
#include <QByteArray>
#include <QString>

// The GBK bytes that excitation data files and reports are made of, and the C-library
// conversions the file reader applies to them. Independent of the process's locale.
namespace tarvex {

QByteArray ToGbk(const QString& text);
QString FromGbk(const QByteArray& bytes);
// UTF-8 (without a byte-order mark) when the bytes are valid UTF-8, else GBK. A GBK text with
// Chinese in it is never valid UTF-8, and ASCII reads the same in both.
QString FromUtf8OrGbk(const QByteArray& bytes);

// atoi: blanks, an optional sign and the leading digits; 0 when there are none. Saturates at
// the int range instead of overflowing.
int CAtoi(const QByteArray& text);
// atof: blanks, then the longest leading decimal number (sign, digits, point, exponent);
// 0 when there is none.
double CAtof(const QByteArray& text);

} // namespace tarvex
