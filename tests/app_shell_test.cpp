#include "support/shellfixture.h"

#include "app/commdlg.h"
#include "app/syssetdlg.h"
#include "history/searchdlg.h"
#include "pages/dzdlg.h"
#include "pages/ibbdlg.h"
#include "pages/ijbdlg.h"
#include "pages/ivadlg.h"
#include "pages/iwcdlg.h"
#include "pages/uvadlg.h"
#include "platform/appearance.h"
#include "platform/dlgitems.h"
#include "platform/filedialog.h"
#include "platform/filedialogrecorder.h"
#include "protocoltrace.h"

#include <cmath>
#include <csignal>
#include <filesystem>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>

#include <memory>

using Bytes = std::vector<unsigned char>;

namespace {

const Bytes kHandshake{0x55, 0xAA, 0xD0, 0xFD, 0xFA};
const Bytes kInfoRequest{0xAA, 0x55, 0xE0, 0x0D, 0x0A};

Bytes DeviceInfo(unsigned char model, unsigned char type, unsigned char range) {
    return {0x55, 0xAA, 0xE0, model, type, range, 0xFD, 0xFA};
}

} // namespace

class Shell : public ShellFixture {
  protected:
    // The window up and connected with test `kind` chosen in the tree, nothing written yet.
    QTabBar* TabsWithTestChosen(int kind) {
        link->m_bConnected = 1;
        frame->show();
        frame->m_LTree->SelectTest(kind);
        shared->written.clear();
        return frame->m_TabCtrl->TabBar();
    }
};

TEST_F(Shell, StartsWithItsTitleAndOpensCom1) {
    EXPECT_EQ(frame->windowTitle(), "互感器综合参数测试");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (std::pair<std::string, int>{"COM1", 9600}));
    EXPECT_EQ(frame->ConnPaneText(), "COM1已打开，波特率为9600bps");
    EXPECT_EQ(frame->pos(), QPoint(0, 0));
    EXPECT_FALSE(frame->m_TabCtrl->isVisibleTo(frame));
    EXPECT_TRUE(frame->m_pErrorCurveDlg->isHidden());
}

TEST(ShellStart, APortThatCannotBeOpenedLeavesThePaneSayingNoDevice) {
    tarvex::SetSerialOpener([](const std::string&, int) { return nullptr; });
    CTarvexApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.m_pMainWnd->ConnPaneText(), "没有连接设备");
    app.ExitInstance();
    tarvex::SetSerialOpener(nullptr);
}

TEST_F(Shell, MenusAndToolbarCarryTheirCaptionsAndCommands) {
    const std::pair<int, const char*> items[] = {
        {32776, "保存(&S)"},    {32777, "打印(&P)"},
        {32775, "退出(&E)"},    {32771, "端口(&P)"},
        {32772, "连接(&C)"},    {32774, "设置(&S)"},
        {32773, "搜索(&Q)"},    {59392, "工具栏(&T)"},
        {59393, "工具栏(&T)"},  {57664, "关于 互感器综合参数测试(&A)..."},
        {32778, "测试档案(&H)"}};
    for (const auto& [id, caption] : items)
        EXPECT_EQ(frame->CommandAction(id)->text(), caption) << id;
    const std::pair<int, const char*> prompts[] = {
        {32771, "端口设置"}, {32772, "连接"}, {32773, "搜索历史数据"}, {32774, "系统设置"},
        {32775, "退出"},     {32776, "保存"}, {32777, "打印"}};
    for (const auto& [id, prompt] : prompts) {
        EXPECT_EQ(frame->CommandAction(id)->toolTip(), prompt);
        EXPECT_EQ(frame->CommandAction(id)->statusTip(), prompt);
    }
    auto* toolbar = frame->findChild<QToolBar*>("toolbar128");
    ASSERT_TRUE(toolbar);
    QStringList texts;
    for (QAction* a : toolbar->actions())
        texts << (a->isSeparator() ? "|" : a->text());
    EXPECT_EQ(texts, (QStringList{"保存", "打印", "|", "端口配置", "连接", "系统设置", "搜索数据",
                                  "|", "退出", "|", "测试档案"}));
    for (QAction* a : toolbar->actions())
        EXPECT_TRUE(a->isSeparator() || !a->icon().isNull()) << a->text().toStdString();
}

TEST_F(Shell, ViewItemsFollowTheToolbarAndToggleTheStatusBar) {
    frame->show();
    auto* toolbar = frame->findChild<QToolBar*>("toolbar128");
    QAction* toolbarItem = frame->CommandAction(59392);
    QAction* statusItem = frame->CommandAction(59393);
    const std::unique_ptr<QMenu> context(frame->createPopupMenu());
    ASSERT_TRUE(context->actions().contains(toolbar->toggleViewAction()));
    toolbar->toggleViewAction()->trigger(); // hidden from its context menu
    EXPECT_FALSE(toolbar->isVisible());
    EXPECT_FALSE(toolbarItem->isChecked());
    toolbarItem->trigger();
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_TRUE(toolbarItem->isChecked());

    statusItem->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_TRUE(toolbar->isVisible());
    statusItem->trigger();
    EXPECT_TRUE(frame->statusBar()->isVisible());
}

