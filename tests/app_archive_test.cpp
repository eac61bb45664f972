// The results archive as the operator meets it: every result recorded before it is shown, kept
// when the program is killed, shown again exactly as measured, and an archive fault that never
// stops a test.
#include "app/archiveview.h"
#include "app/mainfrm.h"
#include "app/reportentries.h"
#include "app/tarvexapp.h"
#include "controls/ltree.h"
#include "devicelink.h"
#include "history/archivetablemodel.h"
#include "pages/excitationpage.h"
#include "pages/ibbdlg.h"
#include "pages/testpage.h"
#include "pages/ubbdlg.h"
#include "platform/msgboxrecorder.h"
#include "platform/virtualclock.h"
#include "sim/engine.h"
#include "sim/simportopener.h"
#include "state/resultrecorder.h"
#include "testkinds.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// The program against the simulated instrument, with its archive at a path of the test's.
class ArchiveApp : public ::testing::Test {
  protected:
    void TearDown() override { Quit(); }

    void Boot(const QString& archivePath) {
        port = std::make_unique<sim::ScopedSimPort>(engine);
        app = std::make_unique<CTarvexApp>();
        app->m_strArchivePath = archivePath;
        ASSERT_TRUE(app->InitInstance());
        frame = app->m_pMainWnd;
    }
    void Quit() {
        if (app)
            app->ExitInstance();
        app.reset();
        port.reset();
    }
    void Connect() {
        frame->OnConnect();
        ASSERT_TRUE(app->m_pLink->m_bConnected);
        boxes.clear();
    }
    // Chooses the test in the tree and presses its start button; the result is on show after.
    CTestPage* Run(int kind) {
        frame->m_LTree->SelectTest(kind);
        CTestPage* page = frame->TestPage(kind);
        const char* start = tarvex::kTestKinds[kind].startButtonId == 1009 ? "id1009" : "id1013";
        QTest::mouseClick(page->findChild<QPushButton*>(start), Qt::LeftButton);
        return page;
    }
    QList<ArchivedResult> Rows() { return app->m_pRecorder->Archive().Recent(0); }

    // What Save writes for the result on show, on the pages that save one.
    static QString Report(QWidget* page) {
        theApp().m_strReport.clear();
        if (auto* excitation = qobject_cast<CExcitationPage*>(page))
            excitation->BuildResultText();
        else if (auto* ctRatio = qobject_cast<CIBBDlg*>(page))
            ctRatio->BuildResultText();
        else if (auto* ptRatio = qobject_cast<CUBBDlg*>(page))
            ptRatio->BuildResultText();
        return theApp().m_strReport;
    }
    // What the page shows (entries, results and list rows, by object name) and saves.
    static QStringList Shown(QWidget* page) {
        QStringList texts;
        for (const QLineEdit* edit : page->findChildren<QLineEdit*>())
            texts << edit->objectName() + "=" + edit->text();
        for (const QLabel* label : page->findChildren<QLabel*>())
            texts << label->objectName() + "=" + label->text();
        for (const QComboBox* box : page->findChildren<QComboBox*>())
            texts << box->objectName() + "=" + box->currentText();
        for (const QTreeWidget* list : page->findChildren<QTreeWidget*>()) {
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                for (int column = 0; column < list->columnCount(); ++column)
                    texts << list->topLevelItem(row)->text(column);
        }
        texts << "report=" + Report(page).replace("\r\n", "|");
        return texts;
    }

    tarvex::VirtualClock clock;
    tarvex::ScopedClock useClock{clock};
    tarvex::MessageBoxRecorder boxes;
    sim::Engine engine;
    std::unique_ptr<sim::ScopedSimPort> port;
    std::unique_ptr<CTarvexApp> app;
    CMainFrame* frame = nullptr;
    QTemporaryDir dir;
};

