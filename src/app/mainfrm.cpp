#include "mainfrm.h"

#include "archiveview.h"
#include "commdlg.h"
#include "controls/ltree.h"
#include "controls/mytabctrl.h"
#include "devicelink.h"
#include "history/reportcommands.h"
#include "history/searchdlg.h"
#include "pages/analysisdlg.h"
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
#include "protocoltrace.h"
#include "replydispatcher.h"
#include "report/reportcommand.h"
#include "reportentries.h"
#include "res/tarvexres.h"
#include "rxbuffer.h"
#include "selectctptdlg.h"
#include "state/appstate.h"
#include "statuspanes.h"
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

namespace {

constexpr QSize kWindowSize(1024, 768);
// How often an idle or waiting link looks whether its device went away.
constexpr int kLineWatchMs = 100;

void Info(QWidget* owner, const QString& text) {
    MessageBox(owner, text, "系统提示", MB_OK | MB_ICONINFORMATION);
}

} // namespace

CMainFrame::CMainFrame() : m_dispatcher(std::make_unique<CReplyDispatcher>(*this)) {
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
    m_panes = new CStatusPanes(statusBar(), [this] { return IdleText(); });
    auto* lineWatch = new QTimer(this);
    connect(lineWatch, &QTimer::timeout, this, &CMainFrame::WatchLine);
    lineWatch->start(kLineWatchMs);
    tarvex::SetWaitObserver(m_panes);
    tarvex::SetStatusNoteBoard(m_panes);
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

    QMenu* help = menuBar()->addMenu("帮助(&H)");
    help->addAction(AddCommand(ID_APP_ABOUT, "关于 互感器综合参数测试(&A)...", "显示程序信息"));

    // Our own menus follow the ones the window has always had.
    QMenu* archive = menuBar()->addMenu("档案(&R)");
    archive->addAction(AddCommand(ID_ARCHIVE, "测试档案(&H)", "查看测试档案中的全部测试结果"));
    CommandAction(ID_ARCHIVE)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));

    QMenu* analysis = menuBar()->addMenu("分析(&A)");
    connect(analysis->addAction("曲线分析(&C)..."), &QAction::triggered,
            [this] { CAnalysisDlg::Open(this, m_TabCtrl->CurrentTab()); });
    analysis->addAction(AddCommand(ID_REPORT, "生成报告(&R)", "生成测试报告(PDF)"));
    connect(CommandAction(ID_REPORT), &QAction::triggered, this, &CMainFrame::OnReport);

    connect(CommandAction(ID_SAVE), &QAction::triggered, this, &CMainFrame::OnFileSave);
    connect(CommandAction(ID_PRINT), &QAction::triggered, this, &CMainFrame::OnFilePrint);
    connect(CommandAction(ID_EXIT), &QAction::triggered, this, &CMainFrame::OnExit);
    connect(CommandAction(ID_PORT), &QAction::triggered, this, &CMainFrame::OnPort);
    connect(CommandAction(ID_CONNECT), &QAction::triggered, this, &CMainFrame::OnConnect);
    connect(CommandAction(ID_SETTINGS), &QAction::triggered, this, &CMainFrame::OnSettings);
    connect(CommandAction(ID_SEARCH), &QAction::triggered, this, &CMainFrame::OnSearch);
    connect(CommandAction(ID_ARCHIVE), &QAction::triggered, this,
            [this] { OpenArchiveWindow(*this); });
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
        {ID_SAVE, "保存", 155},
        {ID_PRINT, "打印", 158},
        {0, nullptr, 0},
        {ID_PORT, "端口配置", 159},
        {ID_CONNECT, "连接", 160},
        {ID_SETTINGS, "系统设置", 161},
        {ID_SEARCH, "搜索数据", 162},
        {0, nullptr, 0},
        {ID_EXIT, "退出", 163},
        // ours, after the buttons the window has always had
        {0, nullptr, 0},
        {ID_ARCHIVE, "测试档案", 170},
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

