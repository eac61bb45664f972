#include "mainfrm.h"

#include "commdlg.h"
#include "controls/ltree.h"
#include "controls/mytabctrl.h"
#include "devicelink.h"
#include "history/reportcommands.h"
#include "history/searchdlg.h"
#include "pages/dzdlg.h"
#include "pages/ibbdlg.h"
#include "pages/ifhdlg.h"
#include "pages/ijbdlg.h"
#include "pages/ivadlg.h"
#include "pages/iwcdlg.h"
#include "pages/ubbdlg.h"
#include "pages/ufhdlg.h"
#include "pages/ujbdlg.h"
#include "pages/uvadlg.h"
#include "platform/appearance.h"
#include "platform/msgbox.h"
#include "platform/statusnote.h"
#include "platform/updatebatch.h"
#include "protocoltrace.h"
#include "replydecoders.h"
#include "replylayout.h"
#include "report/reportcommand.h"
#include "reportentries.h"
#include "res/tarvexres.h"
#include "rxbuffer.h"
#include "selectctptdlg.h"
#include "state/appstate.h"
#include "syssetdlg.h"
#include "testkinds.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kConnPaneWidth = 250;
constexpr int kTimePaneWidth = 200;
constexpr int kClockPeriodMs = 500;
constexpr QSize kWindowSize(1024, 768);
// How often an idle or waiting link looks whether its device went away.
constexpr int kLineWatchMs = 100;
const char* const kNoDevice = "没有连接设备";
const char* const kReady = "就绪";
const char* const kCloseRefused = "测试进行中，请等待测试结束";
constexpr int kCloseRefusedShownMs = 5000;
// A wait that follows another within this time continues its display instead of flashing.
constexpr int kWaitDisplayLingerMs = 150;

void Info(QWidget* owner, const QString& text) {
    MessageBox(owner, text, "系统提示", MB_OK | MB_ICONINFORMATION);
}

// Where the payloads of the block end: before its FD FA trailer, so that a reply cut short
// never has the trailer read as data.
int PayloadEnd() {
    return tarvex::EndsWithTrailer(g_RxBuf, g_RxLen) ? g_RxLen - 2 : g_RxLen;
}

} // namespace

CMainFrame::CMainFrame() {
    g_RxLen = 0;
    // The document name never goes into the title.
    setWindowTitle("互感器综合参数测试");
    setWindowIcon(tarvex::Icon(128));
}

CMainFrame::~CMainFrame() {
    // An upload still running would hand replies to a frame half destroyed.
    if (m_pSearchDlg)
        m_pSearchDlg->StopUpload();
    tarvex::SetWaitObserver(nullptr);
    tarvex::SetStatusNoteBoard(nullptr);
    tarvex::SetWaitBreaker(nullptr);
}

bool CMainFrame::Create() {
    if (!OnCreateClient())
        return false;
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &CMainFrame::OnTimer);
    clock->start(kClockPeriodMs);
    auto* lineWatch = new QTimer(this);
    connect(lineWatch, &QTimer::timeout, this, &CMainFrame::WatchLine);
    lineWatch->start(kLineWatchMs);
    tarvex::SetWaitObserver(this);
    tarvex::SetStatusNoteBoard(this);
    tarvex::SetWaitBreaker([this] { return DeviceGone(); });

    theApp().m_pLink = new CDeviceLink(this, this);
    const auto [port, baud] = CCommDlg::RememberedPort();
    if (theApp().m_pLink->Open(port, baud))
        ShowPortOpened(port, baud);

    m_pErrorCurveDlg = new CIWCDlg(this);
    m_pErrorCurveDlg->hide();
    return true;
}

std::pair<int, int> CMainFrame::SplitterWidths(int clientWidth) {
    return {(clientWidth / 10) * 3, (clientWidth / 10) * 7};
}