TEST_F(Shell, TheClockPaneTicksWithTheDate) {
    QTest::qWait(600);
    const QString text = frame->TimePaneText();
    EXPECT_TRUE(QRegularExpression("^时间: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                    .match(text)
                    .hasMatch())
        << text.toStdString();
}

TEST_F(Shell, SplitterGivesThreeAndSevenTenths) {
    EXPECT_EQ(CMainFrame::SplitterWidths(1000), (std::pair<int, int>{300, 700}));
    EXPECT_EQ(CMainFrame::SplitterWidths(1005), (std::pair<int, int>{300, 700}));
    EXPECT_EQ(CMainFrame::SplitterWidths(1024), (std::pair<int, int>{306, 714}));
}

TEST_F(Shell, HandshakeConnectsAsksForDeviceInfoAndEnablesTheStarts) {
    Arrive(DeviceInfo(0xAD, 0xA2, 0xA1), 50);
    frame->m_TabCtrl->show();
    Dispatch(kHandshake);
    EXPECT_EQ(link->m_bConnected, 1);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "连接设备成功");
    EXPECT_EQ(boxes.calls()[0].caption, "系统提示");
    EXPECT_EQ(boxes.calls()[0].owner, frame);
    EXPECT_EQ(TakeWritten(), kInfoRequest);
    EXPECT_FALSE(frame->m_TabCtrl->isVisibleTo(frame));
    for (int kind = 0; kind < 9; ++kind) {
        auto* page = static_cast<CDialogPage*>(frame->m_TabCtrl->Page(kind));
        const int start = (kind == 0 || kind == 4) ? 1009 : 1013;
        EXPECT_TRUE(page->GetDlgItem(start)->isEnabled()) << kind;
    }
    // The nested device-information reply was dispatched before the handshake returned.
    EXPECT_EQ(app->m_bSupported[0], 0);
    EXPECT_EQ(app->m_bSupported[4], 1);
    EXPECT_EQ(g_RxLen, 0);
    // The next handshake may come from another instrument: one that does not answer the request
    // is not recorded as the one before.
    Dispatch(kHandshake);
    EXPECT_EQ(TakeWritten(), kInfoRequest);
    EXPECT_FALSE(app->m_deviceInfo.model || app->m_deviceInfo.deviceType);
}

TEST_F(Shell, StartButtonsStayDisabledUntilTheHandshake) {
    for (int kind = 0; kind < 9; ++kind) {
        auto* page = static_cast<CDialogPage*>(frame->m_TabCtrl->Page(kind));
        const int start = (kind == 0 || kind == 4) ? 1009 : 1013;
        EXPECT_FALSE(page->GetDlgItem(start)->isEnabled()) << kind;
    }
}

TEST_F(Shell, ModelCodesDecideTheSupportedTests) {
    struct Case {
        unsigned char model;
        std::array<int, 9> supported;
    };
    const Case cases[] = {
        {0xAB, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {0xAC, {1, 1, 1, 1, 0, 0, 0, 0, 0}},
        {0xAD, {0, 0, 0, 0, 1, 1, 1, 1, 0}},
        {0xAE, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        AnswerDeviceInfo(DeviceInfo(c.model, 0xA1, 0xA1));
        for (int k = 0; k < 9; ++k)
            EXPECT_EQ(app->m_bSupported[k], c.supported[k]) << int(c.model) << " kind " << k;
    }
    AnswerDeviceInfo(DeviceInfo(0x00, 0xA1, 0xA1));
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(app->m_bSupported[k], cases[3].supported[k]);
}

TEST_F(Shell, RangeBytesSetTheLimits) {
    AnswerDeviceInfo(DeviceInfo(0xAD, 0xA2, 0xA2));
    EXPECT_EQ(app->m_nMaxTestCurrent, 600);
    EXPECT_EQ(app->m_nMaxTestVoltage, 1000);
    AnswerDeviceInfo(DeviceInfo(0xAD, 0xA2, 0x00));
    EXPECT_EQ(app->m_nMaxTestCurrent, 600);
    AnswerDeviceInfo(DeviceInfo(0xAD, 0xA2, 0xA1));
    EXPECT_EQ(app->m_nMaxTestCurrent, 1000);
    EXPECT_EQ(app->m_nMaxTestVoltage, 2500);
}

TEST_F(Shell, DeviceTypeSwitchesTheCtRatioPageBetweenFieldsAndList) {
    auto* page = app->m_pIBBDlg;
    AnswerDeviceInfo(DeviceInfo(0xAC, 0xA2, 0xA1));
    EXPECT_FALSE(page->GetDlgItem(1003)->isHidden());
    EXPECT_TRUE(page->GetDlgItem(1007)->isHidden());
    AnswerDeviceInfo(DeviceInfo(0xAC, 0xA1, 0xA1));
    EXPECT_TRUE(page->GetDlgItem(1003)->isHidden());
    EXPECT_FALSE(page->GetDlgItem(1007)->isHidden());
}

TEST_F(Shell, TestFinishedAtAnOddOffsetAsksForTheResult) {
    link->m_bConnected = 1;
    Dispatch({0x00, 0x55, 0xAA, 0xEB, 0xFD, 0xFA});
    EXPECT_EQ(TakeWritten(), (Bytes{0xAA, 0x55, 0xF6, 0x0D, 0x0A}));
    EXPECT_EQ(link->m_bStartAcked, 1);
}

TEST_F(Shell, DisconnectReplyEndsTheScanAndKeepsTheBuffer) {
    link->m_bConnected = 1;
    Dispatch({0x55, 0xAA, 0xD1, 0xFD, 0xFA, 0x55, 0xAA, 0xEB, 0xFD, 0xFA});
    EXPECT_TRUE(TakeWritten().empty());
    EXPECT_EQ(link->m_bStartAcked, 0);
    EXPECT_EQ(g_RxLen, 10);
}

TEST_F(Shell, FramesAreLookedForOnlyWhereFiveBytesRemain) {
    link->m_bConnected = 1;
    // 55 AA EB at offset 2 leaves four bytes: not a frame.
    Dispatch({0x00, 0x00, 0x55, 0xAA, 0xEB, 0xFD});
    EXPECT_TRUE(TakeWritten().empty());
    EXPECT_EQ(g_RxLen, 0);
}

// Measured values that hold 55 AA and a reply code are data. The scan goes on after each
// frame's payload, so none of them greets, asks for device information, moves the limits or
// replaces another page's result.
TEST_F(Shell, AMeasuredValueIsNeverTakenForAReply) {
    const Bytes blocks[] = {
        // CT error: phase errors +0.000', +21.930' (55 AA), -20.485' (D0 05).
        {0x55, 0xAA, 0x3A, 0, 1, 0, 2, 0, 3, 0, 4, 0, 0, 0x55, 0xAA, 0xD0, 0x05, 0, 0, 0xFD, 0xFA},
        // PT excitation: one point whose current and voltage read 55 AA E0 00 00 A1.
        {0x55, 0xAA, 0x1F, 2, 0, 0, 0, 0, 0x55, 0xAA, 0xE0, 0x00, 0x00, 0xA1, 0, 0, 0xFD, 0xFA},
        // A record list whose dates and numbers read 55 AA 1A 00 ...
        {0x55, 0xAA, 0xE4, 0, 1, 0x55, 0xAA, 0x1A, 0, 0, 0, 0xFD, 0xFA},
        // DC resistance followed by a test-finished reply: the frame right after is still found.
        {0x55, 0xAA, 0x6A, 0x55, 0xAA, 0xD0, 0x55, 0xAA, 0xEB, 0xFD, 0xFA},
    };
    link->m_bConnected = 1;
    AnswerDeviceInfo(DeviceInfo(0xAD, 0xA2, 0xA2));
    Dispatch({0x55, 0xAA, 0x1A, 1, 0, 0, 0, 0, 0x01, 0xF4, 0x07, 0xD0, 0xFD, 0xFA});
    const int ctRows = app->m_pIVADlg->findChild<QTreeWidget*>("id1003")->topLevelItemCount();
    TakeWritten();
    for (const Bytes& block : blocks)
        Dispatch(block);
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(TakeWritten(), (Bytes{0xAA, 0x55, 0xF6, 0x0D, 0x0A})); // only for the EB
    EXPECT_EQ(app->m_nMaxTestVoltage, 1000);
    EXPECT_EQ(app->m_nMaxTestCurrent, 600);
    EXPECT_EQ(app->m_pIVADlg->findChild<QTreeWidget*>("id1003")->topLevelItemCount(), ctRows);
    EXPECT_EQ(app->m_pIJBDlg->GetDlgItemText(1014), "-20.485"); // the values reached their page
}

// Noise read by a 连接 that brought no handshake is not a history list too long to read.
TEST_F(Shell, SearchJudgesOnlyTheListItRead) {
    Arrive(Bytes(9000, 0x01), 50);
    frame->OnConnect();
    ASSERT_EQ(g_RxLen, 8191);
    QTimer::singleShot(
        0, [] { QApplication::activeModalWidget()->findChild<QPushButton*>("id1")->click(); });
    frame->OnSearch();
    EXPECT_TRUE(boxes.texts().isEmpty());
    frame->m_pSearchDlg->hide();
}

TEST_F(Shell, AllTestsCanBeChosenBeforeDeviceInformation) {
    link->m_bConnected = 1;
    for (int kind = 0; kind < 9; ++kind) {
        frame->m_LTree->SelectTest(kind);
        EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, kind);
    }
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_EQ(link->m_nTestKind, 8);
}

TEST_F(Shell, ARefusedTestShowsTheMessageFromTreeAndTab) {
    AnswerDeviceInfo(DeviceInfo(0xAD, 0xA1, 0xA1));
    frame->show();
    frame->m_LTree->SelectTest(0);
    ASSERT_EQ(boxes.texts(), QStringList{"本设备不支持该项测试!"});
    EXPECT_TRUE(frame->m_TabCtrl->isVisibleTo(frame));
    EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, 0);
    for (unsigned char model : {0xAB, 0xAC, 0xAD, 0xAE}) {
        AnswerDeviceInfo(DeviceInfo(model, 0xA1, 0xA1));
        boxes.clear();
        frame->m_LTree->SelectTest(8);
        EXPECT_EQ(boxes.texts(), QStringList{"本设备不支持该项测试!"}) << int(model);
        boxes.clear();
        QTabBar* bar = frame->m_TabCtrl->TabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(8).center());
        QCoreApplication::processEvents();
        EXPECT_EQ(boxes.texts(), QStringList{"本设备不支持该项测试!"}) << int(model);
        EXPECT_NE(frame->m_TabCtrl->m_tabCurrent, 8);
        frame->m_LTree->SelectTest(5);
    }
}

