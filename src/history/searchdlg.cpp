#include "searchdlg.h"

#include "devicelink.h"
#include "platform/clock.h"
#include "platform/fonts.h"
#include "platform/reportlist.h"
#include "platform/statusnote.h"
#include "state/appstate.h"
#include "state/resultrecorder.h"
#include "testkinds.h"
#include "ui_dlg151_search.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace {

constexpr int kDotPeriodMs = 200;
constexpr int kPauseAfterFetchMs = 2000;
constexpr int kPauseStepMs = 100; // how soon a paused worker notices a stop
constexpr int kColumnWidth = 100;
const char* const kDoneText = "搜索完毕，数据已上传";

// "%02d-%02d-%02d" of three bytes, without printf: a noisy block can hold a thousand list
// frames of a thousand records each, and this runs for every one of them.
QString DateText(const tarvex::HistoryListEntry& entry) {
    const int ymd[3] = {entry.year, entry.month, entry.day};
    char text[12];
    int n = 0;
    for (int part = 0; part < 3; ++part) {
        const int value = ymd[part];
        if (part > 0)
            text[n++] = '-';
        if (value >= 100)
            text[n++] = char('0' + value / 100);
        text[n++] = char('0' + value / 10 % 10);
        text[n++] = char('0' + value % 10);
    }
    return QString::fromLatin1(text, n);
}

} // namespace

CSearchDlg::CSearchDlg(QWidget* owner) : CDialog(owner), ui(std::make_unique<Ui::Dlg151>()) {
    ui->setupUi(this);
    m_SearchList = ui->id1003;
    m_btnOK = ui->id1;
    m_btnExit = ui->id2;
    m_StatusText = ui->id1022;
    m_timer = new QTimer(this);
    m_timer->setInterval(kDotPeriodMs);
    connect(m_timer, &QTimer::timeout, this, &CSearchDlg::OnTimer);
    InitDialog();
}

CSearchDlg::~CSearchDlg() {
    StopUpload();
    if (theApp().m_pSearchDlg == this)
        theApp().m_pSearchDlg = nullptr;
    if (theApp().m_pUpload == this)
        theApp().m_pUpload = nullptr;
}

bool CSearchDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    theApp().m_pSearchDlg = this;
    theApp().m_pUpload = this;

    tarvex::PrepareReportList(m_SearchList, {"索引", "日期", "编号", "组号", "相序"}, kColumnWidth);
    m_SearchList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return true;
}

CRecordArray& CSearchDlg::Records() const {
    return m_nRecordKind == 1 ? theApp().m_PTRecords : theApp().m_CTRecords;
}

void CSearchDlg::ShowListRows() {
    if (!m_bListRowsPending)
        return;
    m_bListRowsPending = false;
    m_SearchList->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t index = 0; index < m_listRows.size(); ++index) {
        const ListRow& r = m_listRows[index];
        items.append(tarvex::NewCentredRow(
            {QString::asprintf("%d", int(index) + 1), r.date, QString::asprintf("%d", r.line),
             QString::asprintf("%d", r.group), QString::asprintf("%X", r.phase)}));
    }
    m_SearchList->addTopLevelItems(items);
}

tarvex::RecordKind CSearchDlg::RecordKind() const {
    return m_nRecordKind == 1 ? tarvex::RecordKind::Pt : tarvex::RecordKind::Ct;
}

void CSearchDlg::OnRecordList(const tarvex::HistoryList& list) {
    ++m_nRepliesSeen;
    m_listRows.clear();
    if (!m_bListRowsPending) {
        m_bListRowsPending = true;
        QTimer::singleShot(0, this, &CSearchDlg::ShowListRows);
    }
    CRecordArray& records = Records();
    int phase = 0;
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const tarvex::HistoryListEntry& entry = list.entries[i];
        const QString date = DateText(entry);
        // An unknown code repeats the previous record's phase; the first record has none to
        // repeat and stores its own code plus 10, as the known codes do.
        if (entry.phaseCode <= 2 || i == 0)
            phase = entry.phaseCode + 10; // 250 gives 0x104, not a wrapped byte
        m_listRows.push_back({date, entry.lineNo, entry.groupNo, phase});

        if (records.size() < qsizetype(i) + 1)
            records.append(tagTESTRECORD{});
        tagTESTRECORD& rec = records[qsizetype(i)];
        rec.strDate = date;
        rec.byLineNo = static_cast<unsigned char>(entry.lineNo);
        rec.byGroupNo = static_cast<unsigned char>(entry.groupNo);
        rec.byPhase = phase;
    }
}

void CSearchDlg::OnRecordData(const std::optional<tarvex::HistoryRecordReply>& record,
                              const QByteArray& rawReply) {
    ++m_nRepliesSeen;
    CRecordArray& records = Records();
    if (!record || m_nCurrentIndex < 0 || m_nCurrentIndex >= records.size())
        return;
    const tarvex::HistoryRecordReply& r = *record;
    tagTESTRECORD& rec = records[m_nCurrentIndex];
    rec.strTestTime = QString::asprintf("%02d-%02d-%02d %02d:%02d:%02d", r.year, r.month, r.day,
                                        r.hour, r.minute, r.second);
    QString* texts[] = {&rec.strText1, &rec.strText2, &rec.strText3};
    for (std::size_t i = 0; i < r.texts.size(); ++i)
        *texts[i] = QString::fromLatin1(r.texts[i].data(), qsizetype(r.texts[i].size()));
    rec.fKneeVoltage = static_cast<float>(r.kneeVoltage);
    rec.fKneeCurrent = static_cast<float>(r.kneeCurrent);
    rec.nTestVoltage = static_cast<std::int16_t>(r.testVoltage);
    rec.nTestCurrent = static_cast<std::int16_t>(r.testCurrent);
    const bool pt = RecordKind() == tarvex::RecordKind::Pt;
    rec.arrCurrent.clear();
    rec.arrVoltage.clear();
    for (const tarvex::ExcitationPoint& point : r.points) {
        rec.arrCurrent.append(static_cast<float>(point.current));
        rec.arrVoltage.append(
            static_cast<float>(pt ? point.voltage : tarvex::VoltsCutToHalf(point.voltage)));
    }
    if (CResultRecorder* recorder = theApp().m_pRecorder) {
        const QDateTime tested(QDate(2000 + r.year, r.month, r.day),
                               QTime(r.hour, r.minute, r.second));
        recorder->RecordUpload(pt ? tarvex::kPtExcitationKind : tarvex::kCtExcitationKind, rec,
                               m_nCurrentIndex + 1, tested, rawReply);
    }
}

