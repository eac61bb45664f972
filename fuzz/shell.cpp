#include "shell.h"
#include "state/archivedvalue.h"
#include "state/resultarchive.h"
#include "state/resultrecorder.h"

#include "controls/ltree.h"
#include "controls/mytabctrl.h"
#include "history/searchdlg.h"
#include "pages/ibbdlg.h"
#include "pages/ivadlg.h"
#include "pages/iwcdlg.h"
#include "pages/uvadlg.h"
#include "platform/fonts.h"
#include "replylayout.h"
#include "res/tarvexres.h"
#include "rxbuffer.h"
#include "testkinds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>

// Fontconfig keeps what it allocates while Qt loads the fonts at start-up without a pointer to
// it; the program does not.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

// A value as the archive reads it back (a number JSON cannot hold reads as null).
QByteArray ArchivedText(const QJsonObject& value) {
    return QJsonDocument(QJsonDocument::fromJson(QJsonDocument(value).toJson())).toJson();
}

// The curve of an uploaded record as the excitation page shows it.
QByteArray RecordCurve(const tagTESTRECORD& record) {
    tarvex::ExcitationReply curve{record.fKneeVoltage, record.fKneeCurrent, 0, {}};
    for (qsizetype i = 0; i < std::min(record.arrCurrent.size(), record.arrVoltage.size()); ++i)
        curve.points.push_back({record.arrCurrent[i], record.arrVoltage[i]});
    curve.claimedPoints = static_cast<int>(curve.points.size());
    return ArchivedText(ValueJson(curve));
}

QString g_reportPath; // where Save writes: a folder of this process's own

QtMessageHandler g_qtMessages = nullptr;

// The offscreen platform's notes on window features it lacks would bury libFuzzer's output.
void QuietPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith("This plugin does not support"))
        g_qtMessages(type, context, text);
}

// Nothing is painted on its own (a window shown, a widget updated): painting every window at
// every turn of the event loop took most of an input's time. Shell::Paint paints on purpose.
class NoAutomaticPainting : public QObject {
  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == QEvent::UpdateRequest || event->type() == QEvent::Expose;
    }
};

} // namespace

// Once per process: the application object on the offscreen platform, as the program sets it up.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_qtMessages = qInstallMessageHandler(QuietPlatformNotes);
    static int argc = 1;
    static char name[] = "tarvex-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    qApp->installEventFilter(new NoAutomaticPainting);
    QApplication::setApplicationName("Tarvex");
    tarvex::InstallFontSubstitutions();
    QApplication::setFont(tarvex::SongFont(12));
    tarvex::InitResources();
    static QTemporaryDir folder;
    g_reportPath = folder.filePath("report.txt");
    // What the program remembers between runs goes there too, never into the user's folder.
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    return 0;
}

