#pragma once
#include <QByteArray>
#include <QString>

// The GBK bytes that excitation data files and reports are made of, and the C-library
// conversions the file reader applies to them. Independent of the process's locale.
namespace tarvex {

QByteArray ToGbk(const QString& text);
QString FromGbk(const QByteArray& bytes);

// Without leading (TrimLeft) or trailing (TrimRight) white space: space, TAB, CR, LF, VT, FF.
QByteArray TrimLeft(const QByteArray& text);
QByteArray TrimRight(const QByteArray& text);

// atoi: blanks, an optional sign and the leading digits; 0 when there are none. Saturates at
// the int range instead of overflowing.
int CAtoi(const QByteArray& text);
// atof: blanks, then the longest leading decimal number (sign, digits, point, exponent);
// 0 when there is none.
double CAtof(const QByteArray& text);

} // namespace tarvex