// Each test's result, recorded as it arrived, is shown again from the archive as it was: the
// page emptied and its entries changed in between.
TEST_F(ArchiveApp, EveryResultIsRecordedAndShownAgainAsMeasured) {
    Boot(dir.filePath("archive.sqlite"));
    Connect();
    for (const tarvex::TestKindInfo& kind : tarvex::kTestKinds) {
        SCOPED_TRACE(kind.name);
        CTestPage* page = Run(kind.index);
        const QStringList measured = Shown(page);
        const QList<ArchivedResult> rows = Rows();
        ASSERT_EQ(rows.size(), kind.index + 1);
        const ArchivedResult& row = rows.first();
        EXPECT_EQ(row.testKind, kind.index);
        EXPECT_EQ(row.rawReply.left(3), QByteArray("\x55\xAA", 2) + char(kind.code));
        EXPECT_EQ(row.deviceInfo.mid(3), QByteArray("\xAF\xA1\xA1", 3));

        page->ClearResults();
        app->m_results.Clear(); // Save and the report must take the row, not the measurement
        if (kind.startButtonId == 1009)
            page->SetDlgItemText(1006, "7"); // the line number entry
        frame->m_LTree->SelectTest((kind.index + 1) % tarvex::kTestKindCount);
        ShowArchivedResult(*frame, row);
        EXPECT_EQ(Shown(page), measured);
        const QList<ReportEntry> onShow = ReportEntriesOnShow(kind.index, page, nullptr);
        ASSERT_EQ(onShow.size(), 1);
        EXPECT_EQ(onShow[0].result.arrived, row.recordedAt);
        EXPECT_TRUE(page->isVisible());
        // Once the display of the last wait has gone.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return frame->MessagePaneText().startsWith("测试档案："); }, 2000));
        EXPECT_EQ(frame->CommandAction(CMainFrame::ID_SAVE)->isEnabled(), kind.composesReport);
        EXPECT_EQ(frame->SaveName(), kind.name); // not that of the tree item chosen before
    }
    EXPECT_TRUE(boxes.calls().empty());
    // The list judges error results by the class kept; a report takes every row chosen.
    const QList<ArchivedResult> rows = Rows();
    const QList<ReportEntry> entries = ReportEntriesOfArchive(rows);
    ASSERT_EQ(entries.size(), rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const bool error =
            rows[i].testKind == tarvex::kCtErrorKind || rows[i].testKind == tarvex::kPtErrorKind;
        EXPECT_EQ(entries[i].kind, rows[i].testKind);
        EXPECT_EQ(entries[i].accuracyClass.has_value(), error);
        EXPECT_EQ(KeyValuesText(rows[i]).contains(QRegularExpression("级 (不)?合格$")), error);
    }
}

// The child: runs a CT ratio test and dies the moment its page shows the polarity, the last
// field of the result, after printing what the page shows.
TEST_F(ArchiveApp, DISABLED_ChildKilledRightAfterTheResultIsShown) {
    const QString path = qEnvironmentVariable("TARVEX_TEST_ARCHIVE");
    if (path.isEmpty())
        GTEST_SKIP();
    Boot(path);
    Connect();
    CTestPage* page = frame->TestPage(tarvex::kCtRatioKind);
    QObject::connect(page->findChild<QLineEdit*>("id1009"), &QLineEdit::textChanged, [page] {
        std::printf("SHOWN:%s\n", qPrintable(Shown(page).join('|')));
        std::fflush(stdout);
        raise(SIGKILL);
    });
    Run(tarvex::kCtRatioKind);
}

TEST_F(ArchiveApp, AResultShownSurvivesTheProgramKilledTheMomentAfter) {
    const QString path = dir.filePath("archive.sqlite");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TARVEX_TEST_ARCHIVE", path);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests",
                 "--gtest_filter=ArchiveApp.DISABLED_ChildKilledRightAfterTheResultIsShown"});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    const qsizetype at = output.indexOf("SHOWN:");
    ASSERT_GE(at, 0) << output.toStdString();
    const QString shown = output.mid(at + 6).section('\n', 0, 0);

    Boot(path);
    const QList<ArchivedResult> rows = Rows();
    ASSERT_EQ(rows.size(), 1);
    ShowArchivedResult(*frame, rows.first());
    EXPECT_EQ(Shown(frame->TestPage(tarvex::kCtRatioKind)).join('|'), shown);
}

// An archive that cannot be used is told once; the tests go on and show their results.
TEST_F(ArchiveApp, AnUnusableArchiveIsToldOnceAndTheTestsGoOn) {
    struct Case {
        const char* name;
        std::function<QString(const QString& folder)> prepare; // gives the archive's path
        const char* cause;
    };
    const Case cases[] = {
        {"damaged",
         [](const QString& folder) {
             QFile file(folder + "/archive.sqlite");
             file.open(QIODevice::WriteOnly);
             file.write(QByteArray(8192, '\x5A'));
             return file.fileName();
         },
         "文件已损坏，已另存为 archive.sqlite.damaged-"},
        {"no folder",
         [](const QString& folder) {
             QFile file(folder + "/file");
             file.open(QIODevice::WriteOnly);
             return file.fileName() + "/archive.sqlite";
         },
         "无法打开文件"},
        {"read-only",
         [](const QString& folder) {
             const QString path = folder + "/archive.sqlite";
             CResultArchive(path).Record({});
             QFile::setPermissions(path, QFile::ReadOwner);
             return path;
         },
         "文件只读"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (geteuid() == 0 && QString(c.name) == "read-only")
            continue; // root writes a read-only file
        QTemporaryDir folder;
        Boot(c.prepare(folder.path()));
        const QString note = QString("测试档案不可用：") + c.cause;
        EXPECT_TRUE(frame->MessagePaneText().startsWith(note))
            << frame->MessagePaneText().toStdString();
        Connect();
        CTestPage* page = Run(tarvex::kCtRatioKind);
        EXPECT_EQ(page->GetDlgItemText(1008), "5");
        EXPECT_FALSE(frame->MessagePaneText().startsWith("测试档案不可用"));
        EXPECT_TRUE(boxes.calls().empty());
        const bool setAside = QString(c.name) == "damaged";
        EXPECT_EQ(QDir(folder.path()).entryList({"archive.sqlite.damaged-*"}).size(), setAside);
        EXPECT_EQ(app->m_pRecorder->Archive().Recent(0).size(), setAside);
        Quit();
    }
}

} // namespace
