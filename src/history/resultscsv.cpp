#include "resultscsv.h"

#include "link/replyfields.h"
#include "link/testkinds.h"

#include <QJsonValue>
#include <QStringList>

#include <array>
#include <variant>

namespace {

enum Column {
    kTime,
    kKind,
    kSource,
    kRecordTime,
    kLine,
    kGroup,
    kPhase,
    kDevice,
    kTester,
    kSite,
    kModel,
    kParameters,
    kKneeVoltage,
    kKneeCurrent,
    kPointNo,
    kCurrent,
    kVoltage,
    kPrimaryCurrent,
    kSecondaryCurrent,
    kPrimaryVoltage,
    kSecondaryVoltage,
    kRatio,
    kPolarity,
    kRatioError5,
    kRatioError20,
    kRatioError80,
    kRatioError100,
    kRatioError120,
    kPhaseError5,
    kPhaseError20,
    kPhaseError80,
    kPhaseError100,
    kPhaseError120,
    kBurdenOhm,
    kBurdenVa,
    kResistance,
    kColumnCount
};

const std::array<const char*, kColumnCount> kHeaders = {
    "时间",        "测试类型",     "来源",         "记录测试时间", "线路",         "组别",
    "相别",        "设备编号",     "测试员",       "地点",         "仪器型号",     "测试参数",
    "拐点电压(V)", "拐点电流(A)",  "点号",         "电流(A)",      "电压(V)",      "一次电流(A)",
    "二次电流(A)", "一次电压(V)",  "二次电压(V)",  "变比",         "极性",         "比差 5%(%)",
    "比差 20%(%)", "比差 80%(%)",  "比差 100%(%)", "比差 120%(%)", "角差 5%(′)",   "角差 20%(′)",
    "角差 80%(′)", "角差 100%(′)", "角差 120%(′)", "二次负荷(Ω)",  "二次负荷(VA)", "直流电阻(Ω)",
};

using Row = std::array<QString, kColumnCount>;

// The load points of an error reply in the order its values come, as columns.
constexpr std::array<Column, 4> kCtRatioErrorColumns = {kRatioError5, kRatioError20, kRatioError100,
                                                        kRatioError120};
constexpr std::array<Column, 4> kCtPhaseErrorColumns = {kPhaseError5, kPhaseError20, kPhaseError100,
                                                        kPhaseError120};
constexpr std::array<Column, 3> kPtRatioErrorColumns = {kRatioError80, kRatioError100,
                                                        kRatioError120};
constexpr std::array<Column, 3> kPtPhaseErrorColumns = {kPhaseError80, kPhaseError100,
                                                        kPhaseError120};

// A decoded value in full: they are whole raw numbers divided by 10, 100 or 1000.
QString Number(double value) {
    return QString::number(value, 'g', 10);
}

void SetNumber(Row& row, Column column, const std::optional<double>& value) {
    if (value)
        row[column] = Number(*value);
}

// Local time with its offset from UTC, to the second: 2026-12-09T20:10:11+08:00.
QString IsoTime(const QDateTime& time) {
    if (!time.isValid())
        return {};
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

QString SourceText(ResultSource source) {
    switch (source) {
    case ResultSource::Instrument:
        return "测试";
    case ResultSource::UploadedRecord:
        return "上传记录";
    case ResultSource::DataFile:
        return "数据文件";
    }
    return QString::number(static_cast<int>(source));
}

QString KindName(int kind) {
    const tarvex::TestKindInfo* info = tarvex::FindTestKind(kind);
    return info ? QString::fromUtf8(info->name) : QString::number(kind);
}

QString ParametersText(const QJsonObject& parameters) {
    QStringList pairs;
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        const QJsonValue value = it.value();
        const QString text =
            value.isDouble() ? Number(value.toDouble()) : value.toVariant().toString();
        pairs << it.key() + "=" + text;
    }
    return pairs.join("；");
}

Row Metadata(const ArchivedResult& r) {
    Row row;
    row[kTime] = IsoTime(r.recordedAt);
    row[kKind] = KindName(r.testKind);
    row[kSource] = SourceText(r.source);
    row[kRecordTime] = IsoTime(r.recordTestTime);
    row[kLine] = r.line;
    row[kGroup] = r.group;
    row[kPhase] = r.phase;
    row[kDevice] = r.deviceNumber;
    row[kTester] = r.tester;
    row[kSite] = r.site;
    row[kModel] = r.instrumentModel;
    row[kParameters] = ParametersText(r.parameters);
    return row;
}

template <std::size_t N>
void SetList(Row& row, const std::array<Column, N>& columns, const std::vector<double>& values) {
    for (std::size_t i = 0; i < N && i < values.size(); ++i)
        row[columns[i]] = Number(values[i]);
}

// The rows of one result, each starting from its metadata.
class RowsOf {
  public:
    RowsOf(const ArchivedResult& result, QList<Row>& rows)
        : m_kind(result.testKind), m_base(Metadata(result)), m_rows(rows) {}

