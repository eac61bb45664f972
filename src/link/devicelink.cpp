#include "devicelink.h"

#include "platform/clock.h"
#include "platform/msgbox.h"
#include "platform/statusnote.h"
#include "protocoltrace.h"
#include "replylayout.h"
#include "rxbuffer.h"
#include "testkinds.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <vector>

unsigned char g_RxBuf[kRxBufSize];
std::int16_t g_RxLen = 0;

namespace {

constexpr int kMaxRead = kRxBufSize - 1; // room for the terminating zero
constexpr int kPollStepMs = 5;
constexpr size_t kIdentityLength = 10; // characters of each identity text that are sent
// Stale bytes thrown away before one command at most; a line that never stops talking must
// not hold the program here.
constexpr int kMaxDiscard = 65536;

// The longest result block: 255 points (55 AA 1A, N, knee, 255 currents and voltages, FD FA).
constexpr int kLongestResult = 3 + 5 + 4 * 255 + 2;

// Milliseconds that count characters take on the wire (ten bits each), rounded up.
int CharactersWireMs(int count, int baud) {
    return static_cast<int>((count * 10LL * 1000 + baud - 1) / baud);
}

int High(int value) {
    return (value >> 8) & 0xFF;
}
int Low(int value) {
    return value & 0xFF;
}

// 0..9 for digits, 10..35 for upper-case Latin letters, -1 for anything else.
int IdentityCode(char32_t c) {
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - 0x30);
    if (c >= 'A' && c <= 'Z')
        return static_cast<int>(c - 0x37);
    return -1;
}

} // namespace

CDeviceLink::CDeviceLink(CReplyTarget* target, QObject* context)
    : m_pNotifyWnd(target), m_pContext(context) {}

CDeviceLink::~CDeviceLink() {
    Close();
}

int CDeviceLink::Open(int port, int baud) {
    if (IsPortOpen())
        return 1;
    return CComPort::Open(port, baud);
}

unsigned char CDeviceLink::TestKindCode(int kind) {
    const tarvex::TestKindInfo* info = tarvex::FindTestKind(kind);
    return info ? info->code : 0x01;
}

int CDeviceLink::StartWaitMs(int kind) {
    const tarvex::TestKindInfo* info = tarvex::FindTestKind(kind);
    return info ? info->startWaitMs : 10000;
}

void CDeviceLink::Send(unsigned char command, std::initializer_list<int> payload) {
    std::vector<unsigned char> frame{0xAA, 0x55, command};
    for (int byte : payload)
        frame.push_back(static_cast<unsigned char>(byte & 0xFF));
    frame.push_back(0x0D);
    frame.push_back(0x0A);
    if (command == 0xF2 || command == 0xF3)
        frame.push_back(0x00); // the instrument expects this filler after the burden commands
    SendFrame(frame.data(), static_cast<int>(frame.size()));
}

int CDeviceLink::SendFrame(const unsigned char* bytes, int len) {
    const int sent = Write(bytes, len);
    if (sent > 0 && len >= 3)
        tarvex::ProtocolTrace::Sent(bytes[2], bytes, len);
    // A new command replaces the note about the last one ("仪器无应答", "设备已断开").
    if (sent > 0 && (!m_pContext || QThread::currentThread() == m_pContext->thread()))
        tarvex::ShowStatusNote(tarvex::StatusNote::Ready);
    return sent;
}

void CDeviceLink::DiscardStale() {
    unsigned char scrap[256];
    int total = 0;
    for (int n; total < kMaxDiscard && (n = Read(scrap, sizeof scrap)) > 0; total += n)
        tarvex::ProtocolTrace::Discarded(scrap, n);
}

int CDeviceLink::SendAndRead(unsigned char command, std::initializer_list<int> payload,
                             int waitMs) {
    DiscardStale();
    m_nReplyCommand = command;
    Send(command, payload);
    Sleep(waitMs);
    ReadReply();
    return m_nLastReadBytes;
}

void CDeviceLink::Connect() {
    SendAndRead(0xD0, {}, 100);
}

void CDeviceLink::Disconnect() {
    if (m_bConnected)
        Send(0xD1);
    ClosePort();
}

void CDeviceLink::RequestDeviceInfo() {
    if (m_bConnected)
        SendAndRead(0xE0, {}, 300);
}

