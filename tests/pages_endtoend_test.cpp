// The seven tests run as the operator runs them: connect, choose the test in the tree, press
// start; the main frame's dispatcher hands the simulated instrument's replies to the pages.
#include "app/mainfrm.h"
#include "app/tarvexapp.h"
#include "controls/ltree.h"
#include "controls/mytabctrl.h"
#include "link/replyfields.h"
#include "pages/dzdlg.h"
#include "pages/ibbdlg.h"
#include "pages/ifhdlg.h"
#include "pages/ijbdlg.h"
#include "pages/ivadlg.h"
#include "pages/ubbdlg.h"
#include "pages/ufhdlg.h"
#include "pages/ujbdlg.h"
#include "pages/uvadlg.h"
#include "platform/clock.h"
#include "sim/simserialdevice.h"
#include "support/pagebench.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

enum Kind {
    kCtRatio = 1,
    kCtError = 2,
    kCtBurden = 3,
    kPtRatio = 5,
    kPtError = 6,
    kPtBurden = 7,
    kResistance = 8
};

class EndToEnd : public ::testing::Test {
  protected:
    void TearDown() override {
        if (app)
            app->ExitInstance();
        app.reset();
        port.reset();
        engine.reset();
    }

    // Starts the program against an instrument with these options and connects to it.
    void Boot(sim::EngineOptions options = {}) {
        tarvex::InitResources();
        engine = std::make_unique<sim::Engine>(options);
        port = std::make_unique<sim::ScopedSimPort>(*engine);
        app = std::make_unique<CTarvexApp>();
        ASSERT_TRUE(app->InitInstance());
        frame = app->m_pMainWnd;
        frame->OnConnect();
        ASSERT_TRUE(app->m_pLink->m_bConnected);
        ASSERT_EQ(boxes.texts(), QStringList{"连接设备成功"});
        boxes.clear();
    }

    // Chooses the test in the tree and presses its start button, which the handshake enabled.
    void Run(int kind, QWidget* page) {
        frame->m_LTree->SelectTest(kind);
        ASSERT_EQ(engine->TestKind(), CDeviceLink::TestKindCode(kind));
        auto* start = page->findChild<QPushButton*>("id1013");
        ASSERT_TRUE(start->isEnabled());
        ASSERT_TRUE(page->isVisible());
        port->ClearWritten();
        QTest::mouseClick(start, Qt::LeftButton);
    }

    static double Number(const CDlgBase* page, int id) {
        bool ok = false;
        const double value = page->GetDlgItemText(id).toDouble(&ok);
        EXPECT_TRUE(ok) << id << ": " << page->GetDlgItemText(id).toStdString();
        return value;
    }

    std::vector<Bytes> Frames() const { return SplitFrames(port->Written()); }

    // The message pane, once the display of the last wait has gone.
    bool PaneSays(const QString& text) const {
        return QTest::qWaitFor([&] { return frame->MessagePaneText() == text; }, 2000);
    }

    tarvex::VirtualClock clock;
    tarvex::ScopedClock useClock{clock};
    tarvex::MessageBoxRecorder boxes;
    std::unique_ptr<sim::Engine> engine;
    std::unique_ptr<sim::ScopedSimPort> port;
    std::unique_ptr<CTarvexApp> app;
    CMainFrame* frame = nullptr;
};

} // namespace

TEST_F(EndToEnd, StartButtonsWaitForTheHandshake) {
    tarvex::InitResources();
    engine = std::make_unique<sim::Engine>();
    port = std::make_unique<sim::ScopedSimPort>(*engine);
    app = std::make_unique<CTarvexApp>();
    ASSERT_TRUE(app->InitInstance());
    const std::vector<QWidget*> pages = {app->m_pIBBDlg, app->m_pIJBDlg, app->m_pIFHDlg,
                                         app->m_pUBBDlg, app->m_pUJBDlg, app->m_pUFHDlg,
                                         app->m_pDZDlg};
    for (QWidget* page : pages) {
        ASSERT_NE(page, nullptr);
        EXPECT_FALSE(page->findChild<QPushButton*>("id1013")->isEnabled());
    }
    app->m_pMainWnd->OnConnect();
    for (QWidget* page : pages)
        EXPECT_TRUE(page->findChild<QPushButton*>("id1013")->isEnabled());
}

