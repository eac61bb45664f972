// The PDF report read back with poppler's pdftotext and pdffonts: the header, every value as its
// page shows it, the verdicts, a number on every page, and the fonts embedded.
#include "pages/ijbdlg.h"
#include "pages/ivadlg.h"
#include "platform/filedialogrecorder.h"
#include "report/pdfreport.h"
#include "report/reportcommand.h"
#include "support/pagebench.h"
#include "testkinds.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

// What a poppler tool prints for the file; skips the test where the tool is missing.
#define POPPLER(out, tool, ...)                                                                    \
    QString out;                                                                                   \
    do {                                                                                           \
        const QString program = QStandardPaths::findExecutable(tool);                              \
        if (program.isEmpty())                                                                     \
            GTEST_SKIP() << tool << " (poppler-utils) is missing";                                 \
        QProcess process;                                                                          \
        process.start(program, {__VA_ARGS__});                                                     \
        ASSERT_TRUE(process.waitForFinished(60000));                                               \
        out = QString::fromUtf8(process.readAllStandardOutput());                                  \
    } while (false)

// A CT curve whose values the page rounds: currents on a half of the last digit shown, voltages
// the page cuts to 0.5 V steps.
tarvex::ExcitationReply Curve(int points) {
    tarvex::ExcitationReply curve{123.45, 0.0125, points, {}};
    for (int i = 1; i <= points; ++i)
        curve.points.push_back({0.0005 * i * i + 0.0125, 7.37 * i + 0.26});
    return curve;
}

QStringList Words(const QString& text) {
    return text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

// True when `wanted` appears in `words` in this order (other words may come between).
bool InOrder(const QStringList& words, const QStringList& wanted) {
    qsizetype at = 0;
    for (const QString& word : words) {
        if (at < wanted.size() && word == wanted[at])
            ++at;
    }
    return at == wanted.size();
}

class PdfReport : public ::testing::Test {
  protected:
    PageBench bench;
    QTemporaryDir dir;
    QString path = dir.filePath("报告.pdf");
};

TEST_F(PdfReport, ShowsHeaderAndValuesAsThePagesShowThem) {
    CIVADlg excitationPage;
    CIJBDlg errorPage;
    const tarvex::ExcitationReply curve = Curve(120); // runs over more than one page
    const tarvex::ErrorReply errors{{1.2345, -0.0005, 12.3456, 40.0}, {0.0125, -0.9995, 0.1, 2.5}};
    excitationPage.ShowExcitationResult(curve);
    errorPage.ShowErrorResult(errors);
    const QDateTime when(QDate(2026, 12, 9), QTime(8, 30));
    const QList<ReportEntry> entries = {
        {tarvex::kCtExcitationKind,
         {curve, when, ResultSource::Instrument, {}},
         "A 相",
         {},
         false,
         {}},
        {tarvex::kCtErrorKind,
         {errors, when, ResultSource::Instrument, {}},
         QString(),
         {},
         false,
         {}},
    };
    CPdfReport report({"DEV42", "ZHANG", "SITE7", QDate(2026, 12, 9)}, entries);
    ASSERT_TRUE(report.Write(path));
    POPPLER(text, "pdftotext", "-layout", path, "-");
    const QStringList words = Words(text);

    for (const char* header : {"互感器测试报告", "DEV42", "ZHANG", "SITE7", "2026-12-09"})
        EXPECT_TRUE(text.contains(header)) << header;
    // The knee and every row of the list, in the page's order and rounding.
    QStringList shown = {excitationPage.GetDlgItemText(1033).split(' ')[2],
                         excitationPage.GetDlgItemText(1034).split(' ')[2]};
    const auto* list = excitationPage.findChild<QTreeWidget*>("id1003");
    ASSERT_EQ(list->topLevelItemCount(), 121);
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        for (int column = 0; column < 3; ++column)
            shown << list->topLevelItem(row)->text(column);
    }
    EXPECT_TRUE(InOrder(words, shown));
    // The error table: ratio error then phase error at each load point, as the page shows them.
    QStringList errorsShown;
    const int ratioIds[] = {1007, 1009, 1014, 1018}, phaseIds[] = {1006, 1008, 1010, 1017};
    for (int i = 0; i < 4; ++i)
        errorsShown << errorPage.GetDlgItemText(ratioIds[i])
                    << errorPage.GetDlgItemText(phaseIds[i]);
    EXPECT_TRUE(InOrder(words, errorsShown)) << errorsShown.join(' ').toStdString();

    // A number on every page, the pages in order ("第 1 页"; pdftotext drops the spaces).
    const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
    ASSERT_GE(report.PageCount(), 2);
    ASSERT_EQ(pages.size(), report.PageCount());
    for (int i = 0; i < pages.size(); ++i)
        EXPECT_TRUE(pages[i].contains(QRegularExpression(QString("第 ?%1 ?页").arg(i + 1)))) << i;
}