void CMainFrame::FitIntoScreen() {
    tarvex::FitWindowIntoScreen(this, kWindowSize);
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
    if (ConnPaneText() != CStatusPanes::kNoDevice) {
        SetConnPaneText(CStatusPanes::kNoDevice);
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

void CMainFrame::ShowPortOpened(int port, int baud) {
    tarvex::ShowStatusNote(tarvex::StatusNote::Ready);
    SetConnPaneText(QString("COM%1已打开，波特率为%2bps").arg(port).arg(baud));
}
QString CMainFrame::ConnPaneText() const {
    return m_panes->ConnPaneText();
}

QString CMainFrame::TimePaneText() const {
    return m_panes->TimePaneText();
}

QString CMainFrame::MessagePaneText() const {
    return m_panes->MessagePaneText();
}

void CMainFrame::SetConnPaneText(const QString& text) {
    m_panes->SetConnPaneText(text);
}

void CMainFrame::ShowStatusNote(tarvex::StatusNote note) {
    m_panes->ShowStatusNote(note);
}

// Which page Save and Print ask for its report: the four that compose one.
int CMainFrame::ReportKindOf(int kind) {
    switch (kind) {
    case tarvex::kCtExcitationKind:
        return 0;
    case tarvex::kPtExcitationKind:
        return 1;
    case tarvex::kCtRatioKind:
        return 2;
    case tarvex::kPtRatioKind:
        return 3;
    default:
        return -1;
    }
}

void CMainFrame::OnTestChosen(int kind) {
    CAppState& app = theApp();
    m_strArchivedSaveName.clear();
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
    if (kind == tarvex::kCtExcitationKind)
        app.m_pIVADlg->SetHistoryMode(false);
    else if (kind == tarvex::kPtExcitationKind)
        app.m_pUVADlg->SetHistoryMode(false);
    if (const int report = ReportKindOf(kind); report >= 0)
        m_nReportKind = report;
    const bool reports = tarvex::FindTestKind(kind)->composesReport;
    SetCanSave(reports, reports);
    m_panes->RefreshNote(); // the record on show belongs to the page in front
}

void CMainFrame::OnHistoryChosen(bool pt, const QString& number) {
    CAppState& app = theApp();
    m_strArchivedSaveName.clear();
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
    m_strArchivedSaveName.clear();
    SetCanSave(false, false);
    theApp().m_strReport.clear();
}

void CMainFrame::SetCanSave(bool canSave, bool canPrint) {
    m_bCanSave = canSave;
    m_bCanPrint = canPrint;
    CommandAction(ID_SAVE)->setEnabled(canSave);
    CommandAction(ID_PRINT)->setEnabled(canPrint);
}

QString CMainFrame::IdleText() const {
    const int tab = m_TabCtrl->CurrentTab();
    const CExcitationPage* page = nullptr;
    if (tab == 0)
        page = theApp().m_pIVADlg;
    else if (tab == 4)
        page = theApp().m_pUVADlg;
    const QString record = page && m_TabCtrl->isVisible() ? page->RecordOnShow() : QString();
    return record.isEmpty() ? QString(CStatusPanes::kReady) : record;
}

void CMainFrame::NoteMissingReply() {
    tarvex::ShowStatusNote(theApp().m_pLink->DeviceWasLost() ? tarvex::StatusNote::DeviceLost
                                                             : tarvex::StatusNote::NoReply);
}

long CMainFrame::OnDeviceReply(std::span<const unsigned char> block) {
    return m_dispatcher->Dispatch(block);
}

void CMainFrame::ReadyForTests() {
    m_TabCtrl->hide();
    for (const tarvex::TestKindInfo& kind : tarvex::kTestKinds) {
        if (CTestPage* page = TestPage(kind.index))
            page->EnableItem(kind.startButtonId, true);
    }
    // The test the operator picks next raises a selection change and so announces its kind.
    m_LTree->ClearSelection();
    update();
}

CTestPage* CMainFrame::TestPage(int kind) const {
    return kind >= 0 && kind < tarvex::kTestKindCount
               ? dynamic_cast<CTestPage*>(m_TabCtrl->Page(kind))
               : nullptr;
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
            SetConnPaneText(CStatusPanes::kNoDevice);
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
    const int handshakesBefore = m_dispatcher->Handshakes();
    theApp().m_pLink->Connect();
    if (m_dispatcher->Handshakes() == handshakesBefore)
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
    const int bytesRead = theApp().m_pLink->RequestHistoryList(m_pSearchDlg->m_nRecordKind);
    if (m_pSearchDlg->m_nRepliesSeen != repliesBefore)
        m_pSearchDlg->ShowListRows();
    else if (bytesRead >= kRxBufSize - 1)
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
        m_panes->TellCloseRefused();
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

QString CMainFrame::SaveName() const {
    return m_strArchivedSaveName.isEmpty() ? m_LTree->SuggestedSaveName() : m_strArchivedSaveName;
}

void CMainFrame::OnFileSave() {
    ComposeReport();
    if (theApp().m_strReport.isEmpty())
        return;
    const QString saved = SaveReport(this, SaveName());
    if (saved.isEmpty())
        return;
    m_panes->SetSavedPath(QDir::toNativeSeparators(saved));
    ShowStatusNote(tarvex::StatusNote::Saved);
}

void CMainFrame::OnFilePrint() {
    ComposeReport();
    if (!theApp().m_strReport.isEmpty())
        PrintReport(this);
}
