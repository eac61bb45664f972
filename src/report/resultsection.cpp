#include "resultsection.h"

#include "analysis/kneepoint.h"
#include "controls/curveplot.h"
#include "controls/kneechart.h"
#include "link/replyfields.h"
#include "reportcanvas.h"
#include "testkinds.h"

#include <QVariant>

#include <array>

namespace {

constexpr double kPlotHeightMm = 78;
constexpr int kPointGroupsPerRow = 3; // "序号 电流 电压" three times across the page

const QString kMissing = "—";
const QString kNotReached = "曲线未到拐点";

QString LimitText(const std::optional<double>& limit) {
    return limit ? QString("±%1").arg(*limit) : kMissing;
}

QString VerdictText(const std::optional<bool>& pass) {
    return pass ? (*pass ? "合格" : "不合格") : kMissing;
}

QString SourceText(ResultSource source) {
    switch (source) {
    case ResultSource::Instrument:
        return "仪器测试";
    case ResultSource::UploadedRecord:
        return "仪器存储记录";
    case ResultSource::DataFile:
        return "数据文件";
    }
    return QString();
}

QString PhaseText(const QVariant& code) {
    static const std::array<const char*, 3> phases = {"A", "B", "C"};
    const int index = code.toInt();
    return index >= 0 && index < int(phases.size()) ? phases[index] : code.toString();
}

// A started test's entry as its page labels it, with its unit.
struct ParameterLabel {
    const char* key;
    const char* label;
    const char* unit;
};

constexpr ParameterLabel kParameterLabels[] = {
    {"testVoltage", "测试电压", "V"},
    {"testCurrent", "测试电流", "A"},
    {"lineNo", "线路编号", ""},
    {"groupNo", "组号", ""},
    {"phase", "相序", ""},
    {"ratedPrimary", "一次额定电流", "A"},
    {"ratedPrimaryKv", "一次额定电压", "kV"},
    {"ratedSecondary", "二次额定电流", "A"},
    {"ratedSecondaryIndex", "二次额定电压", "V"},
    {"ratedBurden", "额定负荷", "VA"},
    {"fullLoad", "测试模式", ""},
};

// The CT and PT ratio pages name their test entry after the primary side.
QString ParameterLabelOf(int kind, const ParameterLabel& p) {
    const QString key = p.key;
    if (kind == tarvex::kCtRatioKind && key == "testCurrent")
        return "一次侧测试电流";
    if (kind == tarvex::kPtRatioKind && key == "testVoltage")
        return "一次侧测试电压";
    if (kind == tarvex::kCtRatioKind && key == "ratedSecondary")
        return "CT额定电流";
    if (kind == tarvex::kPtRatioKind && key == "ratedSecondaryIndex")
        return "PT额定二次电压";
    return p.label;
}

QString ParameterText(const QString& key, const QVariant& value) {
    if (key == "phase")
        return PhaseText(value);
    if (key == "fullLoad")
        return value.toBool() ? "满载" : "轻载";
    if (key == "ratedSecondaryIndex")
        return tarvex::RatedSecondaryText(value.toInt());
    return value.toString();
}

template <typename T> QString Or(const std::optional<T>& value, QString (*text)(T)) {
    return value ? text(*value) : kMissing;
}

QString PolarityOf(const std::optional<bool>& positive) {
    return positive ? tarvex::PolarityText(*positive) : kMissing;
}

} // namespace

CResultSection::CResultSection(CReportCanvas& canvas, const ReportEntry& entry)
    : m_canvas(canvas), m_entry(entry) {}

void CResultSection::Write(int number) {
    WriteHeading(number);
    m_canvas.Fields(SourceFields() + ParameterFields(), 3);
    m_canvas.Skip(1.5);
    WriteValues();
    m_canvas.Skip(6);
}

void CResultSection::WriteHeading(int number) {
    const tarvex::TestKindInfo* kind = tarvex::FindTestKind(m_entry.kind);
    QString title = QString("%1. %2").arg(number).arg(kind ? kind->name : "未知测试");
    if (!m_entry.label.isEmpty())
        title += "  " + m_entry.label;
    // A heading never stands alone at the foot of a page.
    m_canvas.KeepRoom(30);
    m_canvas.Line(title, CReportCanvas::Font(12, true));
    const QRectF rule = m_canvas.Take(1.5);
    m_canvas.Painter().setPen(QPen(Qt::black, 0.3 * m_canvas.Unit()));
    m_canvas.Painter().drawLine(rule.topLeft(), rule.topRight());
}