namespace fuzz {

void Arrive(ScriptedDevice::Shared& line, const Reply& reply) {
    static const int kDelayMs[8] = {0, 0, 0, 0, 40, 120, 600, 40000};
    static const int kPiece[8] = {0, 0, 0, 1, 7, 64, 512, 4096}; // 0: all at once
    const int piece = kPiece[(reply.timing >> 3) & 7];
    const int gapMs = (reply.timing & 0x40) ? 70 : 3;
    std::int64_t start = tarvex::CurrentClock().NowMs() + kDelayMs[reply.timing & 7];
    // A line keeps its order: nothing overtakes bytes still on their way.
    if (!line.inbound.empty())
        start = std::max(start, line.inbound.back().first);
    for (std::size_t i = 0; i < reply.bytes.size(); ++i) {
        const std::int64_t due = start + (piece ? std::int64_t(i / piece) * gapMs : 0);
        line.inbound.emplace_back(due, reply.bytes[i]);
    }
}

AnsweringDevice::AnsweringDevice(std::shared_ptr<Shared> line, std::deque<Reply>& replies, int baud)
    : ScriptedDevice(line, baud), m_line(std::move(line)), m_replies(replies) {}

int AnsweringDevice::WriteByte(unsigned char byte, int timeoutMs) {
    const int written = ScriptedDevice::WriteByte(byte, timeoutMs);
    m_frame.push_back(byte);
    const std::size_t n = m_frame.size();
    if (n < 2 || m_frame[n - 2] != 0x0D || m_frame[n - 1] != 0x0A)
        return written;
    static const unsigned char kHead[] = {0xAA, 0x55};
    const auto start =
        std::search(m_frame.begin(), m_frame.end(), std::begin(kHead), std::end(kHead));
    static const Bytes kReading = {0xD0, 0xE0, 0xE4, 0xE5, 0xE6, 0xE7, 0xEB, 0xF6};
    const bool reads = m_frame.end() - start > 2 &&
                       std::find(kReading.begin(), kReading.end(), start[2]) != kReading.end();
    m_frame.clear();
    if (reads && !m_replies.empty()) {
        Arrive(*m_line, m_replies.front());
        m_replies.pop_front();
    }
    return written;
}

void CheckReplyBuffer() {
    FUZZ_CHECK(g_RxLen >= 0 && g_RxLen <= kRxBufSize - 1);
    FUZZ_CHECK(g_RxBuf[g_RxLen] == 0);
}

std::set<unsigned char> FrameCodes(const unsigned char* block, int length) {
    std::set<unsigned char> codes;
    const int end = length - 2; // before FD FA
    for (int i = 0; i + 5 <= length;) {
        if (block[i] != 0x55 || block[i + 1] != 0xAA) {
            ++i;
            continue;
        }
        codes.insert(block[i + 2]);
        if (block[i + 2] == 0xD1)
            break;
        i += 3 + tarvex::ClaimedPayloadLength(block[i + 2], block + i + 3, end - (i + 3));
    }
    return codes;
}

long CheckedTarget::OnDeviceReply(std::span<const unsigned char> block) {
    CheckReplyBuffer();
    FUZZ_CHECK(block.data() == g_RxBuf && static_cast<int>(block.size()) == g_RxLen);
    FUZZ_CHECK(g_RxLen >= 5);
    FUZZ_CHECK(g_RxBuf[g_RxLen - 2] == 0xFD && g_RxBuf[g_RxLen - 1] == 0xFA);
    ++blocks;
    const std::set<unsigned char> found = FrameCodes(g_RxBuf, g_RxLen);
    codes.insert(found.begin(), found.end());
    return inner->OnDeviceReply(block);
}

Shell& Shell::Instance() {
    static Shell* const shell = new Shell; // lives as long as the process, as QApplication
    return *shell;
}

Input::~Input() {
    shell.FinishPendingTimers();
    if (inspect)
        inspect(shell);
    shell.CheckArchive();
    shell.Reset();
}

Shell::Shell() : clock(std::make_unique<tarvex::VirtualClock>()) {
    tarvex::SetClock(clock.get());
    tarvex::SetSerialOpener([this](const std::string&, int baud) {
        return std::make_unique<AnsweringDevice>(line, replies, baud);
    });
    files.setAnswer(g_reportPath);
    app = std::make_unique<CTarvexApp>();
    // Every result is recorded as in the program, into an archive that goes with the input.
    app->m_strArchivePath = CResultArchive::kInMemory;
    FUZZ_CHECK(app->InitInstance());
    frame = app->m_pMainWnd;
    link = app->m_pLink;
    FUZZ_CHECK(link && link->IsOpen());
    m_port = link->PortNumber();
    m_baud = link->PortBaud();
    QObject::connect(
        &app->m_results, &CResultModel::resultArrived,
        [this](int kind, const TestResult& result, const QByteArray& rawReply) {
            if (result.source == ResultSource::Instrument)
                m_arrived.push_back({kind, ArchivedText(ValueJson(result.value)), rawReply});
        });
    checked.inner = frame;
    link->m_pNotifyWnd = &checked;
    Settle();
    m_startTab = frame->m_TabCtrl->CurrentTab();
    m_startSingleMode = app->m_pIBBDlg->m_nSingleMode;
    m_start = std::make_unique<WidgetSnapshot>(frame);
}

void Shell::CheckArchive() {
    const std::size_t filled = FilledRecords();
    if (m_arrived.empty() && filled == 0)
        return; // nothing was recorded: reading the archive would cost more than the input
    CResultArchive& archive = app->m_pRecorder->Archive();
    QList<ArchivedResult> rows = archive.Recent(0);
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    std::size_t live = 0;
    std::map<std::pair<int, int>, const ArchivedResult*> uploaded; // the last by kind and number
    for (const ArchivedResult& row : rows) {
        if (row.source == ResultSource::UploadedRecord) {
            uploaded[{row.testKind, row.parameters["recordNo"].toInt()}] = &row;
            continue;
        }
        FUZZ_CHECK(live < m_arrived.size());
        const Arrived& arrived = m_arrived[live++];
        FUZZ_CHECK(row.testKind == arrived.kind && row.rawReply == arrived.rawReply);
        FUZZ_CHECK(ArchivedText(row.keyValues) == arrived.value);
    }
    FUZZ_CHECK(live == m_arrived.size());
    for (int kind : {tarvex::kCtExcitationKind, tarvex::kPtExcitationKind}) {
        const CRecordArray& records = Records(kind);
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (records[i].strTestTime.isEmpty())
                continue;
            const auto row = uploaded.find({kind, int(i + 1)});
            FUZZ_CHECK(row != uploaded.end());
            FUZZ_CHECK(ArchivedText(row->second->keyValues) == RecordCurve(records[i]));
        }
    }
    FUZZ_CHECK(filled == uploaded.size());
    // The next input starts with an empty archive.
    for (const ArchivedResult& row : rows)
        FUZZ_CHECK(archive.Remove(row.id));
    m_arrived.clear();
}

