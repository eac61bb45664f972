// How long the operator waits for a PDF report of many results: the heaviest kind, a 255-point
// excitation curve with its error curve, fifty times.
#include "benchkit.h"
#include "figures.h"

#include "link/testkinds.h"
#include "platform/fonts.h"
#include "report/pdfreport.h"

#include <QApplication>

#include <cmath>

namespace bench {
namespace {

constexpr int kPoints = 255;

ReportEntry ExcitationEntry(int number) {
    tarvex::ExcitationReply curve{420.0, 0.052, kPoints, {}};
    for (int i = 1; i <= kPoints; ++i) {
        const double f = double(i) / kPoints;
        curve.points.push_back({5 * std::pow(f, 6), 900 * std::pow(f, 0.2)});
    }
    ReportErrorCurve errorCurve;
    for (int row = 1; row <= 40; ++row)
        errorCurve.rows.append({QString::number(row), QString::asprintf("%.2f", row * 0.5),
                                QString::asprintf("%.1f", 200.0 / row)});
    const int kind = number % 2 ? tarvex::kCtExcitationKind : tarvex::kPtExcitationKind;
    return {
        kind,
        {curve, QDateTime::currentDateTime(), ResultSource::Instrument, {{"testVoltage", 1000}}},
        QString("结果 %1").arg(number),
        kind == tarvex::kCtExcitationKind ? std::optional(errorCurve) : std::nullopt,
        false,
        std::nullopt};
}

} // namespace

// report [--runs 3] [--results 50]: "report_ms" per run, from the entries handed over to the
// file written; "report_pages" of the last.
int ReportMain(int argc, char** argv) {
    const int runs = std::stoi(Option(argc, argv, "--runs", "3"));
    const int results = std::stoi(Option(argc, argv, "--results", "50"));
    QApplication qt(argc, argv);
    tarvex::InstallFontSubstitutions();
    QList<ReportEntry> entries;
    for (int i = 1; i <= results; ++i)
        entries.append(ExcitationEntry(i));
    TempDir dir;
    const QString path = QString::fromStdString(dir.Path()) + "/report.pdf";
    CPdfReport report({"DEV1", "TESTER", "SITE", QDate::currentDate()}, entries);
    for (int run = 0; run < runs; ++run) {
        const std::int64_t start = NowNs();
        if (!report.Write(path))
            return 1;
        Report("report_ms", MsSince(start));
    }
    Report("report_pages", report.PageCount());
    return 0;
}

} // namespace bench