bool CMainFrame::OnCreateClient() {
    // At the screen's top-left corner with 1024 x 768, frame included, or fitted into a smaller
    // screen; FitIntoScreen runs again once the window manager has framed the window.
    FitIntoScreen();

    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_LTree = new CLTree(m_wndSplitter);
    // The tab control sits in a pane of its own so that hiding it leaves the column in place.
    m_tabPane = new QWidget(m_wndSplitter);
    m_TabCtrl = new CMyTabCtrl(m_tabPane);
    auto* tabLayout = new QVBoxLayout(m_tabPane);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->addWidget(m_TabCtrl);
    m_TabCtrl->hide();
    m_wndSplitter->setChildrenCollapsible(false);
    setCentralWidget(m_wndSplitter);
    const auto [tree, tabs] = SplitterWidths(width());
    m_wndSplitter->setSizes({tree, tabs});
    m_LTree->setMinimumWidth(0);

    m_LTree->InitTree();
    QWidget* host = m_TabCtrl->PageHost();
    m_TabCtrl->Init({new CIVADlg(host), new CIBBDlg(host), new CIJBDlg(host), new CIFHDlg(host),
                     new CUVADlg(host), new CUBBDlg(host), new CUJBDlg(host), new CUFHDlg(host),
                     new CDZDlg(host)});
    connect(m_LTree, &CLTree::testChosen, this, &CMainFrame::OnTestChosen);
    connect(m_LTree, &CLTree::historyChosen, this, &CMainFrame::OnHistoryChosen);
    connect(m_LTree, &CLTree::folderChosen, this, &CMainFrame::OnFolderChosen);
    connect(m_TabCtrl, &CMyTabCtrl::tabChosen, m_LTree, &CLTree::SelectTest);
    for (CExcitationPage* page :
         std::initializer_list<CExcitationPage*>{theApp().m_pIVADlg, theApp().m_pUVADlg})
        connect(page, &CExcitationPage::errorCurveAsked, this,
                [this, page] { ShowErrorCurve(page); });

    m_pSearchDlg = new CSearchDlg(this);
    m_pSearchDlg->hide();
    connect(m_pSearchDlg, &CSearchDlg::uploadingRecord, this, &CMainFrame::AddHistoryItem);
    return true;
}

QAction* CMainFrame::AddCommand(int id, const QString& text, const QString& prompt) {
    auto* action = new QAction(text, this);
    action->setStatusTip(prompt);
    action->setToolTip(prompt);
    action->setData(id);
    m_commands[id] = action;
    return action;
}

QAction* CMainFrame::CommandAction(int id) const {
    const auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second;
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu("文件(&F)");
    file->addAction(AddCommand(ID_SAVE, "保存(&S)", "保存"));
    file->addAction(AddCommand(ID_PRINT, "打印(&P)", "打印"));
    CommandAction(ID_SAVE)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    CommandAction(ID_PRINT)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addSeparator();
    file->addAction(AddCommand(ID_EXIT, "退出(&E)", "退出"));

    QMenu* operate = menuBar()->addMenu("操作(&O)");
    operate->addAction(AddCommand(ID_PORT, "端口(&P)", "端口设置"));
    operate->addAction(AddCommand(ID_CONNECT, "连接(&C)", "连接"));
    operate->addAction(AddCommand(ID_SETTINGS, "设置(&S)", "系统设置"));
    operate->addAction(AddCommand(ID_SEARCH, "搜索(&Q)", "搜索历史数据"));

    QMenu* view = menuBar()->addMenu("视图(&V)");
    // Both items carry the toolbar's caption, as the menu was stored.
    QAction* toolbar = AddCommand(ID_VIEW_TOOLBAR, "工具栏(&T)", "显示或隐藏工具栏");
    QAction* status = AddCommand(ID_VIEW_STATUS_BAR, "工具栏(&T)", "显示或隐藏状态栏");
    view->addAction(toolbar);
    view->addAction(status);
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    status->setCheckable(true);
    status->setChecked(true);

    QMenu* analysis = menuBar()->addMenu("分析(&A)");
    analysis->addAction(AddCommand(ID_REPORT, "生成报告(&R)", "生成测试报告(PDF)"));
    connect(CommandAction(ID_REPORT), &QAction::triggered, this, &CMainFrame::OnReport);

    QMenu* help = menuBar()->addMenu("帮助(&H)");
    help->addAction(AddCommand(ID_APP_ABOUT, "关于 互感器综合参数测试(&A)...", "显示程序信息"));

    connect(CommandAction(ID_SAVE), &QAction::triggered, this, &CMainFrame::OnFileSave);
    connect(CommandAction(ID_PRINT), &QAction::triggered, this, &CMainFrame::OnFilePrint);
    connect(CommandAction(ID_EXIT), &QAction::triggered, this, &CMainFrame::OnExit);
    connect(CommandAction(ID_PORT), &QAction::triggered, this, &CMainFrame::OnPort);
    connect(CommandAction(ID_CONNECT), &QAction::triggered, this, &CMainFrame::OnConnect);
    connect(CommandAction(ID_SETTINGS), &QAction::triggered, this, &CMainFrame::OnSettings);
    connect(CommandAction(ID_SEARCH), &QAction::triggered, this, &CMainFrame::OnSearch);
    connect(toolbar, &QAction::toggled, [this](bool on) { m_wndToolBar->setVisible(on); });
    connect(status, &QAction::toggled, [this](bool on) { statusBar()->setVisible(on); });
}

