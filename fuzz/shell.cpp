#include "shell.h"
#include "state/resultarchive.h"

#include "platform/fonts.h"
#include "replylayout.h"
#include "res/tarvexres.h"
#include "rxbuffer.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <cstring>

// Qt's caches live until the process ends; only errors count.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace {

QString g_reportPath; // where Save writes: a folder of this process's own

QtMessageHandler g_qtMessages = nullptr;

// The offscreen platform's notes on window features it lacks would bury libFuzzer's output.
void QuietPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith("This plugin does not support"))
        g_qtMessages(type, context, text);
}

} // namespace

// Once per process: the application object on the offscreen platform, as the program sets it up.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_qtMessages = qInstallMessageHandler(QuietPlatformNotes);
    static int argc = 1;
    static char name[] = "tarvex-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
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

Shell::Shell() {
    // The reply buffer as a program starts with it: no input sees what the one before left.
    std::memset(g_RxBuf, 0, sizeof g_RxBuf);
    g_RxLen = 0;
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
    checked.inner = frame;
    link->m_pNotifyWnd = &checked;
}

Shell::~Shell() {
    app.reset();
    tarvex::SetSerialOpener(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Settle();
}

void Shell::Settle() {
    QCoreApplication::processEvents();
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