    void operator()(const tarvex::ExcitationReply& r) {
        m_base[kKneeVoltage] = Number(r.kneeVoltage);
        m_base[kKneeCurrent] = Number(r.kneeCurrent);
        if (r.points.empty())
            m_rows << m_base;
        for (std::size_t i = 0; i < r.points.size(); ++i) {
            Row row = m_base;
            row[kPointNo] = QString::number(i + 1);
            row[kCurrent] = Number(r.points[i].current);
            row[kVoltage] = Number(r.points[i].voltage);
            m_rows << row;
        }
    }
    void operator()(const tarvex::CtRatioReply& r) {
        SetNumber(m_base, kPrimaryCurrent, r.primaryCurrent);
        SetNumber(m_base, kSecondaryCurrent, r.secondaryCurrent);
        if (r.ratioPrimary && r.ratioSecondary)
            m_base[kRatio] = QString::asprintf("%0.1f/%d", *r.ratioPrimary, *r.ratioSecondary);
        if (r.polarityPositive)
            m_base[kPolarity] = tarvex::PolarityText(*r.polarityPositive);
        m_rows << m_base;
    }
    void operator()(const tarvex::CtTapReply& r) {
        SetNumber(m_base, kPrimaryCurrent, r.primaryCurrent);
        SetNumber(m_base, kSecondaryCurrent, r.secondaryCurrent);
        if (r.taps) {
            QStringList ratios, polarities;
            for (int i = 0; i < tarvex::kCtTapCount; ++i) {
                const tarvex::CtTap& tap = r.taps->taps[i];
                const QString name = QString::asprintf("L%d-K%d ", i + 1, i + 1);
                ratios << name + QString::asprintf("%0.1f/%d", tap.ratioPrimary,
                                                   r.taps->ratioSecondary);
                polarities << name + tarvex::PolarityText(tap.polarityPositive);
            }
            m_base[kRatio] = ratios.join("；");
            m_base[kPolarity] = polarities.join("；");
        }
        m_rows << m_base;
    }
    void operator()(const tarvex::PtRatioReply& r) {
        SetNumber(m_base, kPrimaryVoltage, r.primaryVoltage);
        SetNumber(m_base, kSecondaryVoltage, r.secondaryVoltage);
        if (r.ratioPrimary && r.secondaryIndex)
            m_base[kRatio] = QString::asprintf("%0.2fkV/", *r.ratioPrimary) +
                             tarvex::RatedSecondaryText(*r.secondaryIndex) + "V";
        if (r.polarityPositive)
            m_base[kPolarity] = tarvex::PolarityText(*r.polarityPositive);
        m_rows << m_base;
    }
    void operator()(const tarvex::ErrorReply& r) {
        if (m_kind == tarvex::kPtErrorKind) {
            SetList(m_base, kPtRatioErrorColumns, r.ratioPercent);
            SetList(m_base, kPtPhaseErrorColumns, r.phaseMinutes);
        } else {
            SetList(m_base, kCtRatioErrorColumns, r.ratioPercent);
            SetList(m_base, kCtPhaseErrorColumns, r.phaseMinutes);
        }
        m_rows << m_base;
    }
    void operator()(const BurdenResult& r) {
        m_base[m_kind == tarvex::kPtBurdenKind ? kBurdenVa : kBurdenOhm] = Number(r.value);
        m_rows << m_base;
    }
    void operator()(const tarvex::ResistanceReply& r) {
        m_base[kResistance] = Number(r.milliohm ? r.value / 1000 : r.value);
        m_rows << m_base;
    }

  private:
    int m_kind;
    Row m_base;
    QList<Row>& m_rows;
};

// RFC 4180: a field with a comma, a quote or a line break is quoted, its quotes doubled.
QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + quoted + '"';
}

template <typename Fields> QByteArray CsvLine(const Fields& fields) {
    QStringList line;
    for (const auto& field : fields)
        line << CsvField(field);
    return line.join(',').toUtf8() + "\r\n";
}

QByteArray CsvHeader() {
    QStringList headers;
    for (const char* header : kHeaders)
        headers << QString::fromUtf8(header);
    return QByteArray("\xEF\xBB\xBF") + CsvLine(headers);
}

QByteArray CsvRows(const QList<Row>& rows) {
    QByteArray csv;
    for (const Row& row : rows)
        csv += CsvLine(row);
    return csv;
}

} // namespace

QByteArray ResultsCsv(const QList<CsvResult>& results) {
    QList<Row> rows;
    for (const CsvResult& result : results)
        std::visit(RowsOf(result.first, rows), result.second);
    return CsvHeader() + CsvRows(rows);
}

QByteArray ResultsCsv(const QList<ArchivedResult>& results, const ArchivedValueOf& valueOf) {
    QList<Row> rows;
    for (const ArchivedResult& result : results) {
        if (const std::optional<TestResult::Value> value = valueOf(result))
            std::visit(RowsOf(result, rows), *value);
        else
            rows << Metadata(result);
    }
    return CsvHeader() + CsvRows(rows);
}
