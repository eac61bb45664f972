// Save and Print: the suggested name, the ".txt" rule, the GBK file written through a temporary
// file, the failure message, and the print preview of the report.
#include "app/tarvexapp.h"
#include "history/reportcommands.h"
#include "history/wordreport.h"
#include "platform/filedialogrecorder.h"
#include "platform/msgboxrecorder.h"
#include "platform/reportfile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextDocument>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString kReport = QString::fromUtf8("测试时间：2024-05-17 10:11:12\r\n测试电压：200V\r\n"
                                          "I(A)\tU(V)\r\n0.000\t0.0\r\n0.100\t100.0\r\n");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(ReportName, SuggestionTakesTheItemOrBuildsARecordName) {
    const struct {
        const char* item;
        const char* parent;
        const char* suggested;
    } cases[] = {
        {"CT伏安特性", "测试电流互感器", "CT伏安特性"},
        {"7", "CT历史数据", "CT007"},
        {"12", "PT历史数据", "PT012"},
        {"999", "PT历史数据", "PT999"},
        {"1000", "PT历史数据", "1000"},         // four bytes: an ordinary item
        {"直流", "互感器综合参数测试", "直流"}, // two characters, four GBK bytes
        {"直", "互感器综合参数测试", "互感000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SuggestedReportName(c.item, c.parent), QString::fromUtf8(c.suggested)) << c.item;
}

TEST(ReportName, TxtIsAppendedUnlessTheNameEndsInIt) {
    const struct {
        const char* chosen;
        const char* stored;
    } cases[] = {
        {"/d/result", "/d/result.txt"},   {"/d/result.txt", "/d/result.txt"},
        {"/d/a.txt.b", "/d/a.txt.b.txt"}, {"/d/RESULT.TXT", "/d/RESULT.TXT"},
        {"/d/a.txt/b", "/d/a.txt/b.txt"}, {"/d/x.Txt", "/d/x.Txt"},
        {"/d/txt", "/d/txt.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithTxtExtension(c.chosen), c.stored) << c.chosen;
}

TEST(ReportFile, BytesAreTheGbkReportExactly) {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.txt");
    ASSERT_TRUE(SaveReportFile(path, kReport));
    const QByteArray bytes = ReadAll(path);
    QByteArray expected("\xB2\xE2\xCA\xD4\xCA\xB1\xBC\xE4\xA3\xBA"); // 测试时间：
    expected += "2024-05-17 10:11:12\r\n\xB2\xE2\xCA\xD4\xB5\xE7\xD1\xB9\xA3\xBA"
                "200V\r\n"
                "I(A)\tU(V)\r\n0.000\t0.0\r\n0.100\t100.0\r\n";
    EXPECT_EQ(bytes, expected);

    ASSERT_TRUE(SaveReportFile(path, "short")); // a shorter report replaces the file whole
    EXPECT_EQ(ReadAll(path), "short");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"r.txt"}));
}

TEST(ReportFile, UnwritablePathsFail) {
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QDir(dir.path()).mkdir("folder.txt");
    for (const QString& path :
         {dir.filePath("folder.txt"), dir.filePath("missing/r.txt"), dir.filePath("plain/r.txt")})
        EXPECT_FALSE(SaveReportFile(path, kReport)) << qPrintable(path);
}

TEST(ReportFile, FailedWriteLeavesTheOldFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.txt");
    ASSERT_TRUE(SaveReportFile(path, "old report"));

    // A file size limit makes the write fail part way, as a full disk would (root ignores
    // permissions, so they cannot make it fail here).
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_ok = SaveReportFile(path, kReport);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(ReadAll(path), "old report");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"r.txt"}));
}

namespace {

class ReportCommands : public ::testing::Test {
  protected:
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QPrintPreviewDialog*>(w))
                delete w;
    }
    static QList<QPrintPreviewDialog*> Previews() {
        QList<QPrintPreviewDialog*> previews;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* preview = qobject_cast<QPrintPreviewDialog*>(w))
                previews << preview;
        return previews;
    }

    CTarvexApp app;
    QWidget owner;
    QTemporaryDir dir;
    tarvex::FileDialogRecorder dialogs;
    tarvex::MessageBoxRecorder boxes;
};

} // namespace