const CRecordArray& Shell::Records(int kind) const {
    return kind == tarvex::kPtExcitationKind ? app->m_PTRecords : app->m_CTRecords;
}

// The records the record reply filled in: they have their test time.
std::size_t Shell::FilledRecords() const {
    std::size_t filled = 0;
    for (int kind : {tarvex::kCtExcitationKind, tarvex::kPtExcitationKind}) {
        for (const tagTESTRECORD& record : Records(kind))
            filled += !record.strTestTime.isEmpty();
    }
    return filled;
}

void Shell::Reset() {
    frame->m_pSearchDlg->StopUpload();
    frame->m_pSearchDlg->m_nRecordKind = 0; // a record list that comes unasked is CT's, as at start
    ResetLine();
    boxes.clear();
    files.clear();
    app->ResetData();
    ResetTree();
    ResetPages();
    frame->m_nReportKind = 0;
    frame->SetCanSave(true, true);
    frame->ShowStatusNote(tarvex::StatusNote::Ready);
    const std::vector<QWidget*> changed = m_start->Restore();
    // The members of a page whose entries were put back follow them, as they were at the start.
    std::vector<CDlgBase*> pages{frame->m_pErrorCurveDlg};
    for (int kind = 0; kind < tarvex::kTestKindCount; ++kind)
        pages.push_back(frame->TestPage(kind));
    for (CDlgBase* page : pages) {
        QWidget* widget = dynamic_cast<QWidget*>(page);
        if (std::any_of(changed.begin(), changed.end(),
                        [widget](QWidget* item) { return widget->isAncestorOf(item); }))
            FUZZ_CHECK(page->UpdateData(true));
    }
    FinishPendingTimers();
    // What the input's widgets gave up (animations, layouts) goes now, not during the next input.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    boxes.clear();
}

// A new clock, an empty line and reply buffer, and the port opened again on a new instrument.
void Shell::ResetLine() {
    clock = std::make_unique<tarvex::VirtualClock>();
    tarvex::SetClock(clock.get());
    replies.clear();
    *line = ScriptedDevice::Shared();
    std::memset(g_RxBuf, 0, sizeof g_RxBuf);
    g_RxLen = 0;
    link->ClosePort();
    FUZZ_CHECK(link->Open(m_port, m_baud));
    link->m_bConnected = 0;
    link->m_bStartAcked = 0;
    link->m_nTestKind = -1;
    checked.blocks = 0;
    checked.codes.clear();
}

