#include "archivetablemodel.h"

#include "analysis/classsetting.h"
#include "state/archivedvalue.h"
#include "testkinds.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPageRows = 200;
const char* const kSecondaryTexts[] = {"100", "100/3", "100/sqrt(3)", "220"};

QString Polarity(std::optional<bool> positive) {
    return positive ? QString(*positive ? "+" : "-") : QString("?");
}

QString Number(std::optional<double> value, int decimals) {
    return value ? QString::number(*value, 'f', decimals) : QString("?");
}

// The value of largest magnitude, with its sign.
double Worst(const std::vector<double>& values) {
    double worst = 0;
    for (const double v : values)
        worst = std::abs(v) > std::abs(worst) ? v : worst;
    return worst;
}

struct KeyText {
    int kind;
    QString operator()(const tarvex::ExcitationReply& r) const {
        return QString("拐点 %1V / %2A")
            .arg(r.kneeVoltage, 0, 'f', 1)
            .arg(r.kneeCurrent, 0, 'f', 3);
    }
    QString operator()(const tarvex::CtRatioReply& r) const {
        return QString("变比 %1A/%2A  极性 %3")
            .arg(Number(r.ratioPrimary, 1),
                 r.ratioSecondary ? QString::number(*r.ratioSecondary) : QString("?"),
                 Polarity(r.polarityPositive));
    }
    QString operator()(const tarvex::CtTapReply& r) const {
        if (!r.taps)
            return "多变比（不完整）";
        QStringList taps;
        for (const tarvex::CtTap& tap : r.taps->taps)
            taps << QString::number(tap.ratioPrimary, 'f', 1) + (tap.polarityPositive ? "+" : "-");
        return QString("多变比 %1 /%2A").arg(taps.join(' ')).arg(r.taps->ratioSecondary);
    }
    QString operator()(const tarvex::PtRatioReply& r) const {
        const int index = r.secondaryIndex.value_or(-1);
        const QString secondary = index >= 0 && index < 4 ? kSecondaryTexts[index] : "?";
        return QString("变比 %1kV/%2V  极性 %3")
            .arg(Number(r.ratioPrimary, 2), secondary, Polarity(r.polarityPositive));
    }
    QString operator()(const tarvex::ErrorReply& r) const {
        return QString("最大比差 %1%  最大角差 %2′  %3")
            .arg(Worst(r.ratioPercent), 0, 'f', 3)
            .arg(Worst(r.phaseMinutes), 0, 'f', 3)
            .arg(VerdictText(r));
    }
    // Judged against the class kept for CT or PT error results, as the analysis window does.
    QString VerdictText(const tarvex::ErrorReply& r) const {
        const tarvex::AccuracyClass cls =
            tarvex::RememberedAccuracyClass(kind == tarvex::kPtErrorKind);
        const std::optional<bool> pass = tarvex::JudgeErrors(r, cls).pass;
        const QString verdict = !pass ? "未判定" : *pass ? "合格" : "不合格";
        return QString("%1级 %2").arg(tarvex::AccuracyClassName(cls), verdict);
    }
    QString operator()(const BurdenResult& r) const {
        return QString("负荷 %1%2")
            .arg(r.value, 0, 'f', 1)
            .arg(kind == tarvex::kCtBurdenKind ? "Ω" : "VA");
    }
    QString operator()(const tarvex::ResistanceReply& r) const {
        return QString("电阻 %1%2").arg(r.value, 0, 'f', 1).arg(r.milliohm ? "mΩ" : "Ω");
    }
};

QString TimeText(const QDateTime& time) {
    return time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
}

QString SourceText(const ArchivedResult& row) {
    if (row.source != ResultSource::UploadedRecord)
        return "测试";
    return QString("仪器记录 %1  测试时间 %2")
        .arg(row.parameters["recordNo"].toInt())
        .arg(TimeText(row.recordTestTime));
}

} // namespace

QString KeyValuesText(const ArchivedResult& row) {
    const std::optional<TestResult::Value> value = ArchivedValue(row);
    return value ? std::visit(KeyText{row.testKind}, *value) : QString();
}

CArchiveTableModel::CArchiveTableModel(CResultArchive& archive, QObject* parent)
    : QAbstractTableModel(parent), m_archive(archive) {}

void CArchiveTableModel::SetFilter(const ArchiveFilter& filter) {
    m_filter = filter;
    Reload();
}

void CArchiveTableModel::Reload() {
    beginResetModel();
    m_rows.clear();
    m_bAtEnd = false;
    endResetModel();
    fetchMore({});
}

int CArchiveTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CArchiveTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

bool CArchiveTableModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_bAtEnd;
}

void CArchiveTableModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    ArchiveFilter page = m_filter;
    if (!m_rows.isEmpty()) {
        page.afterRecordedAt = m_rows.last().recordedAt;
        page.afterId = m_rows.last().id;
    }
    const QList<ArchivedResult> rows = m_archive.Recent(kPageRows, page);
    m_bAtEnd = rows.size() < kPageRows;
    if (rows.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.append(rows);
    endInsertRows();
}

QVariant CArchiveTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size())
        return {};
    const ArchivedResult& row = m_rows[index.row()];
    switch (index.column()) {
    case Time:
        return TimeText(row.recordedAt);
    case Test: {
        const tarvex::TestKindInfo* kind = tarvex::FindTestKind(row.testKind);
        return kind ? QString(kind->name) : QString::number(row.testKind);
    }
    case LineGroupPhase:
        return row.line.isEmpty() ? QString()
                                  : QString("%1/%2/%3").arg(row.line, row.group, row.phase);
    case DeviceNumber:
        return row.deviceNumber;
    case Site:
        return row.site;
    case KeyValues:
        return KeyValuesText(row);
    case Source:
        return SourceText(row);
    default:
        return {};
    }
}

QVariant CArchiveTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kHeaders[] = {"时间",     "测试项目", "线路/组/相", "设备编号",
                                           "测试地点", "主要结果", "来源"};
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString(kHeaders[section]);
}