void CResultSection::WriteSubheading(const QString& text, double keepMm) {
    m_canvas.KeepRoom(keepMm + 8);
    m_canvas.Skip(1);
    m_canvas.Line(text, CReportCanvas::Font(10.5, true));
}

CResultSection::Fields CResultSection::SourceFields() const {
    const TestResult& result = m_entry.result;
    return {{"来源", SourceText(result.source)},
            {"时间", result.arrived.toString("yyyy-MM-dd HH:mm:ss")}};
}

CResultSection::Fields CResultSection::ParameterFields() const {
    Fields fields;
    const QVariantMap& parameters = m_entry.result.parameters;
    for (const ParameterLabel& p : kParameterLabels) {
        const auto it = parameters.find(p.key);
        if (it == parameters.end())
            continue;
        fields.append({ParameterLabelOf(m_entry.kind, p), ParameterText(p.key, *it) + p.unit});
    }
    return fields;
}

void CResultSection::WriteValues() {
    using namespace tarvex;
    const TestResult::Value& value = m_entry.result.value;
    if (const auto* curve = std::get_if<ExcitationReply>(&value)) {
        WriteExcitation(*curve);
    } else if (const auto* ct = std::get_if<CtRatioReply>(&value)) {
        m_canvas.Fields(
            {{"一次侧电流", Or(ct->primaryCurrent, OneDecimalText) + "A"},
             {"二次侧电流", Or(ct->secondaryCurrent, SecondaryCurrentText) + "A"},
             {"变比", Or(ct->ratioPrimary, OneDecimalText) + "A / " +
                          (ct->ratioSecondary ? QString::number(*ct->ratioSecondary) : kMissing) +
                          "A"},
             {"极性", PolarityOf(ct->polarityPositive)}},
            2);
    } else if (const auto* taps = std::get_if<CtTapReply>(&value)) {
        m_canvas.Fields({{"一次侧电流", Or(taps->primaryCurrent, OneDecimalText) + "A"},
                         {"二次侧电流", Or(taps->secondaryCurrent, SecondaryCurrentText) + "A"}},
                        2);
        QList<QStringList> rows;
        for (int i = 0; taps->taps && i < kCtTapCount; ++i) {
            const CtTap& tap = taps->taps->taps[i];
            rows.append({TapNameText(i + 1),
                         TapRatioText(tap.ratioPrimary, taps->taps->ratioSecondary),
                         PolarityText(tap.polarityPositive)});
        }
        m_canvas.Table({"组号", "变比", "极性"}, rows, {1, 1, 1});
    } else if (const auto* pt = std::get_if<PtRatioReply>(&value)) {
        m_canvas.Fields(
            {{"一次侧电压", Or(pt->primaryVoltage, OneDecimalText) + "V"},
             {"二次侧电压", Or(pt->secondaryVoltage, TwoDecimalText) + "V"},
             {"变比",
              Or(pt->ratioPrimary, TwoDecimalText) + "kV / " +
                  (pt->secondaryIndex ? RatedSecondaryText(*pt->secondaryIndex) : kMissing) + "V"},
             {"极性", PolarityOf(pt->polarityPositive)}},
            2);
    } else if (const auto* errors = std::get_if<ErrorReply>(&value)) {
        WriteErrors(*errors);
    } else if (const auto* burden = std::get_if<BurdenResult>(&value)) {
        const QString unit = m_entry.kind == kCtBurdenKind ? "Ω" : "VA";
        m_canvas.Fields({{"二次负荷", OneDecimalText(burden->value) + unit}}, 2);
    } else if (const auto* resistance = std::get_if<ResistanceReply>(&value)) {
        m_canvas.Fields(
            {{"直流电阻", OneDecimalText(resistance->value) + (resistance->milliohm ? "mΩ" : "Ω")}},
            2);
    }
}

