#include "pdfreport.h"

#include "reportcanvas.h"
#include "resultsection.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace {

constexpr int kResolutionDpi = 600;
constexpr double kMarginMm = 18;

void WriteHead(CReportCanvas& canvas, const ReportHeader& header) {
    canvas.Line("互感器测试报告", CReportCanvas::Font(18, true), Qt::AlignHCenter);
    canvas.Skip(3);
    canvas.Fields({{"设备编号", header.deviceNumber},
                   {"测试人员", header.tester},
                   {"测试地点", header.site},
                   {"日期", header.date.toString("yyyy-MM-dd")}},
                  2);
    canvas.Skip(5);
}

} // namespace

CPdfReport::CPdfReport(ReportHeader header, QList<ReportEntry> entries)
    : m_header(std::move(header)), m_entries(std::move(entries)) {}

bool CPdfReport::Write(const QString& path) {
    QPdfWriter writer(path);
    writer.setResolution(kResolutionDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    writer.setTitle("互感器测试报告");
    writer.setCreator("Tarvex");
    CReportCanvas canvas(writer);
    if (!canvas.IsActive())
        return false;
    WriteHead(canvas, m_header);
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        CResultSection(canvas, m_entries[i]).Write(static_cast<int>(i) + 1);
    m_pages = canvas.PageCount();
    return canvas.Finish();
}