TEST_F(ReportCommands, SaveAsksWithTheSuggestedNameAndAppendsTxt) {
    app.m_strReport = kReport;
    dialogs.setAnswer(dir.filePath("result"));
    SaveReport(&owner, "CT伏安特性");
    ASSERT_EQ(dialogs.calls().size(), 1u);
    EXPECT_EQ(dialogs.calls()[0].kind, tarvex::FileDialogKind::Save);
    EXPECT_EQ(dialogs.calls()[0].suggestedName, "CT伏安特性");
    EXPECT_EQ(dialogs.calls()[0].filter, "数据文件(*.txt)|*.txt|");
    QStringEncoder gbk("GBK");
    EXPECT_EQ(ReadAll(dir.filePath("result.txt")), QByteArray(gbk.encode(kReport)));
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(ReportCommands, CancelledOrEmptySaveWritesNothing) {
    app.m_strReport = kReport;
    SaveReport(&owner, "CT007"); // the recorder cancels
    app.m_strReport.clear();
    dialogs.setAnswer(dir.filePath("empty.txt"));
    SaveReport(&owner, "CT007");
    EXPECT_EQ(dialogs.calls().size(), 1u); // an empty report asks nothing
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(ReportCommands, FailedSaveSaysSo) {
    app.m_strReport = kReport;
    dialogs.setAnswer(dir.filePath("missing/result.txt"));
    SaveReport(&owner, "PT012");
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "保存文件失败");
    EXPECT_EQ(boxes.calls()[0].caption, "系统提示");
}

TEST_F(ReportCommands, FileThatTxtMakesTheNameOfIsReplacedOnlyAfterAYes) {
    app.m_strReport = kReport;
    const QString existing = dir.filePath("ct.txt");
    const struct {
        int answer;
        QByteArray content;
    } cases[] = {{IDNO, "old report"}, {IDYES, QStringEncoder("GBK").encode(kReport)}};
    for (const auto& c : cases) {
        ASSERT_TRUE(SaveReportFile(existing, "old report"));
        boxes.clear();
        boxes.setAnswer(c.answer);
        dialogs.setAnswer(dir.filePath("ct")); // the dialog saw no file "ct"
        SaveReport(&owner, "CT伏安特性");
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.calls()[0].text, "文件ct.txt已存在，是否替换？");
        EXPECT_EQ(boxes.calls()[0].caption, "系统提示");
        EXPECT_EQ(boxes.calls()[0].style & MB_TYPEMASK, MB_YESNO);
        EXPECT_EQ(ReadAll(existing), c.content);
    }
    boxes.clear();
    dialogs.setAnswer(existing); // the dialog has asked about this name itself
    SaveReport(&owner, "CT伏安特性");
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(ReportCommands, CharacterGbkCannotEncodeRefusesTheSave) {
    dialogs.setAnswer(dir.filePath("r.txt"));
    for (const char* character : {"한", "😀", "\u00A0"}) {
        app.m_strReport = kReport + QString::fromUtf8("相序：%1\r\n").arg(character);
        boxes.clear();
        SaveReport(&owner, "CT伏安特性");
        EXPECT_EQ(boxes.texts(),
                  QStringList("报告含有无法保存的字符'" + QString::fromUtf8(character) + "'"));
    }
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(ReportCommands, PrintLeavesTheReportInAnOpenPreview) {
    app.m_strReport = kReport;
    PrintReport(&owner);
    const QList<QPrintPreviewDialog*> previews = Previews();
    ASSERT_EQ(previews.size(), 1);
    QPrintPreviewDialog* preview = previews[0];
    EXPECT_TRUE(preview->isVisible());
    EXPECT_FALSE(preview->isModal());
    auto* document = preview->findChild<QTextDocument*>();
    ASSERT_NE(document, nullptr);
    QString expected = kReport;
    expected.replace("\r\n", "\n");
    EXPECT_EQ(document->toPlainText(), expected);
    EXPECT_EQ(document->blockCount(), 6); // a paragraph per line, and the empty last one
    EXPECT_EQ(document->defaultFont().family(), "宋体");

    // What the preview prints: the text to a PDF file.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("report.pdf"));
    emit preview->paintRequested(&printer);
    EXPECT_TRUE(ReadAll(dir.filePath("report.pdf")).startsWith("%PDF"));

    preview->close(); // the operator closes it: it goes away
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Previews().isEmpty());
}

TEST_F(ReportCommands, EmptyReportPrintsNothing) {
    PrintReport(&owner);
    EXPECT_TRUE(Previews().isEmpty());
}

TEST(WordReport, TypedTextGoesAtTheSelection) {
    QWidget owner;
    CWordReport word(&owner);
    EXPECT_FALSE(word.AddDocument({}, false, 0, true)); // no application yet
    ASSERT_TRUE(word.CreateApplication());
    EXPECT_FALSE(word.AddDocument({}, false, 1, true)); // not a blank document
    ASSERT_TRUE(word.AddDocument({}, false, 0, true));
    word.TypeText("ab\r\ncd");
    word.MoveRight("1", "1", "0"); // at the end already: stays
    word.TypeText("e");
    EXPECT_EQ(word.Document()->toPlainText(), "ab\ncde");
    word.PrintPreview();
    EXPECT_FALSE(word.PreviewDialog()->isVisible()); // the application is not visible yet
    word.SetVisible(true);
    EXPECT_TRUE(word.PreviewDialog()->isVisible());
    word.PreviewDialog()->close();
}