void CMainFrame::CreateToolBar() {
    struct Item {
        int id;
        const char* text;
        int icon;
    };
    static const Item kItems[] = {
        {ID_SAVE, "保存", 155},       {ID_PRINT, "打印", 158},   {0, nullptr, 0},
        {ID_PORT, "端口配置", 159},   {ID_CONNECT, "连接", 160}, {ID_SETTINGS, "系统设置", 161},
        {ID_SEARCH, "搜索数据", 162}, {0, nullptr, 0},           {ID_EXIT, "退出", 163},
    };
    m_wndToolBar = addToolBar("工具栏");
    m_wndToolBar->setObjectName("toolbar128");
    m_wndToolBar->setIconSize(QSize(32, 32));
    m_wndToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_wndToolBar->setMovable(true);
    // The menu item follows the toolbar however it is hidden, from its context menu too.
    connect(m_wndToolBar, &QToolBar::visibilityChanged, CommandAction(ID_VIEW_TOOLBAR),
            &QAction::setChecked);
    for (const Item& item : kItems) {
        if (!item.id) {
            m_wndToolBar->addSeparator();
            continue;
        }
        // The toolbar's own actions carry the button text; the menu keeps its caption.
        auto* button = new QAction(tarvex::Icon(item.icon), item.text, m_wndToolBar);
        QAction* command = CommandAction(item.id);
        button->setToolTip(command->toolTip());
        button->setStatusTip(command->statusTip());
        button->setData(item.id);
        connect(button, &QAction::triggered, this, [this, command] {
            command->trigger();
            ResetToolBarHover();
        });
        connect(command, &QAction::changed, button,
                [button, command] { button->setEnabled(command->isEnabled()); });
        m_wndToolBar->addAction(button);
    }
}

// A command's wait or message box holds back the pointer's leaving its button, which then kept
// its highlight until the pointer came back. Afterwards the buttons look where the pointer is.
void CMainFrame::ResetToolBarHover() {
    for (QToolButton* button : m_wndToolBar->findChildren<QToolButton*>()) {
        const bool under = button->rect().contains(button->mapFromGlobal(QCursor::pos()));
        if (button->underMouse() != under) {
            button->setAttribute(Qt::WA_UnderMouse, under);
            button->update();
        }
    }
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    // The message pane: "就绪", a note, or the wait ("等待仪器 N 秒" with its progress bar).
    m_messagePane = new QWidget;
    auto* layout = new QHBoxLayout(m_messagePane);
    layout->setContentsMargins(0, 0, 0, 0);
    m_messageText = new QLabel(kReady);
    m_messageText->setObjectName("messageText");
    m_waitBar = new QProgressBar;
    m_waitBar->setFixedWidth(160);
    m_waitBar->setTextVisible(false);
    m_waitBar->hide();
    layout->addWidget(m_messageText);
    layout->addWidget(m_waitBar);
    layout->addStretch(1);
    bar->addWidget(m_messagePane, 1);
    m_waitHide = new QTimer(this);
    m_waitHide->setSingleShot(true);
    m_waitHide->setInterval(kWaitDisplayLingerMs);
    connect(m_waitHide, &QTimer::timeout, this, &CMainFrame::HideWait);
    m_connPane = new QLabel(kNoDevice);
    m_connPane->setFixedWidth(kConnPaneWidth);
    m_timePane = new QLabel("时间:");
    m_timePane->setFixedWidth(kTimePaneWidth);
    bar->addPermanentWidget(m_connPane);
    bar->addPermanentWidget(m_timePane);
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(indicator);
        pane->setEnabled(false);
        bar->addPermanentWidget(pane);
    }
    // The message pane shows a command's prompt while the pointer is on it, "就绪" otherwise.
    connect(bar, &QStatusBar::messageChanged, this,
            [this](const QString& text) { m_messagePane->setVisible(text.isEmpty()); });
}

