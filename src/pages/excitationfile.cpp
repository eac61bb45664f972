#include "pages/excitationfile.h"

#include "platform/gbktext.h"

#include <QList>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace tarvex {
namespace {

struct Label {
    QStringView text;
    QStringView unit;
    QString ExcitationFileContents::*field;
};

const Label kLabels[] = {
    {u"测试时间：", {}, &ExcitationFileContents::testTime},
    {u"测试电压：", u"V", &ExcitationFileContents::testVoltage},
    {u"测试电流：", u"A", &ExcitationFileContents::testCurrent},
    {u"拐点电压：", u"V", &ExcitationFileContents::kneeVoltage},
    {u"拐点电流：", u"A", &ExcitationFileContents::kneeCurrent},
    {u"编号：", {}, &ExcitationFileContents::lineNo},
    {u"组号：", {}, &ExcitationFileContents::groupNo},
    {u"相序：", {}, &ExcitationFileContents::phase},
};

// Trailing white space, a CR before the LF included.
QStringView TrimmedRight(QStringView text) {
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

// "I(A)" TAB "U(V)" opens the points; a repeated header is not a point either.
bool IsHeader(QStringView line) {
    return line.trimmed().startsWith(u"I(A)");
}

QString FieldText(QStringView line, const Label& label) {
    QStringView value = TrimmedRight(line.mid(label.text.size()));
    if (!label.unit.isEmpty() && value.endsWith(label.unit))
        value = TrimmedRight(value.chopped(label.unit.size()));
    return value.toString();
}

// Current TAB voltage; a line without a TAB is read as a voltage alone.
ExcitationFilePoint PointOf(QStringView line) {
    line = line.trimmed();
    const qsizetype tab = line.indexOf(u'\t');
    if (tab < 0)
        return {0, FileNumber(line)};
    return {FileNumber(line.left(tab)), FileNumber(line.mid(tab + 1))};
}

} // namespace

std::optional<ExcitationFileContents> ReadExcitationFile(const QByteArray& bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    const QString text = FromUtf8OrGbk(nul < 0 ? bytes : bytes.left(nul));
    // Views into the text: one pass to split, no copies of the rest per line.
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    const auto header = std::find_if(lines.begin(), lines.end(), IsHeader);

    ExcitationFileContents file;
    bool labelled = false;
    for (const Label& label : kLabels) {
        const auto line = std::find_if(
            lines.begin(), header, [&label](QStringView l) { return l.startsWith(label.text); });
        if (line != header) {
            file.*label.field = FieldText(*line, label);
            labelled = true;
        }
    }
    for (auto line = header; line != lines.end(); ++line) {
        if (!IsHeader(*line) && !line->trimmed().isEmpty())
            file.points.push_back(PointOf(*line));
    }
    if (!labelled && file.points.empty())
        return std::nullopt;
    return file;
}

float FileNumber(QStringView text) {
    const double value = CAtof(text.toUtf8());
    return std::fabs(value) <= FLT_MAX ? static_cast<float>(value) : 0.0f;
}

} // namespace tarvex
