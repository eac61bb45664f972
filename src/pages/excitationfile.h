#pragma once
#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// Reading an excitation data file: the labelled head lines ("测试电压：200V", ...), the header
// "I(A)" TAB "U(V)" and one line per point, current TAB voltage. Any thread (no widgets).
namespace tarvex {

struct ExcitationFilePoint {
    float current = 0; // A
    float voltage = 0; // V
};

// The texts after the labels as the file writes them, without trailing white space and without
// the unit ("V", "A") that ends them; empty when a label is missing.
struct ExcitationFileContents {
    QString testTime;
    QString testVoltage;
    QString testCurrent;
    QString kneeVoltage;
    QString kneeCurrent;
    QString lineNo;
    QString groupNo;
    QString phase;
    std::vector<ExcitationFilePoint> points; // in file order
};

// The file's bytes up to the first NUL, in UTF-8 or GBK, lines ended by LF or CR LF (the last
// one may have no ending). A label counts at the start of a line before the header, the first
// such line wins; every non-blank line after the header is a point, a text that is no number
// reading as 0. Nothing when the file holds none of the labels and no point: it is no data file.
// Linear in the size of the file.
std::optional<ExcitationFileContents> ReadExcitationFile(const QByteArray& bytes);

// A number of the file as C's atof reads it, as a float; 0 when it is none or beyond the float
// range.
float FileNumber(QStringView text);

} // namespace tarvex