// No record uploaded, nothing chosen.
void Shell::ResetTree() {
    CLTree* tree = frame->m_LTree;
    const QSignalBlocker quiet(tree);
    tree->ClearSelection();
    for (QTreeWidgetItem* node : {tree->m_hCTHistory, tree->m_hPTHistory}) {
        qDeleteAll(node->takeChildren());
        node->setExpanded(false);
    }
    const QSignalBlocker quietTabs(frame->m_TabCtrl);
    frame->m_TabCtrl->SetCurrentTab(m_startTab);
    frame->m_TabCtrl->ShowPage(m_startTab);
}

// No result on show; the excitation pages out of their history mode; the error-curve window
// closed with no curve.
void Shell::ResetPages() {
    // The other pages show their results in entries and labels only, which the snapshot puts
    // back.
    for (CExcitationPage* page : {static_cast<CExcitationPage*>(app->m_pIVADlg),
                                  static_cast<CExcitationPage*>(app->m_pUVADlg)}) {
        if (page->m_bHistoryMode)
            page->SetHistoryMode(false);
        page->ClearResults();
    }
    for (int kind = 0; kind < tarvex::kTestKindCount; ++kind)
        frame->TestPage(kind)->m_bResultArrived = false;
    if (app->m_pIBBDlg->m_nSingleMode != m_startSingleMode)
        app->m_pIBBDlg->SetDeviceType(m_startSingleMode ? 0xA1 : 0xA2); // as a device type sets it
    frame->m_pErrorCurveDlg->SetSourcePage(nullptr);
    frame->m_pErrorCurveDlg->hide();
}

QStringList Shell::ShownTexts() const {
    QStringList shown;
    const QString timePane = frame->TimePaneText();
    for (QWidget* widget : frame->findChildren<QWidget*>()) {
        // The named widgets are the program's; Qt's own parts (scroll bars, viewports) come and
        // go as they are needed.
        if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_"))
            continue;
        QString state = widget->objectName() + (widget->isHidden() ? " hidden" : "") +
                        (widget->isEnabled() ? "" : " disabled");
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text() != timePane)
                state += " " + label->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            state += " " + edit->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            state += button->isChecked() ? " checked" : "";
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            state += " " + combo->currentText();
        } else if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
            for (QTreeWidgetItemIterator it(list); *it; ++it) {
                for (int column = 0; column < list->columnCount(); ++column)
                    state += " " + (*it)->text(column);
            }
        }
        shown << state;
    }
    return shown;
}

void Shell::FinishPendingTimers() {
    for (QTimer* timer : frame->findChildren<QTimer*>()) {
        if (timer->isActive() && timer->isSingleShot())
            timer->start(0);
    }
    Settle();
}

void Shell::Settle() {
    QCoreApplication::processEvents();
}

void Shell::Paint(QWidget* window) {
    // One image for every window, grown to the largest, so that windows of two sizes do not take
    // turns making a new one.
    static QImage canvas;
    const QSize size = window->size().expandedTo(canvas.size());
    if (size != canvas.size())
        canvas = QImage(size, QImage::Format_ARGB32_Premultiplied);
    // The window's own painting only (the pages' charts): its background and child controls
    // are Qt's painting of Qt's widgets, which was a quarter of an input's time.
    window->render(&canvas, QPoint(), QRegion(), QWidget::RenderFlags());
}

void Shell::Search(bool pt) {
    // The record kind is asked in a modal dialog: answer it once it shows. The timer ends with
    // the command, so a search refused before its dialog leaves no answer behind.
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [pt] {
        QWidget* choice = QApplication::activeModalWidget();
        if (!choice)
            return;
        if (pt)
            choice->findChild<QRadioButton*>("id1012")->click();
        choice->findChild<QPushButton*>("id1")->click();
    });
    answer.start(0);
    frame->OnSearch();
}

} // namespace fuzz