TEST_F(EndToEnd, CtRatioOfA600To5Transformer) {
    const struct {
        bool positive;
        const char* polarity;
    } cases[] = {{true, "+"}, {false, "-"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.polarity);
        sim::EngineOptions options;
        options.ct.polarityPositive = c.positive;
        Boot(options);
        CIBBDlg* page = app->m_pIBBDlg;
        Run(kCtRatio, page);

        EXPECT_EQ(page->GetDlgItemText(1005), "100.0"); // the page's test current
        EXPECT_NEAR(Number(page, 1006), 100.0 / 120, 0.01);
        EXPECT_NEAR(Number(page, 1007), 600, 600 * 0.005); // within class 0.5
        EXPECT_EQ(page->GetDlgItemText(1008), "5");
        EXPECT_EQ(page->GetDlgItemText(1009), c.polarity);
        EXPECT_TRUE(boxes.calls().empty());
        TearDown();
    }
}

TEST_F(EndToEnd, CtRatioOfASixTapTransformerFillsTheList) {
    sim::EngineOptions options;
    options.deviceType = 0xA2;
    Boot(options);
    CIBBDlg* page = app->m_pIBBDlg;
    EXPECT_EQ(page->m_nSingleMode, 0);
    page->CheckRadio(1011); // rated 1 A: the instrument gives the ratio against it
    Run(kCtRatio, page);

    auto* list = page->findChild<QTreeWidget*>("id1003");
    EXPECT_TRUE(list->isVisible());
    ASSERT_EQ(list->topLevelItemCount(), 6);
    for (int tap = 0; tap < 6; ++tap) {
        const QTreeWidgetItem* row = list->topLevelItem(tap);
        EXPECT_EQ(row->text(0), QString("L%1-K%1").arg(tap + 1));
        const QStringList ratio = row->text(1).split('/');
        ASSERT_EQ(ratio.size(), 2);
        // Tap k of six has k/6 of the 600 A winding, here against 1 A.
        EXPECT_NEAR(ratio[0].toDouble(), 100.0 * (tap + 1) / 5, 100.0 * (tap + 1) / 5 * 0.01);
        EXPECT_EQ(ratio[1], "1");
        EXPECT_EQ(row->text(2), "+");
    }
    EXPECT_EQ(page->GetDlgItemText(1005), "100.0");

    page->BuildResultText();
    EXPECT_EQ(app->m_strReport.count("\r\n"), 3 + 6);
    EXPECT_TRUE(app->m_strReport.contains("L6-K6\t"));
}

TEST_F(EndToEnd, LimitsOfTheSmallerInstrumentStopTheRatioTests) {
    sim::EngineOptions options;
    options.range = 0xA2;
    Boot(options);

    frame->m_LTree->SelectTest(kCtRatio);
    PageBench::Type(app->m_pIBBDlg, "id1004", "601");
    port->ClearWritten();
    QTest::mouseClick(app->m_pIBBDlg->findChild<QPushButton*>("id1013"), Qt::LeftButton);
    EXPECT_EQ(boxes.texts(), QStringList{"一次侧测试电流不能超过600A，请重新设置"});
    EXPECT_TRUE(Frames().empty());

    boxes.clear();
    frame->m_LTree->SelectTest(kPtRatio);
    PageBench::Type(app->m_pUBBDlg, "id1004", "1001");
    port->ClearWritten();
    QTest::mouseClick(app->m_pUBBDlg->findChild<QPushButton*>("id1013"), Qt::LeftButton);
    EXPECT_EQ(boxes.texts(), QStringList{"一次侧测试电压不能超过1000V，请重新设置"});
    EXPECT_TRUE(Frames().empty());

    // At the limit the test runs.
    boxes.clear();
    PageBench::Type(app->m_pUBBDlg, "id1004", "1000");
    Run(kPtRatio, app->m_pUBBDlg);
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_EQ(app->m_pUBBDlg->GetDlgItemText(1005), "1000.0");
}

