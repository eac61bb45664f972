#include "reportentries.h"

#include "controls/fwnumedt.h"
#include "pages/excitationpage.h"
#include "pages/iwcdlg.h"
#include "platform/usersettings.h"
#include "state/appstate.h"
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

// The class the analysis window keeps for CT or PT error results (by its name); the first of the
// list when none is kept.
tarvex::AccuracyClass RememberedClass(bool pt) {
    const QString name =
        tarvex::RememberedValue(pt ? "analysis/ptClass" : "analysis/ctClass").toString();
    for (tarvex::AccuracyClass cls : tarvex::ClassesFor(pt)) {
        if (tarvex::AccuracyClassName(cls) == name)
            return cls;
    }
    return tarvex::ClassesFor(pt).front();
}

std::optional<tarvex::AccuracyClass> ClassOf(int kind) {
    if (kind == tarvex::kCtErrorKind || kind == tarvex::kPtErrorKind)
        return RememberedClass(kind == tarvex::kPtErrorKind);
    return std::nullopt;
}

} // namespace

QList<ReportEntry> ReportEntriesOnShow(int kind, const CTestPage* page, const CIWCDlg* errorCurve) {
    const std::optional<TestResult> result = theApp().m_results.Latest(kind);
    if (!result)
        return {};
    const auto* excitation = dynamic_cast<const CExcitationPage*>(page);
    return {{kind, *result, excitation ? excitation->RecordOnShow() : QString(),
             ErrorCurveOf(excitation, errorCurve), false, ClassOf(kind)}};
}
