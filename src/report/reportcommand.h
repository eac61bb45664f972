#pragma once
#include "reportentry.h"

#include <QList>
#include <QString>

class QWidget;

namespace tarvex {

// The report's header: the identity last confirmed in the settings dialog and today's date.
ReportHeader CurrentReportHeader();

// "生成报告": asks where to save the report of the entries (suggesting a name with today's date),
// writes it, then offers to open it in the desktop's PDF viewer. The path written; empty when
// there was nothing to report, the operator cancelled, or the file could not be written (the
// operator has been told). GUI thread only.
QString SaveReportPdf(QWidget* owner, const QList<ReportEntry>& entries);

} // namespace tarvex