TEST_F(EndToEnd, CtErrorsOfAClass05TransformerStayWithinTheClassLimits) {
    Boot();
    CIJBDlg* page = app->m_pIJBDlg;
    PageBench::Type(page, "id1005", "10");
    page->CheckRadio(1011); // full load
    Run(kCtError, page);

    ASSERT_FALSE(Frames().empty());
    EXPECT_EQ(Frames()[0], Frame(0xF0, {0x02, 0x58, 0x05, 0x0A, 0x01}));
    // Class 0.5 at 5, 20, 100, 120 % of rated current (IEC 61869-2).
    const double ratioLimit[] = {1.5, 0.75, 0.5, 0.5};
    const double phaseLimit[] = {90, 45, 30, 30};
    const int phaseIds[] = {1006, 1008, 1010, 1017};
    const int ratioIds[] = {1007, 1009, 1014, 1018};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const double ratio = Number(page, ratioIds[i]);
        const double phase = Number(page, phaseIds[i]);
        EXPECT_LT(ratio, 0); // the exciting current makes the secondary short
        EXPECT_GT(ratio, -ratioLimit[i]);
        EXPECT_GT(phase, 0);
        EXPECT_LT(phase, phaseLimit[i]);
    }
    EXPECT_LT(Number(page, 1007), Number(page, 1014)); // largest at the lightest load
}

TEST_F(EndToEnd, CtBurdenOfTheSecondaryCircuit) {
    sim::EngineOptions options;
    options.ct.connectedBurden = 1.7;
    Boot(options);
    CIFHDlg* page = app->m_pIFHDlg;
    page->CheckRadio(1011);
    Run(kCtBurden, page);

    ASSERT_FALSE(Frames().empty());
    EXPECT_EQ(Frames()[0], (Bytes{0xAA, 0x55, 0xF2, 0x01, 0x0D, 0x0A, 0x00}));
    EXPECT_EQ(page->GetDlgItemText(1004), "1.7");
}

TEST_F(EndToEnd, PtRatioOfA10kVTo100VTransformer) {
    sim::EngineOptions options;
    options.pt.polarityPositive = false;
    Boot(options);
    CUBBDlg* page = app->m_pUBBDlg;
    Run(kPtRatio, page);

    EXPECT_EQ(page->GetDlgItemText(1005), "1000.0");
    EXPECT_NEAR(Number(page, 1006), 10.0, 0.05);
    EXPECT_NEAR(Number(page, 1007), 10.0, 0.05);
    EXPECT_EQ(page->GetDlgItemText(1008), "100");
    EXPECT_EQ(page->GetDlgItemText(1009), "-");

    page->BuildResultText();
    EXPECT_TRUE(app->m_strReport.startsWith("一次：1000.0V\r\n"));
    EXPECT_TRUE(app->m_strReport.endsWith("V\r\n极性：-"));
}

TEST_F(EndToEnd, PtErrorsOfAClass05TransformerStayWithinTheClassLimits) {
    Boot();
    CUJBDlg* page = app->m_pUJBDlg;
    PageBench::Type(page, "id1005", "30");
    page->CheckRadio(1011);
    Run(kPtError, page);

    ASSERT_FALSE(Frames().empty());
    EXPECT_EQ(Frames()[0], Frame(0xF1, {0x00, 0x64, 0x00, 0x1E, 0x01}));
    const int phaseIds[] = {1006, 1008, 1010};
    const int ratioIds[] = {1007, 1009, 1014};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        // Class 0.5 (IEC 61869-3): 0.5 % and 20 minutes from 80 to 120 % of rated voltage.
        EXPECT_LT(Number(page, ratioIds[i]), 0);
        EXPECT_GT(Number(page, ratioIds[i]), -0.5);
        EXPECT_GT(Number(page, phaseIds[i]), 0);
        EXPECT_LT(Number(page, phaseIds[i]), 20);
    }
}