TEST_F(Shell, ChoosingATestSendsItsKindAndDecidesSaveAndPrint) {
    link->m_bConnected = 1;
    struct Case {
        int kind;
        unsigned char code;
        bool reports;
        int reportKind;
    };
    const Case cases[] = {{2, 0x3A, false, -1}, {0, 0x1A, true, 0}, {3, 0x4A, false, -1},
                          {4, 0x1F, true, 1},   {1, 0x2A, true, 2}, {5, 0x2F, true, 3},
                          {8, 0x6A, false, -1}};
    for (const Case& c : cases) {
        shared->written.clear();
        frame->m_LTree->SelectTest(c.kind);
        EXPECT_EQ(TakeWritten(), (Bytes{0xAA, 0x55, 0xEC, c.code, 0x0D, 0x0A})) << c.kind;
        EXPECT_EQ(frame->CommandAction(32776)->isEnabled(), c.reports) << c.kind;
        EXPECT_EQ(frame->CommandAction(32777)->isEnabled(), c.reports) << c.kind;
        if (c.reportKind >= 0) {
            EXPECT_EQ(frame->m_nReportKind, c.reportKind);
        }
    }
}

TEST_F(Shell, AHistoryChildShowsItsRecordOnTheExcitationPage) {
    for (int i = 0; i < 12; ++i) {
        tagTESTRECORD record;
        record.strDate = QString("24-05-%1").arg(i + 1, 2, 10, QChar('0'));
        record.byPhase = 0x0B;
        record.nTestVoltage = 300;
        record.nTestCurrent = 2;
        app->m_PTRecords.append(record);
    }
    for (int i = 1; i <= 12; ++i)
        frame->m_LTree->AddHistoryItem(1, QString::number(i));
    frame->m_LTree->setCurrentItem(frame->m_LTree->m_hPTHistory->child(11));
    EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, 4);
    EXPECT_EQ(frame->m_nReportKind, 1);
    EXPECT_TRUE(frame->CommandAction(32776)->isEnabled());
    EXPECT_TRUE(frame->CommandAction(32777)->isEnabled());
    EXPECT_EQ(app->m_pUVADlg->GetDlgItemText(1011), "24-05-12");
    EXPECT_EQ(app->m_pUVADlg->GetDlgItemText(1032), "12");
    EXPECT_EQ(app->m_pUVADlg->GetDlgItemText(1015), "B");
    EXPECT_FALSE(app->m_pUVADlg->GetDlgItem(1024)->isHidden());
    EXPECT_EQ(frame->m_LTree->SuggestedSaveName(), "PT012");
}