void CResultSection::WriteExcitation(const tarvex::ExcitationReply& curve) {
    m_canvas.Fields({{"拐点电压", tarvex::KneeVoltageText(float(curve.kneeVoltage)) + "V"},
                     {"拐点电流", tarvex::KneeCurrentText(float(curve.kneeCurrent)) + "A"},
                     {"测点数", QString::number(curve.points.size())}},
                    3);
    WriteCurvePlots(curve);
    WriteKneeTable(curve);
    if (m_entry.errorCurve)
        WriteErrorCurve(*m_entry.errorCurve);
    WritePointTable(curve);
}

void CResultSection::WriteCurvePlots(const tarvex::ExcitationReply& curve) {
    KneeChartData data;
    for (const tarvex::ExcitationPoint& p : curve.points)
        data.points.push_back({p.current, tarvex::ShownCurveVoltage(FromInstrument(), p.voltage)});
    if (curve.kneeVoltage != 0 || curve.kneeCurrent != 0)
        data.instrument = tarvex::KneePoint{curve.kneeVoltage, curve.kneeCurrent, 0};
    data.iec = tarvex::IecKneePoint(curve.points);
    data.ieee = tarvex::IeeeKneePoint(curve.points, m_entry.gappedCore);
    data.gappedCore = m_entry.gappedCore;
    CCurvePlot plot = CKneeChart::Plot(data);
    plot.SetFont(CReportCanvas::Font(7));
    WriteSubheading("伏安特性曲线（线性坐标、双对数坐标）", kPlotHeightMm);
    const QRectF strip = m_canvas.Take(kPlotHeightMm);
    const double half = strip.width() / 2;
    const double gap = 3 * m_canvas.Unit();
    plot.DrawLinear(m_canvas.Painter(),
                    QRectF(strip.left(), strip.top(), half - gap, strip.height()), m_canvas.Unit());
    plot.DrawLogLog(m_canvas.Painter(),
                    QRectF(strip.left() + half + gap, strip.top(), half - gap, strip.height()),
                    m_canvas.Unit());
}

void CResultSection::WriteKneeTable(const tarvex::ExcitationReply& curve) {
    WriteSubheading("拐点", 25);
    QList<QStringList> rows;
    rows.append({"仪器拐点", "仪器测得", tarvex::KneeVoltageText(float(curve.kneeVoltage)),
                 tarvex::KneeCurrentText(float(curve.kneeCurrent)), kMissing});
    // A computed knee names the measured points it lies between, by their numbers in the list.
    const int firstNumber = FirstPointNumber();
    const int count = static_cast<int>(curve.points.size());
    const auto computed = [&](const QString& name, const QString& rule,
                              const std::optional<tarvex::KneePoint>& knee) {
        if (!knee) {
            rows.append({name, rule, kNotReached, kNotReached, kMissing});
            return;
        }
        const int below = firstNumber + knee->below;
        rows.append({name, rule, tarvex::KneeVoltageText(float(knee->voltage)),
                     tarvex::KneeCurrentText(float(knee->current)),
                     knee->below + 1 < count ? QString("%1–%2").arg(below).arg(below + 1)
                                             : QString::number(below)});
    };
    computed("IEC 61869-2", "电压升高10%，励磁电流增加50%", tarvex::IecKneePoint(curve.points));
    computed(tarvex::IeeeKneeName(m_entry.gappedCore),
             m_entry.gappedCore ? "双对数坐标切线与电流轴成30°" : "双对数坐标切线与电流轴成45°",
             tarvex::IeeeKneePoint(curve.points, m_entry.gappedCore));
    m_canvas.Table({"拐点", "依据", "电压(V)", "电流(A)", "测点序号"}, rows, {1.2, 2.2, 1, 1, 0.8});
}

void CResultSection::WriteErrorCurve(const ReportErrorCurve& errorCurve) {
    WriteSubheading(QString("%1%误差曲线").arg(errorCurve.percent), kPlotHeightMm + 8);
    m_canvas.Fields({{"额定电流", QString("%1A").arg(errorCurve.ratedSecondary)},
                     {"CT二次阻抗", errorCurve.secondaryImpedance + "Ω"}},
                    3);
    std::vector<QPointF> points;
    QList<QStringList> rows;
    for (const ReportErrorCurve::Row& row : errorCurve.rows) {
        points.emplace_back(row.multiple.toDouble(), row.impedance.toDouble());
        rows.append({row.number, row.multiple, row.impedance});
    }
    CCurvePlot plot("M10", "ZII(Ω)", std::move(points));
    plot.SetFont(CReportCanvas::Font(7));
    const QRectF strip = m_canvas.Take(kPlotHeightMm);
    plot.DrawLinear(m_canvas.Painter(),
                    QRectF(strip.left(), strip.top(), strip.width() / 2, strip.height()),
                    m_canvas.Unit());
    m_canvas.Table({"组号", "M10", "ZII"}, rows, {1, 1, 1});
}