TEST_F(EndToEnd, PtBurdenAtTheRatedSecondaryVoltageChosen) {
    // 400 Ω takes U² / 400 at the rated secondary voltage.
    const struct {
        int index;
        const char* shown;
    } cases[] = {{-1, "25.0"}, {3, "121.0"}, {2, "8.3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        Boot();
        CUFHDlg* page = app->m_pUFHDlg;
        if (c.index >= 0)
            page->SetSelectedIndex(1014, c.index);
        Run(kPtBurden, page);
        EXPECT_EQ(page->GetDlgItemText(1004), c.shown);
        TearDown();
    }
}

TEST_F(EndToEnd, PtPagesSendTheRatedSecondaryTheBoxShows) {
    Boot();
    const struct {
        int kind;
        CTestPage* page;
        const char* box;
        std::size_t indexByte; // in the parameter frame
    } pages[] = {{kPtRatio, app->m_pUBBDlg, "id1014", 5},
                 {kPtError, app->m_pUJBDlg, "id1018", 5},
                 {kPtBurden, app->m_pUFHDlg, "id1014", 3}};
    // "220" chosen from the list, then other text typed over it: an item's exact text counts
    // as that item, any other text as no item.
    const struct {
        const char* typed;
        std::uint8_t index;
    } typings[] = {{"57", 0}, {"100/3", 1}, {"220", 3}};
    for (const auto& p : pages) {
        auto* box = p.page->findChild<QComboBox*>(p.box);
        for (const auto& t : typings) {
            SCOPED_TRACE(std::string(p.box) + " " + t.typed);
            frame->m_LTree->SelectTest(p.kind);
            for (int i = 0; i < 4; ++i)
                QTest::keyClick(box, Qt::Key_Down);
            ASSERT_EQ(box->currentIndex(), 3);
            QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(box->lineEdit(), t.typed);
            Run(p.kind, p.page);

            ASSERT_FALSE(Frames().empty());
            EXPECT_EQ(Frames()[0].at(p.indexByte), t.index);
            EXPECT_EQ(box->currentText(), t.typed);
            if (p.kind == kPtRatio) {
                EXPECT_EQ(p.page->GetDlgItemText(1008), tarvex::RatedSecondaryText(t.index));
            }
        }
    }
}

TEST_F(EndToEnd, EntriesTakeDigitsAloneAndCombosKeepTheirItems) {
    Boot();
    const std::pair<CTestPage*, const char*> digitEntries[] = {
        {app->m_pIVADlg, "id1004"}, {app->m_pIVADlg, "id1007"}, {app->m_pUVADlg, "id1006"},
        {app->m_pIJBDlg, "id1004"}, {app->m_pIJBDlg, "id1005"}, {app->m_pUJBDlg, "id1005"}};
    for (const auto& [page, name] : digitEntries) {
        SCOPED_TRACE(name);
        auto* entry = page->findChild<QLineEdit*>(name);
        entry->clear();
        QTest::keyClicks(entry, "1a-2. 3");
        EXPECT_EQ(entry->text(), "123");
    }
    const std::pair<CTestPage*, const char*> combos[] = {{app->m_pIVADlg, "id1014"},
                                                         {app->m_pUVADlg, "id1014"},
                                                         {app->m_pUBBDlg, "id1014"},
                                                         {app->m_pUJBDlg, "id1018"},
                                                         {app->m_pUFHDlg, "id1014"}};
    for (const auto& [page, name] : combos) {
        SCOPED_TRACE(name);
        auto* box = page->findChild<QComboBox*>(name);
        const int items = box->count();
        QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box->lineEdit(), "D");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(box->count(), items);
        EXPECT_EQ(box->currentText(), "D");
    }
}

TEST_F(EndToEnd, DcResistanceInMilliohmOrOhm) {
    const struct {
        double ohm;
        const char* shown;
        int icon;
    } cases[] = {{0.235, "235.0", 169}, {5.0, "5.0", 168}, {3.2767, "3276.7", 169}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        sim::EngineOptions options;
        options.ct.windingResistance = c.ohm;
        Boot(options);
        CDZDlg* page = app->m_pDZDlg;
        Run(kResistance, page);

        ASSERT_FALSE(Frames().empty());
        EXPECT_EQ(Frames()[0], Frame(0xEB, {})); // no parameter command before the start
        EXPECT_EQ(page->GetDlgItemText(1004), c.shown);
        EXPECT_EQ(page->findChild<QLabel*>("id1034")->pixmap().toImage(),
                  QPixmap(tarvex::IconPath(c.icon)).toImage());
        TearDown();
    }
}