void CDeviceLink::SendIdentity(const QString& text1, const QString& text2, const QString& text3) {
    if (!m_bConnected)
        return;
    unsigned char frame[35];
    std::fill(std::begin(frame), std::end(frame), 0x41);
    frame[0] = 0xAA;
    frame[1] = 0x55;
    frame[2] = 0xE3;
    frame[33] = 0x0D;
    frame[34] = 0x0A;
    const QString* texts[3] = {&text1, &text2, &text3};
    for (const QString* text : texts) {
        const QString unsupported = UnsupportedIdentityChar(*text);
        if (!unsupported.isEmpty()) {
            MessageBox(nullptr, IdentityRefusal(unsupported), "系统提示",
                       MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    for (int t = 0; t < 3; ++t) {
        const std::u32string chars = texts[t]->toUpper().toStdU32String();
        for (size_t p = 0; p < kIdentityLength && p < chars.size(); ++p)
            frame[3 + 10 * t + p] = static_cast<unsigned char>(IdentityCode(chars[p]));
    }
    SendFrame(frame, sizeof frame);
}

QString CDeviceLink::UnsupportedIdentityChar(const QString& text) {
    const std::u32string chars = text.toUpper().toStdU32String();
    for (size_t p = 0; p < kIdentityLength && p < chars.size(); ++p) {
        if (IdentityCode(chars[p]) < 0)
            return QString::fromUcs4(&chars[p], 1);
    }
    return {};
}

QString CDeviceLink::IdentityRefusal(const QString& unsupported) {
    return QString("系统不支持字符'%1'").arg(unsupported);
}

int CDeviceLink::RequestHistoryList(int kind) {
    return m_bConnected ? SendAndRead(kind == 1 ? 0xE6 : 0xE4, {}, 2000) : -1;
}

void CDeviceLink::RequestHistoryRecord(int kind, unsigned short number) {
    if (m_bConnected)
        SendAndRead(kind == 1 ? 0xE7 : 0xE5, {High(number), Low(number)}, 3000);
}

void CDeviceLink::StartTest() {
    if (m_bConnected)
        SendAndRead(0xEB, {}, StartWaitMs(m_nTestKind));
}

void CDeviceLink::SetTestKind(int kind) {
    if (!m_bConnected)
        return;
    m_nTestKind = kind;
    Send(0xEC, {TestKindCode(kind)});
}

void CDeviceLink::SendExcitationParams(int a, int b, int c, int d, int e) {
    if (m_bConnected)
        Send(0xED, {High(a), Low(a), b, c, d, e});
}

void CDeviceLink::SendCTRatioParams(int a, int b) {
    if (m_bConnected)
        Send(0xEE, {High(a), Low(a), b});
}

void CDeviceLink::SendPTRatioParams(int a, int b) {
    if (m_bConnected)
        Send(0xEF, {High(a), Low(a), b});
}

void CDeviceLink::SendCTErrorParams(int a, int b, int c, int d) {
    if (m_bConnected)
        Send(0xF0, {High(a), Low(a), b, c, d});
}

void CDeviceLink::SendPTErrorParams(int a, int b, int c, int d) {
    if (m_bConnected)
        Send(0xF1, {High(a), Low(a), b, c, d});
}

void CDeviceLink::SendCTBurdenParams(int a) {
    if (m_bConnected)
        Send(0xF2, {a});
}

void CDeviceLink::SendPTBurdenParams(int a) {
    if (m_bConnected)
        Send(0xF3, {a});
}

void CDeviceLink::RequestResult() {
    SendAndRead(0xF6, {}, 500);
}

int CDeviceLink::ReadReply() {
    ++m_nReadCount;
    m_nLastReadBytes = 0;
    const int waiting = PendingIn();
    g_RxLen = static_cast<std::int16_t>(std::min(waiting, kMaxRead));
    if (waiting <= 0) {
        g_RxBuf[0] = 0; // empty, not holding what an earlier read left
        return 0;
    }
    int held = Read(g_RxBuf, std::min(waiting, kMaxRead));
    held = ReadRestOfBlock(held);
    g_RxBuf[held] = 0;
    g_RxLen = static_cast<std::int16_t>(held);
    m_nLastReadBytes = held;
    tarvex::ProtocolTrace::Read(static_cast<unsigned char>(m_nReplyCommand), g_RxBuf, held);
    if (held < 5)
        return 0;
    if (tarvex::EndsWithTrailer(g_RxBuf, held))
        NotifyReply();
    return 1;
}

// A long block (a 255-point curve takes over a second at 9600 baud) may still be arriving
// when the command's wait ends: keep reading while bytes come without a long gap, until the
// block ends with FD FA, the buffer is full, or the block would have arrived: the length its
// first frame claims, at least the longest result. A line that talks on past that is not a
// reply; the next command discards the rest.
int CDeviceLink::ReadRestOfBlock(int held) {
    if (held >= kMaxRead || tarvex::EndsWithTrailer(g_RxBuf, held))
        return held;
    // One wait for the operator however many short sleeps; it ends before the dispatch, which
    // may ask the operator something.
    tarvex::WaitScope receiving(0);
    const int baud = ActualBaud() > 0 ? ActualBaud() : 9600;
    const int gapLimitMs = 50 + CharactersWireMs(2, baud);
    const std::int64_t start = tarvex::CurrentClock().NowMs();
    auto blockDue = [&] {
        const int expected = std::max(kLongestResult, tarvex::ClaimedBlockLength(g_RxBuf, held));
        return start + gapLimitMs + CharactersWireMs(std::min(expected, kMaxRead), baud);
    };
    int quietMs = 0;
    while (held < kMaxRead && !tarvex::EndsWithTrailer(g_RxBuf, held) && quietMs <= gapLimitMs &&
           tarvex::CurrentClock().NowMs() < blockDue() && IsPortOpen()) {
        Sleep(kPollStepMs);
        const int more = PendingIn();
        if (more > 0) {
            held += Read(g_RxBuf + held, std::min(more, kMaxRead - held));
            quietMs = 0;
        } else {
            quietMs += kPollStepMs;
        }
    }
    return held;
}

void CDeviceLink::NotifyReply() {
    if (!m_pNotifyWnd)
        return;
    const std::span<const unsigned char> block(g_RxBuf, static_cast<std::size_t>(g_RxLen));
    if (m_pContext && QThread::currentThread() != m_pContext->thread()) {
        CReplyTarget* target = m_pNotifyWnd;
        QMetaObject::invokeMethod(
            m_pContext, [target, block] { target->OnDeviceReply(block); },
            Qt::BlockingQueuedConnection);
        return;
    }
    m_pNotifyWnd->OnDeviceReply(block);
}