TEST_F(Shell, HistoryItemsAreFoundByTheirExactText) {
    frame->m_LTree->AddHistoryItem(0, "2");
    frame->m_LTree->AddHistoryItem(7, "3");
    EXPECT_TRUE(frame->m_LTree->HasHistoryItem(0, "2"));
    EXPECT_FALSE(frame->m_LTree->HasHistoryItem(1, "2"));
    EXPECT_FALSE(frame->m_LTree->HasHistoryItem(0, "02"));
    EXPECT_FALSE(frame->m_LTree->HasHistoryItem(0, "3"));
    EXPECT_EQ(frame->m_LTree->m_hCTHistory->childCount(), 1);
}

TEST_F(Shell, ANodeThatIsNoTestEmptiesTheReportAndDisablesSaving) {
    app->m_strReport = "x";
    frame->m_LTree->setCurrentItem(frame->m_LTree->topLevelItem(1));
    EXPECT_TRUE(app->m_strReport.isEmpty());
    EXPECT_FALSE(frame->CommandAction(32776)->isEnabled());
    EXPECT_FALSE(frame->CommandAction(32777)->isEnabled());
}

TEST_F(Shell, TheTabsFollowTheMouseButNotTheKeyboard) {
    link->m_bConnected = 1;
    frame->show();
    frame->m_LTree->SelectTest(1);
    QTabBar* bar = frame->m_TabCtrl->TabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, 3);
    EXPECT_EQ(frame->m_LTree->currentItem(), frame->m_LTree->m_hTestItem[3]);

    shared->written.clear();
    QTest::keyClick(bar, Qt::Key_Right);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->currentIndex(), 4);
    EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, 3);
    EXPECT_EQ(frame->m_LTree->currentItem(), frame->m_LTree->m_hTestItem[3]);
    EXPECT_TRUE(TakeWritten().empty());
}

TEST_F(Shell, FocusOnTheTreeChoosesNothingTheOperatorsClickDoes) {
    app->m_strReport = "x";
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    CLTree* tree = frame->m_LTree;
    tree->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(tree->hasFocus());
    EXPECT_TRUE(frame->CommandAction(32776)->isEnabled());
    EXPECT_TRUE(frame->CommandAction(32777)->isEnabled());
    EXPECT_EQ(app->m_strReport, "x");

    const QRect root = tree->visualItemRect(tree->topLevelItem(0));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, root.center());
    EXPECT_FALSE(frame->CommandAction(32776)->isEnabled());
    EXPECT_TRUE(app->m_strReport.isEmpty());
}

TEST_F(Shell, OnlyTheLeftButtonChoosesATabAndTheWheelMovesNothing) {
    QTabBar* bar = TabsWithTestChosen(1);
    const QPoint onTab3 = bar->tabRect(3).center();
    QTest::keyClick(bar, Qt::Key_Right); // the keyboard moves the header alone
    auto stayed = [&](const char* what) {
        QCoreApplication::processEvents();
        EXPECT_EQ(bar->currentIndex(), 2) << what;
        EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, 1) << what;
        EXPECT_EQ(frame->m_LTree->currentItem(), frame->m_LTree->m_hTestItem[1]) << what;
    };
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(bar, button, {}, onTab3);
        stayed("click");
        QTest::mouseDClick(bar, button, {}, onTab3);
        stayed("double click");
    }
    for (int notch = 0; notch < 2; ++notch) {
        QWheelEvent wheel(onTab3, bar->mapToGlobal(onTab3), {}, {0, -120}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &wheel);
        stayed("wheel");
    }
    EXPECT_TRUE(TakeWritten().empty());
}

TEST_F(Shell, ClickingTheCurrentTabSwitchesNothing) {
    QTabBar* bar = TabsWithTestChosen(2);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, 2);
    EXPECT_TRUE(TakeWritten().empty()); // the tree selection did not change
}

TEST_F(Shell, HandshakeLeavesNoTreeSelectionSoTheNextChoiceAnnouncesItself) {
    frame->m_LTree->SelectTest(1);
    Handshake();
    EXPECT_EQ(frame->m_LTree->currentItem(), nullptr);
    frame->m_LTree->SelectTest(1);
    EXPECT_EQ(TakeWritten(), (Bytes{0xAA, 0x55, 0xEC, 0x2A, 0x0D, 0x0A}));
}

TEST_F(Shell, CommandsNeedAnOpenPort) {
    frame->OnPort(); // Yes: the port is closed
    EXPECT_EQ(boxes.texts(), QStringList{"串口已连接，是否需要关闭？"});
    EXPECT_EQ(boxes.calls()[0].style, unsigned(MB_YESNO | MB_ICONINFORMATION));
    EXPECT_FALSE(link->IsOpen());
    EXPECT_EQ(frame->ConnPaneText(), "没有连接设备");
    boxes.clear();
    frame->OnConnect();
    frame->OnSearch();
    frame->OnSettings();
    EXPECT_EQ(boxes.texts(),
              (QStringList{"请先进行端口配置", "请先进行端口配置", "请先进行端口配置"}));
    EXPECT_TRUE(TakeWritten().empty());
}

TEST_F(Shell, AnsweringNoKeepsThePortOpen) {
    boxes.setAnswer(IDNO);
    frame->OnPort();
    EXPECT_TRUE(link->IsOpen());
}

TEST_F(Shell, ConnectSendsTheHandshake) {
    frame->OnConnect();
    EXPECT_EQ(TakeWritten(), (Bytes{0xAA, 0x55, 0xD0, 0x0D, 0x0A}));
}

TEST_F(Shell, ExitSaysGoodbyeAndClosesThePort) {
    link->m_bConnected = 1;
    frame->OnExit();
    EXPECT_EQ(TakeWritten(), (Bytes{0xAA, 0x55, 0xD1, 0x0D, 0x0A}));
    EXPECT_FALSE(link->IsOpen());
    EXPECT_EQ(frame->m_pErrorCurveDlg, nullptr);
}