TEST_F(EndToEnd, ResultArrivesWhileAnotherPageIsInFront) {
    Boot();
    CIFHDlg* burden = app->m_pIFHDlg;
    Run(kCtBurden, burden);
    ASSERT_EQ(burden->GetDlgItemText(1004), "0.8");
    // A later result of the PT burden test reaches its page while the CT page is on show.
    app->m_pLink->SetTestKind(kPtBurden);
    app->m_pLink->StartTest();
    EXPECT_EQ(app->m_pUFHDlg->GetDlgItemText(1004), "25.0");
    EXPECT_FALSE(app->m_pUFHDlg->isVisible());
}

// An impatient operator: a second click on start, a click in the tree and a close of the window,
// all while the test runs. None may act afterwards; the result the test brings is shown.
TEST_F(EndToEnd, InputAndACloseDuringATestAreThrownAwayAndTheResultShows) {
    Boot();
    CDZDlg* page = app->m_pDZDlg;
    auto* start = page->findChild<QPushButton*>("id1013");
    bool closedMeanwhile = true;
    QString refusal;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(tarvex::WaitInProgress());
        QTest::mouseClick(start, Qt::LeftButton);
        QTest::keyClick(start, Qt::Key_Space);
        QTreeWidget* tree = frame->m_LTree;
        QTreeWidgetItem* ctRatio = tree->topLevelItem(0)->child(1);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(ctRatio).center());
        closedMeanwhile = !frame->close();
        refusal = frame->statusBar()->currentMessage();
    });
    Run(kResistance, page);
    QCoreApplication::processEvents();

    int starts = 0;
    for (const Bytes& f : Frames())
        starts += f == Frame(0xEB, {});
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, kResistance);
    EXPECT_TRUE(closedMeanwhile);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(refusal, "测试进行中，请等待测试结束");
    // The refusal goes with the wait it waited for.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return frame->statusBar()->currentMessage().isEmpty(); }, 1000));
    EXPECT_FALSE(page->GetDlgItemText(1004).isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The message pane tells what a reply that never came means, and forgets it at the next command.
TEST_F(EndToEnd, MissingRepliesAndALostDeviceAreNotedInTheMessagePane) {
    Boot();
    EXPECT_TRUE(PaneSays("就绪"));
    engine->SetFaults({{sim::Fault::NoReply, {}, 0}});
    frame->OnConnect();
    EXPECT_TRUE(PaneSays("仪器无应答"));
    frame->m_LTree->SelectTest(kCtBurden); // 0xEC, a command without a reply
    EXPECT_TRUE(PaneSays("就绪"));
    Run(kResistance, app->m_pDZDlg);
    EXPECT_TRUE(PaneSays("仪器无应答"));

    engine->SetFaults({});
    Run(kResistance, app->m_pDZDlg);
    EXPECT_TRUE(PaneSays("就绪"));

    port->SetAvailable(false); // pulled out: the device is not there to open again
    port->Device()->Vanish();
    Run(kResistance, app->m_pDZDlg);
    EXPECT_TRUE(PaneSays("设备已断开"));
    EXPECT_EQ(frame->ConnPaneText(), "没有连接设备");
    port->SetAvailable(true);
    ASSERT_TRUE(app->m_pLink->Open(1, 9600)); // as the port dialog opens it again
    frame->ShowPortOpened(1, 9600);
    EXPECT_TRUE(PaneSays("就绪"));
}

// A result that comes after the polls gave up must not answer the next command.
TEST_F(EndToEnd, ALateResultIsNeverTakenAsTheAnswerToTheNextCommand) {
    Boot();
    sim::FaultSettings late;
    late.lateMarginMs = 3000; // after both polls have given up
    engine->SetFaultSettings(late);
    engine->SetFaults({{sim::Fault::LateReply, {}, 0}});
    CIFHDlg* burden = app->m_pIFHDlg;
    Run(kCtBurden, burden);
    EXPECT_EQ(burden->GetDlgItemText(1004), "");
    engine->SetFaults({{sim::Fault::NoReply, {}, 0}});
    clock.Advance(4000); // the late replies have all arrived by now
    port->ClearWritten();
    frame->OnConnect();
    EXPECT_EQ(Frames(), std::vector<Bytes>{Frame(0xD0, {})}); // no F6 for a stale test-finished
    EXPECT_EQ(burden->GetDlgItemText(1004), "");
    EXPECT_TRUE(PaneSays("仪器无应答"));
}