void CSearchDlg::OnTimer() {
    const QString dot = QStringLiteral("·");
    QString text;
    if (m_nDotCount == 0) {
        text = QString("正在搜索，请等待%1").arg(dot);
        m_nDotCount = 1;
    } else if (m_nDotCount == 1) {
        text = QString("正在搜索，请等待%1%2").arg(dot, dot);
        m_nDotCount = 2;
    } else {
        text = QString("正在搜索，请等待%1%2%3").arg(dot, dot, dot);
        m_nDotCount = 0;
    }
    SetDlgItemText(1022, text);
}

void CSearchDlg::OnOK() {
    if (m_bUploading)
        return;
    m_jobs = SelectedJobs();
    m_nUploadKind = m_nRecordKind;
    m_pUploadLink = theApp().m_pLink;
    BeginUpload();
    if (m_jobs.empty()) {
        m_bCompleted = true;
        EndUpload();
        return;
    }
    m_bStop = false;
    m_bCompleted = false;
    m_bWorkerDone = false;
    m_worker = std::thread(&CSearchDlg::SearchThreadProc, this);
}

void CSearchDlg::OnCancel() {
    hide();
}

std::vector<CSearchDlg::Job> CSearchDlg::SelectedJobs() const {
    std::vector<Job> jobs;
    for (int row = 0; row < m_SearchList->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_SearchList->topLevelItem(row);
        if (item->isSelected())
            jobs.push_back({row, item->text(0)});
    }
    return jobs;
}

void CSearchDlg::BeginUpload() {
    m_bUploading = true;
    m_timer->start();
    m_btnOK->setEnabled(false);
    m_btnExit->setEnabled(false);
}

// GUI thread: after the worker has finished (posted by it), or from StopUpload. Runs once per
// upload.
void CSearchDlg::EndUpload() {
    if (m_worker.joinable())
        m_worker.join();
    if (!m_bUploading)
        return;
    m_timer->stop();
    SetDlgItemText(1022, m_bCompleted ? QString(kDoneText) : QString());
    m_btnOK->setEnabled(true);
    m_btnExit->setEnabled(true);
    m_bUploading = false;
    theApp().OnUploadEnded();
}

void CSearchDlg::StopUpload() {
    if (!m_worker.joinable())
        return;
    m_bStop = true;
    // The worker may be waiting for this thread (its own calls, or the link handing a reply to
    // the main frame), so keep serving posted calls until it is done.
    while (!m_bWorkerDone) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        if (!m_bWorkerDone)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EndUpload();
}

void CSearchDlg::AddTreeChild(const Job& job) {
    emit uploadingRecord(m_nUploadKind, job.number);
}

template <typename Fn> bool CSearchDlg::OnGuiThread(Fn fn) {
    if (m_bStop)
        return false;
    QMetaObject::invokeMethod(this, std::move(fn), Qt::BlockingQueuedConnection);
    return true;
}

void CSearchDlg::PauseUnlessStopped(int ms) {
    for (int left = ms; left > 0 && !m_bStop; left -= kPauseStepMs)
        Sleep(std::min(left, kPauseStepMs));
}

// The worker: for each selected row the tree child (added before the fetch, kept even if no
// record comes), the record request and the pause the instrument needs between requests.
void CSearchDlg::SearchThreadProc(CSearchDlg* dlg) {
    std::size_t fetched = 0;
    for (const Job& job : dlg->m_jobs) {
        const bool going = dlg->OnGuiThread([dlg, &job] {
            dlg->AddTreeChild(job);
            dlg->m_nCurrentIndex = job.row;
        });
        if (!going || dlg->m_bStop)
            break;
        if (CDeviceLink* link = dlg->m_pUploadLink) {
            const int repliesBefore = dlg->m_nRepliesSeen;
            link->RequestHistoryRecord(dlg->m_nUploadKind,
                                       static_cast<unsigned short>(job.row + 1));
            if (dlg->m_nRepliesSeen == repliesBefore) {
                const auto note = link->DeviceWasLost() ? tarvex::StatusNote::DeviceLost
                                                        : tarvex::StatusNote::NoReply;
                dlg->OnGuiThread([note] { tarvex::ShowStatusNote(note); });
            }
        }
        ++fetched;
        dlg->PauseUnlessStopped(kPauseAfterFetchMs);
    }
    dlg->m_bCompleted = fetched == dlg->m_jobs.size();
    QMetaObject::invokeMethod(
        dlg, [dlg] { dlg->EndUpload(); }, Qt::QueuedConnection);
    dlg->m_bWorkerDone = true;
}
