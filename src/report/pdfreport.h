#pragma once
#include "reportentry.h"

#include <QList>
#include <QString>

// The PDF test report: an A4 document with the header (device number, tester, site, date),
// then each result in its own section, every page numbered. GUI thread (fonts).
class CPdfReport {
  public:
    CPdfReport(ReportHeader header, QList<ReportEntry> entries);

    // Writes the report to path (replacing a file there); false when it could not be written.
    bool Write(const QString& path);
    // The number of pages of the last Write.
    int PageCount() const { return m_pages; }

  private:
    ReportHeader m_header;
    QList<ReportEntry> m_entries;
    int m_pages = 0;
};