// A desktop session ending sends SIGTERM: the program ends as 退出 does, but a test wait's
// result is on its way, so only once the wait is over.
TEST_F(Shell, ATermSignalDuringAWaitEndsTheProgramOnceTheWaitIsOver) {
    link->m_bConnected = 1;
    {
        tarvex::WaitScope wait(1000);
        ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
        QTRY_COMPARE(frame->statusBar()->currentMessage(), QString("测试进行中，请等待测试结束"));
        EXPECT_TRUE(frame->isVisible());
        EXPECT_TRUE(TakeWritten().empty());
    }
    QTRY_VERIFY(!frame->isVisible());
    EXPECT_EQ(TakeWritten(), (Bytes{0xAA, 0x55, 0xD1, 0x0D, 0x0A}));
    EXPECT_FALSE(link->IsOpen());
}

// Started from the menu, nobody reads standard error: a trace that cannot be written says so
// where the operator looks. It is never written through a link, and only its owner reads it.
TEST_F(Shell, ATraceThatCannotBeOpenedOrWrittenIsToldInTheMessagePane) {
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    fs::create_symlink(d + "/elsewhere", d + "/link");
    for (const std::string& path : {d + "/link", d + "/no/folder", std::string("/dev/full")}) {
        if (tarvex::ProtocolTrace::Open(path))
            tarvex::ProtocolTrace::Sent(0xD0, kInfoRequest.data(), 5);
        QTRY_VERIFY(frame->MessagePaneText().startsWith("协议记录无法写入：" +
                                                        QString::fromStdString(path) + "（"));
    }
    EXPECT_FALSE(fs::exists(d + "/elsewhere"));
    ASSERT_TRUE(tarvex::ProtocolTrace::Open(d + "/trace"));
    tarvex::ProtocolTrace::Close();
    EXPECT_EQ(fs::status(d + "/trace").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(Shell, TheWindowShowsItsChineseTextsWithRealGlyphs) {
    frame->show();
    const QFont font = frame->m_LTree->font();
    EXPECT_TRUE(QFontInfo(font).family().startsWith("Nimbus Roman")); // Han: AR PL UMing
    const QFontMetrics metrics(font);
    for (const QString& text : {QString("互感器综合参数测试"), QString("没有连接设备"),
                                QString("CT伏安特性"), QString("直流电阻测试")}) {
        for (char32_t c : text.toStdU32String())
            EXPECT_TRUE(metrics.inFontUcs4(c)) << text.toStdString();
    }
    // The tree's first item is drawn: dark pixels where its text stands.
    const QImage shot = frame->m_LTree->viewport()->grab().toImage();
    const QRect item = frame->m_LTree->visualItemRect(frame->m_LTree->topLevelItem(0));
    int dark = 0;
    for (int y = item.top(); y <= item.bottom(); ++y)
        for (int x = item.left(); x <= item.right(); ++x)
            dark += qGray(shot.pixel(x, y)) < 100;
    EXPECT_GT(dark, 40);
}

// The port dialog, run modally; `act` runs once it is up.
class PortDialog : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        link->ClosePort();
        opened.clear();
    }
    int Run(const std::function<void(CCommDlg&)>& act, CCommDlg& dialog) {
        QTimer::singleShot(0, [&] {
            act(dialog);
            if (dialog.isVisible())
                dialog.reject();
        });
        return dialog.DoModal();
    }
    static void Choose(QComboBox* box, int index) {
        box->setCurrentIndex(index); // as a choice from the list
    }
};

TEST_F(PortDialog, OkWithoutTouchingTheListsOpensCom1At9600) {
    CCommDlg dialog(frame);
    const int result = Run(
        [](CCommDlg& d) {
            EXPECT_EQ(d.m_cbPort->currentText(), "COM1");
            EXPECT_EQ(d.m_cbBaud->currentText(), "9600");
            EXPECT_EQ(d.m_cbPort->currentIndex(), -1);
            EXPECT_EQ(d.m_cbPort->count(), 10);
            EXPECT_EQ(d.m_cbBaud->count(), 13);
            d.findChild<QPushButton*>("id1")->click();
        },
        dialog);
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (std::pair<std::string, int>{"COM1", 9600}));
    EXPECT_EQ(frame->ConnPaneText(), "COM1已打开，波特率为9600bps");
}

TEST_F(PortDialog, ListChoicesOpenThatPortAndRate) {
    struct Case {
        int portItem, baudItem;
        std::string name;
        int baud;
        const char* pane;
    };
    const Case cases[] = {
        {9, 11, "\\\\.\\COM10", 115200, "COM10已打开，波特率为115200bps"},
        {2, 0, "COM3", 300, "COM3已打开，波特率为300bps"},
        {0, 12, "COM1", 256000, "COM1已打开，波特率为256000bps"},
    };
    for (const Case& c : cases) {
        link->ClosePort();
        opened.clear();
        CCommDlg dialog(frame);
        Run(
            [&](CCommDlg& d) {
                Choose(d.m_cbPort, c.portItem);
                Choose(d.m_cbBaud, c.baudItem);
                d.findChild<QPushButton*>("id1")->click();
            },
            dialog);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0], (std::pair<std::string, int>{c.name, c.baud}));
        EXPECT_EQ(frame->ConnPaneText(), c.pane);
    }
}

// Typed as an operator does: into the field, then Tab away or click 确定 with the mouse. Qt's
// combo box makes the matching item current when the focus leaves, so a typed item counts.
TEST_F(PortDialog, TypedTextCountsOnlyWhereItIsAnItem) {
    struct Case {
        const char* port;
        const char* baud;
        std::string name;
        int rate;
    };
    const Case cases[] = {
        {"COM3", "4800", "COM3", 4800},
        {"com7", "19200", "COM7", 19200},
        {"COM33", "4801", "COM1", 9600},
        {"ttyUSB0", "", "COM1", 9600},
    };
    for (const Case& c : cases) {
        link->ClosePort();
        opened.clear();
        CCommDlg dialog(frame);
        Run(
            [&](CCommDlg& d) {
                QApplication::setActiveWindow(&d);
                d.m_cbPort->setFocus();
                d.m_cbPort->lineEdit()->clear();
                QTest::keyClicks(d.m_cbPort->lineEdit(), c.port);
                QTest::keyClick(d.m_cbPort->lineEdit(), Qt::Key_Tab);
                d.m_cbBaud->lineEdit()->clear();
                QTest::keyClicks(d.m_cbBaud->lineEdit(), c.baud);
                QTest::mouseClick(d.findChild<QPushButton*>("id1"), Qt::LeftButton);
            },
            dialog);
        ASSERT_EQ(opened.size(), 1u) << c.port;
        EXPECT_EQ(opened[0], (std::pair<std::string, int>{c.name, c.rate})) << c.port;
    }
}