// Numbered as the page lists them: a result from the instrument or a record opens with the origin
// as row 1, a data file's rows are its own.
int CResultSection::FirstPointNumber() const {
    return m_entry.result.source == ResultSource::DataFile ? 1 : 2;
}

bool CResultSection::FromInstrument() const {
    return m_entry.result.source == ResultSource::Instrument;
}

void CResultSection::WritePointTable(const tarvex::ExcitationReply& curve) {
    WriteSubheading("伏安特性数据", 20);
    QList<QStringList> cells;
    if (FirstPointNumber() == 2)
        cells.append({"1", tarvex::CurveCurrentText(0), tarvex::CurveVoltageText(0)});
    int number = FirstPointNumber();
    for (const tarvex::ExcitationPoint& p : curve.points)
        cells.append(
            {QString::number(number++), tarvex::CurveCurrentText(float(p.current)),
             tarvex::CurveVoltageText(tarvex::ShownCurveVoltage(FromInstrument(), p.voltage))});
    // Three points to a row, in their order across the row.
    QStringList head;
    QList<double> widths;
    for (int g = 0; g < kPointGroupsPerRow; ++g) {
        head << "序号"
             << "电流(A)"
             << "电压(V)";
        widths << 0.6 << 1 << 1;
    }
    QList<QStringList> rows;
    for (qsizetype i = 0; i < cells.size(); i += kPointGroupsPerRow) {
        QStringList row;
        for (qsizetype j = i; j < std::min(i + kPointGroupsPerRow, cells.size()); ++j)
            row += cells[j];
        rows.append(row);
    }
    m_canvas.Table(head, rows, widths);
}

void CResultSection::WriteErrors(const tarvex::ErrorReply& errors) {
    if (m_entry.accuracyClass)
        WriteVerdicts(tarvex::JudgeErrors(errors, *m_entry.accuracyClass));
    else
        WriteErrorValues(errors);
}

void CResultSection::WriteVerdicts(const tarvex::ErrorVerdict& verdict) {
    m_canvas.Fields({{"准确级", tarvex::AccuracyClassName(*m_entry.accuracyClass)},
                     {"总判定", VerdictText(verdict.pass)}},
                    3);
    QList<QStringList> rows;
    for (const tarvex::PointVerdict& point : verdict.points) {
        const auto value = [](const std::optional<double>& v) {
            return v ? tarvex::ErrorValueText(*v) : kMissing;
        };
        rows.append({QString("%1%").arg(point.loadPercent), value(point.ratioErrorPercent),
                     LimitText(point.ratioLimit), value(point.phaseMinutes),
                     LimitText(point.phaseLimit), VerdictText(point.pass)});
    }
    m_canvas.Table({"负荷点", "比差(%)", "比差限值(%)", "角差(分)", "角差限值(分)", "判定"}, rows,
                   {1, 1, 1, 1, 1, 1});
    if (!verdict.note.isEmpty())
        m_canvas.Line(verdict.note, CReportCanvas::Font(9));
}

void CResultSection::WriteErrorValues(const tarvex::ErrorReply& errors) {
    static const QStringList ctLoads = {"5%", "20%", "100%", "120%"};
    static const QStringList ptLoads = {"80%", "100%", "120%"};
    const QStringList& loads = m_entry.kind == tarvex::kCtErrorKind ? ctLoads : ptLoads;
    QList<QStringList> rows;
    for (qsizetype i = 0; i < loads.size(); ++i) {
        const auto at = [i](const std::vector<double>& values) {
            return std::size_t(i) < values.size() ? tarvex::ErrorValueText(values[i]) : kMissing;
        };
        rows.append({loads[i], at(errors.ratioPercent), at(errors.phaseMinutes)});
    }
    m_canvas.Table({"负荷点", "比差(%)", "角差(分)"}, rows, {1, 1, 1});
}
