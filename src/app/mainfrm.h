#pragma once
#include "platform/statusnote.h"
#include "replytarget.h"

#include <QMainWindow>

#include <map>
#include <memory>
#include <span>
#include <utility>

class CExcitationPage;
class CIWCDlg;
class CLTree;
class CReplyDispatcher;
class CMyTabCtrl;
class CSearchDlg;
class CStatusPanes;
class CTestPage;
class QLabel;
class QProgressBar;
class QSplitter;
class QTimer;
class QToolBar;

// The main window: menus, toolbar, status bar (CStatusPanes), the navigation tree and the test
// tabs side by side, and the operator's commands; the reply blocks the instrument sends go to its
// CReplyDispatcher. GUI thread only.
class CMainFrame : public QMainWindow, public CReplyTarget {
  public:
    // Command ids of the menus and the toolbar.
    enum Command {
        ID_PORT = 32771,
        ID_CONNECT = 32772,
        ID_SEARCH = 32773,
        ID_SETTINGS = 32774,
        ID_EXIT = 32775,
        ID_SAVE = 32776,
        ID_PRINT = 32777,
        ID_ARCHIVE = 32778,
        ID_REPORT = 32779,
        ID_VIEW_TOOLBAR = 59392,
        ID_VIEW_STATUS_BAR = 59393,
        ID_APP_ABOUT = 57664,
    };

    CMainFrame();
    ~CMainFrame() override;

    // Builds the client area, toolbar, status bar, clock, the link (the port last opened, at
    // first COM1 at 9600 baud) and the error-curve window. False when a part could not be created.
    bool Create();

    // Hands the block's reply frames to their receivers (CReplyDispatcher).
    long OnDeviceReply(std::span<const unsigned char> block) override;
    // After a handshake: the tabs hidden until a test is chosen, every start button enabled.
    void ReadyForTests();

    void SetConnPaneText(const QString& text);
    // "COM1已打开，波特率为9600bps" in the connection pane.
    void ShowPortOpened(int port, int baud);
    QString ConnPaneText() const;
    QString TimePaneText() const;
    // The text of the message pane: "就绪", a note, or the wait in progress.
    QString MessagePaneText() const;
    void ShowStatusNote(tarvex::StatusNote note);
    // The action of a command id (menus and toolbar share it).
    QAction* CommandAction(int id) const;
    // The page of a test kind; nullptr outside the table.
    CTestPage* TestPage(int kind) const;
    // Tree and tab column widths for a client width: three and seven tenths.
    static std::pair<int, int> SplitterWidths(int clientWidth);
    // Enables Save and Print as the tree decides.
    void SetCanSave(bool canSave, bool canPrint);
    // Fits the whole window, title bar and frame included, into the screen's available area.
    void FitIntoScreen();

    // What the operator chose in the tree: a test, an uploaded record, or a folder. The choice
    // brings the page to the front and decides what Save and Print use.
    void OnTestChosen(int kind);
    void OnHistoryChosen(bool pt, const QString& number);
    void OnFolderChosen();
    // Shows the error-curve window over the main window, computing from the curve of the
    // excitation page that asked.
    void ShowErrorCurve(CExcitationPage* page);
    // The tree item of an uploaded record, once (kind 0 CT, 1 PT), as the upload asks.
    void AddHistoryItem(int kind, const QString& number);

    void OnPort();
    void OnConnect();
    void OnSearch();
    void OnSettings();
    void OnExit();
    // Ends the program as 退出 does, without asking (a signal: the session is ending). False
    // while a test wait refuses the close.
    bool CloseOnSignal();
    void OnFileSave();
    void OnFilePrint();
    // "生成报告": the PDF report of the result on show.
    void OnReport();

    CLTree* m_LTree = nullptr;
    CMyTabCtrl* m_TabCtrl = nullptr;
    CIWCDlg* m_pErrorCurveDlg = nullptr;
    CSearchDlg* m_pSearchDlg = nullptr;
    // The report Save and Print compose: 0 CT excitation, 1 PT excitation, 2 CT ratio, 3 PT ratio.
    int m_nReportKind = 0;
    // That number for a test kind; -1 for a kind that composes no report.
    static int ReportKindOf(int kind);
    // The name Save suggests: the tree item chosen, or, while a result from the archive is on
    // show and the tree has not been used since, the name of that result.
    QString SaveName() const;
    QString m_strArchivedSaveName;
    int m_bCanSave = 1;
    int m_bCanPrint = 1;

  protected:
    void closeEvent(QCloseEvent* event) override;

    // What the message pane says when there is nothing else to say: the uploaded record on
    // show on the current page, or "就绪".
    QString IdleText() const;

  private:
    bool OnCreateClient();
    void CreateMenus();
    void CreateToolBar();
    void ResetToolBarHover();
    // Shows "没有连接设备" once the device behind the open port has gone away, and opens it again
    // by itself when it is back.
    void WatchLine();
    // True once the device behind the port went away: nothing can answer, waits end (the breaker).
    bool DeviceGone();
    QAction* AddCommand(int id, const QString& text, const QString& prompt);
    // "设备已断开" when the device went away, else "仪器无应答".
    void NoteMissingReply();
    void ComposeReport();
    bool RefuseDuringUpload();
    // Asks before a close abandons the upload running; true when the close may go ahead.
    bool MayAbandonUpload();

    QSplitter* m_wndSplitter = nullptr;
    QWidget* m_tabPane = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    CStatusPanes* m_panes = nullptr;
    std::map<int, QAction*> m_commands;
    bool m_closing = false;
    bool m_bEndingOnSignal = false;
    std::unique_ptr<CReplyDispatcher> m_dispatcher;
};