void CMainFrame::FitIntoScreen() {
    tarvex::FitWindowIntoScreen(this, kWindowSize);
}

void CMainFrame::OnTimer() {
    m_timePane->setText("时间: " + QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss"));
}

// The upload worker owns the link while it runs and notices a loss at its own next read.
// A device that comes back is opened again once no command is waiting, so that a sequence cut
// short by the loss never goes on talking to it.
void CMainFrame::WatchLine() {
    CDeviceLink* link = theApp().m_pLink;
    if (!link || theApp().IsUploading())
        return;
    if (link->CheckLine() || !link->DeviceWasLost())
        return;
    if (m_connPane->text() != kNoDevice) {
        SetConnPaneText(kNoDevice);
        tarvex::ShowStatusNote(tarvex::StatusNote::DeviceLost);
    }
    if (!tarvex::WaitInProgress() && link->ReopenLost())
        ShowPortOpened(link->PortNumber(), link->PortBaud());
}

bool CMainFrame::DeviceGone() {
    WatchLine();
    CDeviceLink* link = theApp().m_pLink;
    return link && !theApp().IsUploading() && !link->IsOpen() && link->DeviceWasLost();
}

void CMainFrame::EmphasizeNote(bool alarm) {
    QFont font; // only what is set here overrides the status bar's own
    QPalette palette;
    if (alarm) {
        font.setBold(true);
        palette.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    }
    m_messageText->setFont(font);
    m_messageText->setPalette(palette);
}

void CMainFrame::SetConnPaneText(const QString& text) {
    m_connPane->setText(text);
}

void CMainFrame::ShowPortOpened(int port, int baud) {
    tarvex::ShowStatusNote(tarvex::StatusNote::Ready);
    SetConnPaneText(QString("COM%1已打开，波特率为%2bps").arg(port).arg(baud));
}
QString CMainFrame::ConnPaneText() const {
    return m_connPane->text();
}
QString CMainFrame::TimePaneText() const {
    return m_timePane->text();
}

void CMainFrame::OnTestChosen(int kind) {
    CAppState& app = theApp();
    m_TabCtrl->show();
    if (!app.m_bSupported[kind]) {
        MessageBox(this, "本设备不支持该项测试!", "系统提示", MB_OK | MB_ICONINFORMATION);
        if (kind != 0)
            SetCanSave(false, false);
        return;
    }
    app.SetTestKind(kind);
    m_TabCtrl->SetCurrentTab(kind);
    m_TabCtrl->ShowPage(kind);
    switch (kind) {
    case 0:
        app.m_pIVADlg->SetHistoryMode(false);
        m_nReportKind = 0;
        break;
    case 4:
        app.m_pUVADlg->SetHistoryMode(false);
        m_nReportKind = 1;
        break;
    case 1:
        m_nReportKind = 2;
        break;
    case 5:
        m_nReportKind = 3;
        break;
    default:
        break;
    }
    const bool reports = tarvex::FindTestKind(kind)->composesReport;
    SetCanSave(reports, reports);
    ShowStatusNote(m_note); // the record on show belongs to the page in front
}

void CMainFrame::OnHistoryChosen(bool pt, const QString& number) {
    CAppState& app = theApp();
    const int tab = pt ? 4 : 0;
    m_TabCtrl->show();
    m_TabCtrl->SetCurrentTab(tab);
    m_TabCtrl->ShowPage(tab);
    const int index = number.toInt() - 1;
    if (pt) {
        app.m_pUVADlg->SetHistoryMode(true);
        app.m_pUVADlg->ShowHistoryRecord(index);
    } else {
        app.m_pIVADlg->SetHistoryMode(true);
        app.m_pIVADlg->ShowHistoryRecord(index);
    }
    m_nReportKind = pt ? 1 : 0;
    SetCanSave(true, true);
}

void CMainFrame::AddHistoryItem(int kind, const QString& number) {
    if (!m_LTree->HasHistoryItem(kind, number))
        m_LTree->AddHistoryItem(kind, number);
}

void CMainFrame::ShowErrorCurve(CExcitationPage* page) {
    if (!m_pErrorCurveDlg)
        return;
    m_pErrorCurveDlg->SetSourcePage(page);
    m_pErrorCurveDlg->show();
    m_pErrorCurveDlg->raise();
    m_pErrorCurveDlg->update();
}

void CMainFrame::OnFolderChosen() {
    SetCanSave(false, false);
    theApp().m_strReport.clear();
}

void CMainFrame::SetCanSave(bool canSave, bool canPrint) {
    m_bCanSave = canSave;
    m_bCanPrint = canPrint;
    CommandAction(ID_SAVE)->setEnabled(canSave);
    CommandAction(ID_PRINT)->setEnabled(canPrint);
}

// A new command's wait clears the note of the last one. A short wait right after another keeps
// the display as it stands; the rest of a reply still arriving after its wait says so.
void CMainFrame::WaitStarted(int totalMs) {
    const bool continuing = m_waitHide->isActive();
    m_waitHide->stop();
    if (continuing && totalMs > 0 && totalMs < kWaitDisplayLingerMs)
        return;
    m_note = tarvex::StatusNote::Ready;
    EmphasizeNote(false);
    if (totalMs <= 0) {
        m_waitBar->setRange(0, 0); // length unknown: a busy bar
        m_messageText->setText("正在接收仪器数据");
    } else {
        m_waitBar->setRange(0, totalMs);
        WaitProgress(totalMs);
    }
    m_waitBar->show();
}

void CMainFrame::WaitProgress(int leftMs) {
    if (m_waitBar->maximum() <= 0)
        return;
    m_waitBar->setValue(m_waitBar->maximum() - leftMs);
    m_messageText->setText(QString("等待仪器 %1 秒").arg((leftMs + 999) / 1000));
}

void CMainFrame::WaitEnded() {
    m_waitHide->start();
}

void CMainFrame::HideWait() {
    // A refused close is told only while the wait it waited for lasts.
    if (statusBar()->currentMessage() == kCloseRefused)
        statusBar()->clearMessage();
    m_waitBar->hide();
    ShowNoteText();
}

void CMainFrame::ShowStatusNote(tarvex::StatusNote note) {
    m_note = note;
    if (!m_waitBar->isVisible())
        ShowNoteText();
}

void CMainFrame::ShowNoteText() {
    EmphasizeNote(m_note == tarvex::StatusNote::DeviceLost);
    switch (m_note) {
    case tarvex::StatusNote::Ready:
        m_messageText->setText(IdleText());
        break;
    case tarvex::StatusNote::NoReply:
        m_messageText->setText("仪器无应答");
        break;
    case tarvex::StatusNote::DeviceLost:
        m_messageText->setText("设备已断开");
        break;
    case tarvex::StatusNote::TraceFailed:
        m_messageText->setText("协议记录无法写入：" + tarvex::ProtocolTrace::FailureText());
        break;
    case tarvex::StatusNote::Saved:
        m_messageText->setText("已保存：" + m_strSavedPath);
        break;
    }
}

QString CMainFrame::IdleText() const {
    const int tab = m_TabCtrl->CurrentTab();
    const CExcitationPage* page = nullptr;
    if (tab == 0)
        page = theApp().m_pIVADlg;
    else if (tab == 4)
        page = theApp().m_pUVADlg;
    const QString record = page && m_TabCtrl->isVisible() ? page->RecordOnShow() : QString();
    return record.isEmpty() ? QString(kReady) : record;
}

QString CMainFrame::MessagePaneText() const {
    return m_messageText->text();
}

void CMainFrame::NoteMissingReply() {
    tarvex::ShowStatusNote(theApp().m_pLink->DeviceWasLost() ? tarvex::StatusNote::DeviceLost
                                                             : tarvex::StatusNote::NoReply);
}

void CMainFrame::SetTestLimits(unsigned char range) {
    CAppState& app = theApp();
    if (range == 0xA1) {
        app.m_nMaxTestCurrent = 1000;
        app.m_nMaxTestVoltage = 2500;
    } else if (range == 0xA2) {
        app.m_nMaxTestCurrent = 600;
        app.m_nMaxTestVoltage = 1000;
    }
}

void CMainFrame::ClearReplyBuffer() {
    std::memset(g_RxBuf, 0, sizeof g_RxBuf);
    g_RxLen = 0;
}

long CMainFrame::OnDeviceReply() {
    // A handler may send a command whose read replaces g_RxBuf (and dispatches it if it is a
    // whole block). The scan of this block ends there: what the buffer holds now is not it, and
    // may be a block without its trailer, which must never reach a page.
    // The pages fill their lists once, when the whole block has been handed out.
    const tarvex::UpdateBatch batch;
    const int readsBefore = theApp().m_pLink ? theApp().m_pLink->m_nReadCount : 0;
    int i = 0;
    while (i + 5 <= g_RxLen) {
        if (g_RxBuf[i] != 0x55 || g_RxBuf[i + 1] != 0xAA) {
            ++i;
            continue;
        }
        const unsigned char code = g_RxBuf[i + 2];
        if (code == 0xD1)
            return 0; // ends the dispatch as it stands
        // A payload is data: a measured value that happens to hold 55 AA is never a reply.
        const unsigned char* payload = g_RxBuf + i + 3;
        const int length = tarvex::ReplyPayloadLength(code, payload, PayloadEnd() - (i + 3));
        HandleReply(code, payload, length);
        if (theApp().m_pLink && theApp().m_pLink->m_nReadCount != readsBefore)
            break;
        i += 3 + length;
    }
    ClearReplyBuffer();
    return 0;
}

CTestPage* CMainFrame::TestPage(int kind) const {
    return kind >= 0 && kind < tarvex::kTestKindCount
               ? dynamic_cast<CTestPage*>(m_TabCtrl->Page(kind))
               : nullptr;
}

// The page whose result a reply code carries; nullptr for every other code.
CTestPage* CMainFrame::ResultReceiver(unsigned char code) const {
    return TestPage(tarvex::TestKindOfReply(code));
}

void CMainFrame::HandleReply(unsigned char code, const unsigned char* payload, int length) {
    const tarvex::ReplyBytes bytes(payload, static_cast<std::size_t>(std::max(length, 0)));
    if (CTestPage* page = ResultReceiver(code)) {
        page->m_bResultArrived = true;
        HandleResult(code, bytes);
        return;
    }
    CSearchDlg* search = theApp().m_pSearchDlg;
    switch (code) {
    case 0xE4:
    case 0xE6:
        if (search)
            search->OnRecordList(tarvex::DecodeHistoryList(bytes));
        break;
    case 0xE5:
    case 0xE7:
        if (search)
            search->OnRecordData(tarvex::DecodeHistoryRecord(bytes, search->RecordKind()));
        break;
    case 0xE0:
        OnDeviceInfo(tarvex::DecodeDeviceInfo(bytes));
        break;
    case 0xD0:
        OnHandshake();
        break;
    case 0xEB:
        OnTestFinished();
        break;
    default:
        break; // codes nobody receives are skipped
    }
}

namespace {

// Keeps a result from the instrument as the latest of its kind and hands it to its page.
template <typename Value, typename Page, typename Show>
void Deliver(unsigned char code, const Value& value, Page* page, Show show) {
    theApp().m_results.Store(tarvex::TestKindOfReply(code), value, ResultSource::Instrument);
    if (page)
        (page->*show)(value);
}

// A result whose decoder found too few bytes reaches neither the model nor the page.
template <typename Value, typename Page, typename Show>
void Deliver(unsigned char code, const std::optional<Value>& value, Page* page, Show show) {
    if (value)
        Deliver(code, *value, page, show);
}

} // namespace

void CMainFrame::HandleResult(unsigned char code, tarvex::ReplyBytes bytes) {
    using namespace tarvex;
    CAppState& app = theApp();
    switch (code) {
    case 0x1A:
    case 0x1F: {
        CExcitationPage* page = code == 0x1A ? static_cast<CExcitationPage*>(app.m_pIVADlg)
                                             : static_cast<CExcitationPage*>(app.m_pUVADlg);
        Deliver(code, DecodeExcitationReply(bytes), page, &CExcitationPage::ShowExcitationResult);
        break;
    }
    case 0x2A:
        Deliver(code, DecodeCtRatioReply(bytes), app.m_pIBBDlg, &CIBBDlg::ShowRatioResult);
        break;
    case 0x7A:
        Deliver(code, DecodeCtTapReply(bytes), app.m_pIBBDlg, &CIBBDlg::ShowTapResults);
        break;
    case 0x2F:
        Deliver(code, DecodePtRatioReply(bytes), app.m_pUBBDlg, &CUBBDlg::ShowRatioResult);
        break;
    case 0x3A:
        Deliver(code, DecodeCtErrorReply(bytes), app.m_pIJBDlg, &CErrorPage::ShowErrorResult);
        break;
    case 0x3F:
        Deliver(code, DecodePtErrorReply(bytes), app.m_pUJBDlg, &CErrorPage::ShowErrorResult);
        break;
    case 0x4A:
    case 0x4F:
        DeliverBurden(code, DecodeBurdenReply(bytes));
        break;
    case 0x6A:
        Deliver(code, DecodeResistanceReply(bytes), app.m_pDZDlg, &CDZDlg::ShowResistanceResult);
        break;
    default:
        break;
    }
}

void CMainFrame::DeliverBurden(unsigned char code, std::optional<double> burden) {
    if (!burden)
        return;
    CAppState& app = theApp();
    app.m_results.Store(tarvex::TestKindOfReply(code), BurdenResult{*burden},
                        ResultSource::Instrument);
    CBurdenPage* page = code == 0x4A ? static_cast<CBurdenPage*>(app.m_pIFHDlg)
                                     : static_cast<CBurdenPage*>(app.m_pUFHDlg);
    if (page)
        page->ShowBurdenResult(*burden);
}

void CMainFrame::OnHandshake() {
    CAppState& app = theApp();
    app.m_pLink->m_bConnected = 1;
    ++m_nHandshakes;
    Info(this, "连接设备成功");
    app.m_pLink->RequestDeviceInfo();
    m_TabCtrl->hide();
    for (const tarvex::TestKindInfo& kind : tarvex::kTestKinds) {
        if (CTestPage* page = TestPage(kind.index))
            page->EnableItem(kind.startButtonId, true);
    }
    // The test the operator picks next raises a selection change and so announces its kind.
    m_LTree->ClearSelection();
    update();
}

void CMainFrame::OnDeviceInfo(const tarvex::DeviceInfo& info) {
    CAppState& app = theApp();
    if (info.model)
        app.SetDeviceModel(*info.model);
    if (info.deviceType && app.m_pIBBDlg)
        app.m_pIBBDlg->SetDeviceType(*info.deviceType);
    if (info.range)
        SetTestLimits(*info.range);
}

void CMainFrame::OnTestFinished() {
    CDeviceLink* link = theApp().m_pLink;
    link->RequestResult();
    link->m_bStartAcked = 1;
}

bool CMainFrame::RefuseDuringUpload() {
    return theApp().RefuseDuringUpload(this);
}

void CMainFrame::OnPort() {
    if (RefuseDuringUpload())
        return;
    CDeviceLink* link = theApp().m_pLink;
    if (link->IsOpen()) {
        const int answer = MessageBox(this, "串口已连接，是否需要关闭？", "系统提示",
                                      MB_YESNO | MB_ICONINFORMATION);
        if (answer == IDYES) {
            link->ClosePort();
            SetConnPaneText(kNoDevice);
        }
        return;
    }
    CCommDlg dialog(this);
    dialog.DoModal();
}

void CMainFrame::OnConnect() {
    if (RefuseDuringUpload())
        return;
    if (!theApp().m_pLink->IsOpen()) {
        Info(this, "请先进行端口配置");
        return;
    }
    const int handshakesBefore = m_nHandshakes;
    theApp().m_pLink->Connect();
    if (m_nHandshakes == handshakesBefore)
        NoteMissingReply();
}

void CMainFrame::OnSearch() {
    if (RefuseDuringUpload())
        return;
    if (!theApp().m_pLink->IsOpen()) {
        Info(this, "请先进行端口配置");
        return;
    }
    CSelectCTPTDlg choice(this);
    if (choice.DoModal() != IDOK)
        return;
    m_pSearchDlg->m_nRecordKind = choice.m_bCT ? 0 : 1;
    const int repliesBefore = m_pSearchDlg->m_nRepliesSeen;
    const int readsBefore = theApp().m_pLink->m_nReadCount;
    theApp().m_pLink->RequestHistoryList(m_pSearchDlg->m_nRecordKind);
    const bool listRead = theApp().m_pLink->m_nReadCount != readsBefore;
    if (m_pSearchDlg->m_nRepliesSeen != repliesBefore)
        m_pSearchDlg->ShowListRows();
    else if (listRead && g_RxLen >= kRxBufSize - 1)
        Info(this, "历史数据记录过多，列表无法完整读取"); // no trailer within what one read holds
    else
        NoteMissingReply();
    m_pSearchDlg->show();
    m_pSearchDlg->raise();
    m_pSearchDlg->SetDlgItemText(1022, "");
}

void CMainFrame::OnSettings() {
    if (RefuseDuringUpload())
        return;
    if (!theApp().m_pLink->IsOpen()) {
        Info(this, "请先进行端口配置");
        return;
    }
    CSysSetDlg settings(this);
    if (settings.DoModal() != IDOK)
        return;
    settings.RememberIdentity();
    theApp().m_pLink->SendIdentity(settings.m_strDeviceNo, settings.m_strTester,
                                   settings.m_strSite);
}

void CMainFrame::OnExit() {
    close();
}

bool CMainFrame::CloseOnSignal() {
    m_bEndingOnSignal = true; // nobody may be there to answer a question
    return close();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Closing now would throw away the result the instrument is about to send.
    if (tarvex::WaitInProgress()) {
        event->ignore();
        statusBar()->showMessage(kCloseRefused, kCloseRefusedShownMs);
        return;
    }
    if (!MayAbandonUpload()) {
        event->ignore();
        return;
    }
    if (m_pSearchDlg)
        m_pSearchDlg->StopUpload();
    delete m_pErrorCurveDlg;
    m_pErrorCurveDlg = nullptr;
    if (CDeviceLink* link = theApp().m_pLink)
        link->Disconnect();
    event->accept();
}

bool CMainFrame::MayAbandonUpload() {
    if (!theApp().IsUploading() || m_bEndingOnSignal)
        return true;
    return MessageBox(this, "正在上传历史数据，确定要退出吗？", "系统提示",
                      MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CMainFrame::ComposeReport() {
    CAppState& app = theApp();
    app.m_strReport.clear();
    switch (m_nReportKind) {
    case 0:
        if (app.m_pIVADlg)
            app.m_pIVADlg->BuildResultText();
        break;
    case 1:
        if (app.m_pUVADlg)
            app.m_pUVADlg->BuildResultText();
        break;
    case 2:
        if (app.m_pIBBDlg)
            app.m_pIBBDlg->BuildResultText();
        break;
    case 3:
        if (app.m_pUBBDlg)
            app.m_pUBBDlg->BuildResultText();
        break;
    default:
        break;
    }
}

void CMainFrame::OnReport() {
    const int kind = m_TabCtrl->isVisible() ? m_TabCtrl->CurrentTab() : -1;
    tarvex::SaveReportPdf(this, ReportEntriesOnShow(kind, TestPage(kind), m_pErrorCurveDlg));
}

void CMainFrame::OnFileSave() {
    ComposeReport();
    if (theApp().m_strReport.isEmpty())
        return;
    const QString saved = SaveReport(this, m_LTree->SuggestedSaveName());
    if (saved.isEmpty())
        return;
    m_strSavedPath = QDir::toNativeSeparators(saved);
    ShowStatusNote(tarvex::StatusNote::Saved);
}

void CMainFrame::OnFilePrint() {
    ComposeReport();
    if (!theApp().m_strReport.isEmpty())
        PrintReport(this);
}
