#include "searchdlg.h"

#include "state/appstate.h"
#include "devicelink.h"
#include "replylayout.h"
#include "platform/reportlist.h"
#include "platform/clock.h"
#include "platform/fonts.h"
#include "platform/statusnote.h"
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
constexpr int kListHead = 2;      // count N
constexpr int kListEntry = 6;     // year, month, day, line, group, phase
constexpr int kRecordHead = 44;   // time, texts, knee, settings, n
constexpr int kColumnWidth = 100;
const char* const kDoneText = "搜索完毕，数据已上传";

int SignedWord(const unsigned char* p) {
    return static_cast<std::int16_t>((p[0] << 8) | p[1]);
}
int UnsignedWord(const unsigned char* p) {
    return (p[0] << 8) | p[1];
}

QString SingleByteText(const unsigned char* p, int count) {
    return QString::fromLatin1(reinterpret_cast<const char*>(p), count);
}

// "%02d-%02d-%02d" of three bytes, without printf: a noisy block can hold a thousand list
// frames of a thousand records each, and this runs for every one of them.
QString DateText(const unsigned char* ymd) {
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

void CSearchDlg::OnRecordList(const unsigned char* payload, int length) {
    ++m_nRepliesSeen;
    m_listRows.clear();
    if (!m_bListRowsPending) {
        m_bListRowsPending = true;
        QTimer::singleShot(0, this, &CSearchDlg::ShowListRows);
    }
    if (!payload || length < kListHead)
        return;
    const int claimed = SignedWord(payload);
    if (claimed <= 0)
        return;
    const int count = std::min(claimed, (length - kListHead) / kListEntry);

    CRecordArray& records = Records();
    int phase = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned char* entry = payload + kListHead + kListEntry * i;
        const QString date = DateText(entry);
        const unsigned char code = entry[5];
        // An unknown code repeats the previous record's phase; the first record has none to
        // repeat and stores its own code plus 10, as the known codes do.
        if (code <= 2 || i == 0)
            phase = code + 10; // 250 gives 0x104, not a wrapped byte
        m_listRows.push_back({date, entry[3], entry[4], phase});

        if (records.size() < i + 1)
            records.append(tagTESTRECORD{});
        tagTESTRECORD& rec = records[i];
        rec.strDate = date;
        rec.byLineNo = entry[3];
        rec.byGroupNo = entry[4];
        rec.byPhase = phase;
    }
}

void CSearchDlg::OnRecordData(const unsigned char* payload, int length) {
    ++m_nRepliesSeen;
    CRecordArray& records = Records();
    if (!payload || length < kRecordHead || m_nCurrentIndex < 0 ||
        m_nCurrentIndex >= records.size())
        return;
    const bool pt = m_nRecordKind == 1;
    tagTESTRECORD& rec = records[m_nCurrentIndex];

    const unsigned char* t = payload;
    rec.strTestTime =
        QString::asprintf("%02d-%02d-%02d %02d:%02d:%02d", t[0], t[1], t[2], t[3], t[4], t[5]);
    rec.strText1 = SingleByteText(payload + 6, 10);
    rec.strText2 = SingleByteText(payload + 16, 10);
    rec.strText3 = SingleByteText(payload + 26, 10);
    const int kneeVoltage = UnsignedWord(payload + 36);
    const int kneeCurrent = UnsignedWord(payload + 38);
    rec.fKneeVoltage = static_cast<float>(pt ? kneeVoltage : kneeVoltage / 25.0);
    rec.fKneeCurrent = static_cast<float>(pt ? kneeCurrent : kneeCurrent / 600.0);
    rec.nTestVoltage = static_cast<std::int16_t>(SignedWord(payload + 40));
    rec.nTestCurrent = payload[42];

    const int claimed = payload[43];
    const int n = tarvex::PointsBothArrived(claimed, length - kRecordHead);
    const unsigned char* currents = payload + kRecordHead;
    const unsigned char* voltages = currents + 2 * claimed;
    rec.arrCurrent.clear();
    rec.arrVoltage.clear();
    for (int j = 0; j < n; ++j) {
        const int voltage = SignedWord(voltages + 2 * j);
        rec.arrCurrent.append(static_cast<float>(SignedWord(currents + 2 * j) / 1000.0));
        rec.arrVoltage.append(
            static_cast<float>((pt ? voltage : tarvex::CutToHalfVolts(voltage)) / 10.0));
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
            link->RequestHistoryRecord(dlg->m_nUploadKind, static_cast<unsigned short>(job.row + 1));
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