TEST_F(Shell, ADeviceThatGoesAwaySetsThePaneBackToNoDevice) {
    ASSERT_EQ(frame->ConnPaneText(), "COM1已打开，波特率为9600bps");
    shared->vanished = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->ConnPaneText() == "没有连接设备"; }, 2000));
    EXPECT_FALSE(link->IsOpen());
    frame->OnConnect();
    EXPECT_EQ(boxes.texts(), QStringList{"请先进行端口配置"});
}

// A cable pulled in the middle of a ratio test: its wait ends there and the polls after it do not
// wait; the note stands out. The device back in place opens again by itself at its rate, but a
// port the operator closed stays closed.
TEST_F(Shell, ACablePulledDuringATestEndsItsWaitAndTheDeviceOpensAgainWhenBack) {
    link->ClosePort();
    ASSERT_TRUE(link->Open(3, 4800));
    Handshake();
    TabsWithTestChosen(1);
    shared->vanishesAt = clock.NowMs() + 2000;
    const std::int64_t sleptBefore = clock.SleptMs();
    QTest::mouseClick(app->m_pIBBDlg->findChild<QPushButton*>("id1013"), Qt::LeftButton);
    EXPECT_LT(clock.SleptMs() - sleptBefore, 2000 + tarvex::kWaitBreakCheckMs);
    EXPECT_EQ(frame->ConnPaneText(), "没有连接设备");
    auto* note = frame->findChild<QLabel*>("messageText");
    ASSERT_TRUE(QTest::qWaitFor([&] { return note->text() == "设备已断开"; }, 2000));
    EXPECT_TRUE(note->font().bold());
    EXPECT_NE(note->palette().color(QPalette::WindowText),
              frame->statusBar()->palette().color(QPalette::WindowText));

    shared->vanishesAt = INT64_MAX; // plugged in again
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return frame->ConnPaneText() == "COM3已打开，波特率为4800bps"; }, 2000));
    EXPECT_EQ(opened.back(), (std::pair<std::string, int>{"COM3", 4800}));

    frame->OnPort(); // the operator closes it
    const size_t opens = opened.size();
    QTest::qWait(3 * tarvex::kWaitBreakCheckMs);
    EXPECT_EQ(opened.size(), opens);
    EXPECT_EQ(frame->ConnPaneText(), "没有连接设备");
}

TEST_F(PortDialog, APortThatCannotBeOpenedKeepsTheDialogAndTheChoice) {
    missingPorts = {"COM4"};
    const QString paneBefore = frame->ConnPaneText();
    CCommDlg dialog(frame);
    bool stillOpen = false;
    Run(
        [&](CCommDlg& d) {
            Choose(d.m_cbPort, 3);
            d.findChild<QPushButton*>("id1")->click();
            stillOpen = d.isVisible();
            EXPECT_EQ(d.m_cbPort->currentText(), "COM4");
        },
        dialog);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(boxes.texts(),
              QStringList{"串口打开失败\n找不到串口设备，请检查连接线和USB转串口适配器"});
    EXPECT_EQ(boxes.calls()[0].owner, &dialog);
    EXPECT_FALSE(link->IsOpen());
    EXPECT_EQ(frame->ConnPaneText(), paneBefore);
}

// The settings dialog run from the Settings command.
class Settings : public ShellFixture {
  protected:
    void RunSettings(const QString& deviceNo, const QString& tester, const QString& site) {
        QTimer::singleShot(0, [=, this] {
            auto* dialog = dynamic_cast<CSysSetDlg*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            dialog->SetDlgItemText(1005, deviceNo);
            dialog->SetDlgItemText(1006, tester);
            dialog->SetDlgItemText(1007, site);
            dialog->findChild<QPushButton*>("id1")->click();
            stayedOpen = dialog->isVisible();
            if (stayedOpen) {
                enteredAfterRefusal = dialog->GetDlgItemText(1006);
                testerHasFocus = dialog->focusWidget() == dialog->GetDlgItem(1006);
                dialog->reject();
            }
        });
        frame->OnSettings();
    }
    bool stayedOpen = false;
    QString enteredAfterRefusal;
    bool testerHasFocus = false;
};

TEST_F(Settings, SendsTheIdentityAfterTheHandshake) {
    Handshake();
    RunSettings("ab12", "", "Z");
    const Bytes frameBytes = TakeWritten();
    ASSERT_EQ(frameBytes.size(), 35u);
    EXPECT_EQ(Bytes(frameBytes.begin(), frameBytes.begin() + 7),
              (Bytes{0xAA, 0x55, 0xE3, 0x0A, 0x0B, 0x01, 0x02}));
    EXPECT_EQ(frameBytes[23], 0x23);
}

// Refused on 确定 with the dialog kept open, the text as typed and the field to mend in focus.
TEST_F(Settings, RefusesAChineseNameAndKeepsTheDialogWithWhatWasTyped) {
    Handshake();
    RunSettings("A1", "张三", "X");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(enteredAfterRefusal, "张三");
    EXPECT_TRUE(testerHasFocus);
    EXPECT_TRUE(TakeWritten().empty());
    EXPECT_EQ(boxes.texts(), QStringList{"系统不支持字符'张'"});
}