// Class 0.5 CT (IEC 61869-2 table 202): ratio error within ±1.5, ±0.75, ±0.5, ±0.5 % and phase
// displacement within ±90, ±45, ±30, ±30 minutes at 5, 20, 100, 120 % of rated current; a value on
// the limit passes.
TEST_F(PdfReport, JudgesEachLoadPointAgainstTheClassLimits) {
    const tarvex::ErrorReply errors{{60, 10, 30, -31}, {1.0, 0.8, 0.5, -0.4}};
    const ReportEntry entry{
        tarvex::kCtErrorKind,        {errors, {}, ResultSource::Instrument, {}}, {}, {}, false,
        tarvex::AccuracyClass::Ct0_5};
    ASSERT_TRUE(CPdfReport({}, {entry}).Write(path));
    POPPLER(text, "pdftotext", "-layout", path, "-");
    EXPECT_TRUE(InOrder(Words(text), {"总判定：不合格", "5%",   "1.000",  "±1.5",  "60.000",  "±90",
                                      "合格",           "20%",  "0.800",  "±0.75", "10.000",  "±45",
                                      "不合格",         "100%", "0.500",  "±0.5",  "30.000",  "±30",
                                      "合格",           "120%", "-0.400", "±0.5",  "-31.000", "±30",
                                      "不合格"}))
        << text.toStdString();
}

TEST_F(PdfReport, EmbedsEveryFont) {
    const QList<ReportEntry> entries = {{tarvex::kCtExcitationKind,
                                         {Curve(10), {}, ResultSource::Instrument, {}},
                                         {},
                                         {},
                                         false,
                                         {}}};
    ASSERT_TRUE(CPdfReport({"D", "测试员", "现场", QDate(2026, 1, 2)}, entries).Write(path));
    POPPLER(fonts, "pdffonts", path);
    // Two lines of head, then one line per font whose "emb" column follows its encoding.
    const QStringList lines = fonts.split('\n', Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(lines.isEmpty());
    for (const QString& line : lines)
        EXPECT_TRUE(line.contains(QRegularExpression(" yes +(yes|no) +(yes|no) +\\d+ +\\d+$")))
            << line.toStdString();
}

// 生成报告 writes the name typed with ".pdf" added, then asks before opening a viewer.
TEST_F(PdfReport, SavesUnderTheNameTypedAsPdfAndAsksBeforeOpening) {
    tarvex::FileDialogRecorder dialogs;
    dialogs.setAnswer(dir.filePath("报告"));
    bench.boxes.setAnswer(IDNO);
    const ReportEntry entry{tarvex::kCtBurdenKind,
                            {BurdenResult{1.5}, {}, ResultSource::Instrument, {}},
                            {},
                            {},
                            false,
                            {}};
    EXPECT_EQ(tarvex::SaveReportPdf(nullptr, {entry}), path);
    EXPECT_TRUE(QFileInfo(path).size() > 0);
    ASSERT_EQ(bench.boxes.calls().size(), 1u);
    EXPECT_EQ(bench.boxes.calls()[0].text, "报告已生成，是否打开？");
}

} // namespace
