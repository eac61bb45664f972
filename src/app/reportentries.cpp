#include "reportentries.h"

#include "analysis/classsetting.h"
#include "controls/fwnumedt.h"
#include "pages/excitationpage.h"
#include "pages/iwcdlg.h"
#include "state/appstate.h"
#include "state/archivedvalue.h"
#include "testkinds.h"

#include <QTreeWidget>

namespace {

std::optional<ReportErrorCurve> ErrorCurveOf(const CExcitationPage* page, const CIWCDlg* window) {
    if (!page || !window || window->SourcePage() != page || !window->m_list ||
        window->m_list->topLevelItemCount() == 0)
        return std::nullopt;
    ReportErrorCurve curve;
    curve.percent = window->m_nCurrentFactor == 20 ? 5 : 10;
    curve.ratedSecondary = window->m_bRated5A ? 5 : 1;
    curve.secondaryImpedance = window->m_edtZ2 ? window->m_edtZ2->text() : QString();
    for (int i = 0; i < window->m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = window->m_list->topLevelItem(i);
        curve.rows.append({item->text(0), item->text(1), item->text(2)});
    }
    return curve;
}

std::optional<tarvex::AccuracyClass> ClassOf(int kind) {
    if (kind == tarvex::kCtErrorKind || kind == tarvex::kPtErrorKind)
        return tarvex::RememberedAccuracyClass(kind == tarvex::kPtErrorKind);
    return std::nullopt;
}

} // namespace

QList<ReportEntry> ReportEntriesOnShow(int kind, const CTestPage* page, const CIWCDlg* errorCurve) {
    const std::optional<TestResult> result = theApp().m_results.Latest(kind);
    if (!result)
        return {};
    const auto* excitation = dynamic_cast<const CExcitationPage*>(page);
    return {{kind, *result, excitation ? excitation->RecordOnShow() : QString(),
             ErrorCurveOf(excitation, errorCurve), tarvex::RememberedGappedCore(), ClassOf(kind)}};
}

QList<ReportEntry> ReportEntriesOfArchive(const QList<ArchivedResult>& rows) {
    QList<ReportEntry> entries;
    for (const ArchivedResult& row : rows) {
        const std::optional<TestResult> result = ArchivedTestResult(row);
        if (!result)
            continue;
        QString label = QString("测试档案 %1").arg(row.id);
        if (!row.line.isEmpty())
            label += QString("  %1/%2/%3").arg(row.line, row.group, row.phase);
        entries.append({row.testKind, *result, label, std::nullopt, tarvex::RememberedGappedCore(),
                        ClassOf(row.testKind)});
    }
    return entries;
}