TEST_F(Settings, SendsNothingBeforeTheHandshake) {
    RunSettings("A1", "B2", "C3");
    EXPECT_TRUE(TakeWritten().empty());
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(Settings, TheFieldsTakeTenCharactersAndTheClockTicks) {
    QTimer::singleShot(0, [] {
        auto* dialog = dynamic_cast<CSysSetDlg*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        for (int id : {1005, 1006, 1007}) {
            auto* edit = qobject_cast<QLineEdit*>(dialog->GetDlgItem(id));
            QTest::keyClicks(edit, "ABCDEFGHIJK");
            EXPECT_EQ(edit->text(), "ABCDEFGHIJ") << id;
        }
        auto* time = qobject_cast<QLineEdit*>(dialog->GetDlgItem(1004));
        EXPECT_TRUE(time->isReadOnly());
        QTest::qWait(600);
        EXPECT_TRUE(QDateTime::fromString(time->text(), "yyyy-MM-dd HH:mm:ss").isValid());
        dialog->reject();
    });
    frame->OnSettings();
    EXPECT_TRUE(TakeWritten().empty());
}

TEST_F(Shell, TheTrailerIsNeverReadAsPayload) {
    // A resistance reply cut before its unit byte: FD must not be taken for the unit.
    Dispatch({0x55, 0xAA, 0x6A, 0x04, 0xD2, 0xFD, 0xFA});
    EXPECT_EQ(app->m_pDZDlg->GetDlgItemText(1004), "");
    Dispatch({0x55, 0xAA, 0x6A, 0x04, 0xD2, 0x00, 0xFD, 0xFA});
    EXPECT_EQ(app->m_pDZDlg->GetDlgItemText(1004), "123.4");
}

// Every result the dispatcher hands out is kept once as the latest of its test kind, from the
// instrument, with the entries of the start before it; a reply too short to decode is kept by
// nobody. An uploaded record shown on its page then takes the place of the excitation result,
// as a record.
TEST_F(Shell, ResultsLandInTheModelWithTheirKindAndSource) {
    app->m_pIBBDlg->OnStart(); // no answer comes
    app->m_pIVADlg->OnStart();
    const struct {
        Bytes block;
        int kind; // -1: nothing kept
    } cases[] = {
        {{0x55, 0xAA, 0x1A, 1, 0, 0, 0, 0, 0x01, 0xF4, 0x07, 0xD0, 0xFD, 0xFA}, 0},
        {{0x55, 0xAA, 0x7A, 0, 0x03, 0xE8, 0xFD, 0xFA}, 1},
        {{0x55, 0xAA, 0x3F, 0x80, 0x05, 0xFD, 0xFA}, 6},
        {{0x55, 0xAA, 0x4F, 0x01, 0xF4, 0xFD, 0xFA}, 7},
        {{0x55, 0xAA, 0x6A, 0x04, 0xD2, 0x00, 0xFD, 0xFA}, 8},
        {{0x55, 0xAA, 0x6A, 0x04, 0xD2, 0xFD, 0xFA}, -1},
        {{0x55, 0xAA, 0x1F, 1, 0, 0, 0xFD, 0xFA}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        QSignalSpy changed(&app->m_results, &CResultModel::resultChanged);
        Dispatch(c.block);
        if (c.kind < 0) {
            EXPECT_EQ(changed.count(), 0);
            continue;
        }
        ASSERT_EQ(changed.count(), 1);
        EXPECT_EQ(changed[0][0].toInt(), c.kind);
        const std::optional<TestResult> latest = app->m_results.Latest(c.kind);
        ASSERT_TRUE(latest);
        EXPECT_EQ(latest->source, ResultSource::Instrument);
    }
    EXPECT_DOUBLE_EQ(std::get<BurdenResult>(app->m_results.Latest(7)->value).value, 50.0);
    EXPECT_FALSE(app->m_results.Latest(3)); // the PT burden is not the CT one
    EXPECT_FALSE(app->m_results.Latest(4)); // the PT excitation reply was cut short
    EXPECT_EQ(app->m_results.Latest(1)->parameters.value("testCurrent"), 100);
    EXPECT_TRUE(app->m_results.Latest(8)->parameters.isEmpty());

    tagTESTRECORD record;
    record.fKneeVoltage = 100;
    record.arrCurrent = {0.5f};
    record.arrVoltage = {80.5f};
    app->m_CTRecords.append(record);
    QSignalSpy changed(&app->m_results, &CResultModel::resultChanged);
    frame->OnHistoryChosen(false, "1");
    ASSERT_EQ(changed.count(), 1);
    const std::optional<TestResult> shown = app->m_results.Latest(0);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->source, ResultSource::UploadedRecord);
    EXPECT_EQ(shown->parameters, (QVariantMap{{"testTime", record.strTestTime}}));
    const auto& curve = std::get<tarvex::ExcitationReply>(shown->value);
    EXPECT_EQ(curve.kneeVoltage, 100.0);
    ASSERT_EQ(curve.points.size(), 1u);
    EXPECT_EQ(curve.points[0].voltage, 80.5);
}

// The instrument's test-finished reply never comes; both polls get the six-tap result.
TEST_F(Shell, TheSixTapListHoldsSixRowsHoweverOftenTheResultComes) {
    Handshake();
    AnswerDeviceInfo(DeviceInfo(0xAC, 0xA2, 0xA1));
    const Bytes taps{0x55, 0xAA, 0x7A, 0x06, 0x03, 0xE8, 0x03, 0x40, 0x03, 0xE9,
                     0x07, 0xD2, 0x0B, 0xBB, 0x0F, 0xA4, 0x13, 0x8E, 0x17, 0x78,
                     0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x05, 0xFD, 0xFA};
    Dispatch(taps);
    Dispatch(taps);
    EXPECT_EQ(app->m_pIBBDlg->findChild<QTreeWidget*>("id1003")->topLevelItemCount(), 6);
}

// The test-finished reply makes the dispatcher ask for the result; what that nested read brings
// has no trailer and must reach no page, neither through the nested dispatch nor the outer scan.
TEST_F(Shell, BytesOfABlockWithoutItsTrailerNeverReachAPage) {
    Handshake();
    Arrive({0xCC, 0xCC, 0xCC, 0x05, 0, 0, 0, 0, 0, 0x55, 0xAA, 0x2A, 0x03, 0xE8}, 100);
    Dispatch({0x01, 0x00, 0x00, 0x55, 0xAA, 0xEB, 0xFD, 0xFA});
    EXPECT_EQ(WrittenFrames(), std::vector<Bytes>{Bytes({0xAA, 0x55, 0xF6, 0x0D, 0x0A})});
    for (int id : {1005, 1006, 1007, 1008, 1009}) // the result fields
        EXPECT_EQ(app->m_pIBBDlg->GetDlgItemText(id), "") << id;
}

TEST(WindowFit, TheWholeWindowWithItsFrameFitsTheScreen) {
    const QMargins frame(4, 30, 4, 4); // a title bar of 30 pixels
    struct Case {
        QRect available;
        QRect inner;
    };
    const Case cases[] = {
        {QRect(0, 0, 1920, 1050), QRect(4, 30, 1016, 734)},
        {QRect(0, 0, 1366, 728), QRect(4, 30, 1016, 694)},
        {QRect(0, 24, 1024, 576), QRect(4, 54, 1016, 542)}, // a 1024 x 600 screen, panel on top
    };
    for (const Case& c : cases)
        EXPECT_EQ(tarvex::FitIntoScreen({1024, 768}, c.available, frame), c.inner)
            << c.available.height();
}

// At the default size all nine tabs are in view; Qt's own dialogs speak Chinese; disabled
// entries (history mode) stay readable.
TEST_F(Shell, EveryTabIsInViewAndQtSpeaksChineseAndDisabledTextIsReadable) {
    frame->resize(1016, 734);
    frame->m_TabCtrl->show();
    QCoreApplication::processEvents();
    const QTabBar* tabs = frame->m_TabCtrl->TabBar();
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_TRUE(tabs->rect().contains(tabs->tabRect(i))) << i;
    EXPECT_LE(tabs->mapTo(frame, QPoint(tabs->width(), 0)).x(), frame->width());

    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");

    const QPalette palette = QApplication::palette();
    auto luminance = [](QColor c) {
        auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double text = luminance(palette.color(QPalette::Disabled, QPalette::Text));
    for (QPalette::ColorRole ground : {QPalette::Base, QPalette::Window})
        EXPECT_GE((luminance(palette.color(QPalette::Disabled, ground)) + 0.05) / (text + 0.05),
                  4.5);
}

// What the operator set in one run is there in the next: port and baud rate, the identity of
// 系统设置 and the folder of the last file. A fresh configuration opens COM1 at 9600.
TEST_F(Shell, PortIdentityAndFolderAreRememberedForTheNextRun) {
    using Opened = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(opened, (Opened{{"COM1", 9600}}));
    link->ClosePort();
    {
        CCommDlg port(frame);
        QTimer::singleShot(0, [&] {
            port.m_cbPort->setCurrentIndex(2);
            port.m_cbBaud->setCurrentIndex(port.m_cbBaud->findText("19200"));
            port.findChild<QPushButton*>("id1")->click();
        });
        ASSERT_EQ(port.DoModal(), IDOK);
    }
    const QStringList identity{"A7", "ZHANG", "S220"};
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<CSysSetDlg*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        for (int i = 0; i < 3; ++i)
            dialog->SetDlgItemText(1005 + i, identity[i]);
        dialog->findChild<QPushButton*>("id1")->click();
    });
    frame->OnSettings();
    tarvex::FileDialogRecorder dialogs;
    const QTemporaryDir dir;
    dialogs.setAnswer(dir.filePath("ct.txt"));
    GetSaveFilePath(frame, "CT伏安特性", "数据文件(*.txt)|*.txt|");

    app.reset(); // the next run
    opened.clear();
    app = std::make_unique<CTarvexApp>();
    ASSERT_TRUE(app->InitInstance());
    frame = app->m_pMainWnd;
    EXPECT_EQ(opened, (Opened{{"COM3", 19200}}));
    EXPECT_EQ(frame->ConnPaneText(), "COM3已打开，波特率为19200bps");
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<CSysSetDlg*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        for (int id : {1005, 1006, 1007})
            shown << dialog->GetDlgItemText(id);
        dialog->reject();
    });
    frame->OnSettings();
    EXPECT_EQ(shown, identity);
    GetOpenFilePath(frame, "数据文件(*.txt)|*.txt|");
    ASSERT_EQ(dialogs.calls().size(), 2u);
    EXPECT_EQ(dialogs.calls()[1].folder, dir.path());
}

