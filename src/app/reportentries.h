#pragma once
#include "report/reportentry.h"
#include "state/resultarchive.h"

#include <QList>

class CIWCDlg;
class CTestPage;

// The result on show as a report entry: the latest result of the page's kind, labelled with
// the record on show, and with the error curve of the error-curve window when the window
// computed it from this page's curve. Empty when the page has no result.
QList<ReportEntry> ReportEntriesOnShow(int kind, const CTestPage* page, const CIWCDlg* errorCurve);
// The entries of results chosen in the archive, each labelled with when and where it was
// measured; a row whose values cannot be read back is left out.
QList<ReportEntry> ReportEntriesOfArchive(const QList<ArchivedResult>& rows);
