#pragma once
#include "report/reportentry.h"

#include <QList>

class CIWCDlg;
class CTestPage;

// The result on show as a report entry: the latest result of the page's kind, labelled with
// the record on show, and with the error curve of the error-curve window when the window
// computed it from this page's curve. Empty when the page has no result.
QList<ReportEntry> ReportEntriesOnShow(int kind, const CTestPage* page, const CIWCDlg* errorCurve);
