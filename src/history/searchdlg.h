#pragma once
#include "platform/dialog.h"
#include "replydecoders.h"
#include "state/testrecord.h"
#include "state/uploadstatus.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class CDeviceLink;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
namespace Ui {
class Dlg151;
}

// The history dialog "搜索历史数据": the instrument's list of stored CT or PT records, and the
// upload of the selected ones into the application's record lists and the tree.
//
// Threads: every member function is for the GUI thread. The upload runs SearchThreadProc on a
// worker of its own; the worker never touches a widget (it reaches the tree, the buttons and
// the status text through blocking queued calls onto this dialog) and holds the link alone
// until the upload ends. The record replies it provokes are parsed here on the GUI thread, by
// the main frame's dispatcher, while the worker waits in the link.
class CSearchDlg : public CDialog, public CUploadStatus {
    Q_OBJECT
  public:
    // Modeless: the owner (the main frame) shows it with show(). Registers itself as
    // theApp().m_pSearchDlg and theApp().m_pUpload.
    explicit CSearchDlg(QWidget* owner = nullptr);
    ~CSearchDlg() override;

    // A list reply (0xE4 / 0xE6): the records it holds fill the list and the date, line, group
    // and phase of the record list.
    void OnRecordList(const tarvex::HistoryList& list);
    // A record reply (0xE5 / 0xE7) for record m_nCurrentIndex; empty when it was cut short
    // before its points, which still counts as a reply but stores nothing. A record stored is
    // recorded in the results archive with its reply frame.
    void OnRecordData(const std::optional<tarvex::HistoryRecordReply>& record,
                      const QByteArray& rawReply = {});
    // How a record reply is read: by the kind of record asked for.
    tarvex::RecordKind RecordKind() const;

    // Builds the list view from the latest list reply. OnRecordList leaves that to the event
    // loop (or to the caller of this), so a block of many list frames builds it once.
    void ShowListRows();

    bool IsUploading() const override { return m_bUploading; }
    // Count of list and record replies handed to this dialog: a request that leaves it
    // unchanged got no answer.
    std::atomic<int> m_nRepliesSeen{0};
    // Asks the worker to stop after the step it is in and waits for it, serving its calls onto
    // this thread meanwhile (user input stays held back). Afterwards the dialog is idle with
    // its buttons enabled. Does nothing when no upload runs.
    void StopUpload();

    // Timer 1's tick: the next frame of "正在搜索，请等待" with one, two or three dots.
    void OnTimer();

    QTreeWidget* m_SearchList = nullptr; // 1003
    int m_nRecordKind = 0;               // 0 CT, 1 PT
    int m_nCurrentIndex = 0;             // row of the record being fetched
    int m_nDotCount = 0;
    QPushButton* m_btnOK = nullptr;   // 1 "确定"
    QPushButton* m_btnExit = nullptr; // 2 "退出"
    QLabel* m_StatusText = nullptr;   // 1022

  signals:
    // The upload is about to fetch record `number` (the row's column-0 text) of kind 0 (CT) or
    // 1 (PT): its tree item belongs there now, and stays even if no record comes.
    void uploadingRecord(int kind, const QString& number);

  protected:
    bool OnInitDialog() override;
    // "确定": starts the upload of the selected rows. The dialog stays open.
    void OnOK() override;
    // "退出": hides the dialog; a running upload goes on.
    void OnCancel() override;

  private:
    // One selected row: its index and its column-0 text (the record's one-based number).
    struct Job {
        int row;
        QString number;
    };

    static void SearchThreadProc(CSearchDlg* dlg);
    // Runs fn on the GUI thread and waits for it; false (fn not run) once a stop was asked.
    template <typename Fn> bool OnGuiThread(Fn fn);
    // Waits ms on the platform clock in short steps, ending early when a stop is asked.
    void PauseUnlessStopped(int ms);

    std::vector<Job> SelectedJobs() const;
    void AddTreeChild(const Job& job);
    void BeginUpload();
    void EndUpload();
    CRecordArray& Records() const;

    struct ListRow {
        QString date;
        int line;
        int group;
        int phase;
    };
    std::vector<ListRow> m_listRows; // of the latest list reply
    bool m_bListRowsPending = false;

    // Held by pointer so that users of this header need not see the generated form class.
    std::unique_ptr<Ui::Dlg151> ui;
    QTimer* m_timer = nullptr;

    // Upload state. m_bUploading, m_worker: GUI thread. The jobs, kind and link are set before
    // the worker starts and only read by it afterwards.
    bool m_bUploading = false;
    std::thread m_worker;
    std::vector<Job> m_jobs;
    int m_nUploadKind = 0;
    CDeviceLink* m_pUploadLink = nullptr;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bCompleted{false};
    std::atomic<bool> m_bWorkerDone{false};
};