// Ctrl+S saves (and Ctrl+P prints), as the menus show; the message pane says where the file
// went. A toolbar button whose command waited does not keep its highlight.
TEST_F(Shell, CtrlSSavesAndSaysWhereAndToolbarButtonsLoseTheirHighlight) {
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    frame->m_LTree->SelectTest(0);
    Dispatch({0x55, 0xAA, 0x1A, 0x01, 0x04, 0xD2, 0x00, 0xFA, 0x00, 0x64, 0x03, 0xE8, 0xFD, 0xFA});
    tarvex::FileDialogRecorder dialogs;
    const QTemporaryDir dir;
    dialogs.setAnswer(dir.filePath("ct"));
    QTest::keyClick(frame, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs.calls().size(), 1u);
    EXPECT_TRUE(QFile::exists(dir.filePath("ct.txt")));
    EXPECT_EQ(frame->MessagePaneText(), "已保存：" + dir.filePath("ct.txt"));
    EXPECT_EQ(frame->CommandAction(CMainFrame::ID_PRINT)->shortcut(), QKeySequence("Ctrl+P"));

    auto* toolbar = frame->findChild<QToolBar*>("toolbar128");
    QToolButton* connect = nullptr;
    for (QAction* a : toolbar->actions())
        if (a->text() == "连接")
            connect = qobject_cast<QToolButton*>(toolbar->widgetForAction(a));
    ASSERT_TRUE(connect);
    QCursor::setPos(frame->mapToGlobal(frame->rect().bottomRight()));
    connect->setAttribute(Qt::WA_UnderMouse); // the pointer on it as it is clicked
    connect->click();                         // the handshake waits for the instrument
    EXPECT_FALSE(connect->underMouse());
}
