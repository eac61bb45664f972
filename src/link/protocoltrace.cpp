#include "protocoltrace.h"

#include "platform/clock.h"
#include "platform/statusnote.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvex {
namespace {

std::mutex g_mutex;
std::FILE* g_file = nullptr;
std::int64_t g_startMs = 0;
std::string g_path;
QString g_failure;

// Keeps the cause for the message pane and tells the GUI thread (from any thread; at start-up
// the note waits in the event queue until the main frame shows it). g_mutex held.
void NoteFailure(const std::string& path, int error) {
    const QString cause = QString::fromLocal8Bit(std::strerror(error));
    g_failure = QString("%1（%2）").arg(QString::fromStdString(path), cause);
    if (auto* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [] { ShowStatusNote(StatusNote::TraceFailed); }, Qt::QueuedConnection);
}

// A trace holds what the operator's tools and names say: only its owner may read it.
std::FILE* CreateTraceFile(const std::string& path) {
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, 0600); // a file kept from an earlier run may be readable by others
    std::FILE* file = ::fdopen(fd, "w");
    if (!file)
        ::close(fd);
    return file;
}

void WriteLine(const char* arrow, const char* label, const unsigned char* bytes, int len) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_file)
        return;
    const double seconds = static_cast<double>(CurrentClock().NowMs() - g_startMs) / 1000.0;
    std::fprintf(g_file, "[%10.3f] %s %s:", seconds, arrow, label);
    for (int i = 0; i < len; ++i)
        std::fprintf(g_file, " %02X", bytes[i]);
    std::fputc('\n', g_file);
    // A trace is read when something went wrong, maybe after a crash: every line goes out now.
    if (std::fflush(g_file) != 0 || std::ferror(g_file)) {
        NoteFailure(g_path, errno);
        std::fclose(g_file);
        g_file = nullptr;
    }
}

void WriteCommand(const char* arrow, unsigned char command, const unsigned char* bytes, int len) {
    char label[48];
    std::snprintf(label, sizeof label, "%02X %s", command, ProtocolTrace::CommandName(command));
    WriteLine(arrow, label, bytes, len);
}

} // namespace

bool ProtocolTrace::Open(const std::string& path) {
    Close();
    std::FILE* file = CreateTraceFile(path);
    const int error = errno;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!file) {
        NoteFailure(path, error);
        return false;
    }
    g_file = file;
    g_path = path;
    g_startMs = CurrentClock().NowMs();
    return true;
}

void ProtocolTrace::Close() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_file)
        std::fclose(g_file);
    g_file = nullptr;
}

bool ProtocolTrace::IsOpen() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_file != nullptr;
}

QString ProtocolTrace::FailureText() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_failure;
}

void ProtocolTrace::Sent(unsigned char command, const unsigned char* bytes, int len) {
    WriteCommand("->", command, bytes, len);
}

void ProtocolTrace::Read(unsigned char command, const unsigned char* bytes, int len) {
    WriteCommand("<-", command, bytes, len);
}

void ProtocolTrace::Discarded(const unsigned char* bytes, int len) {
    WriteLine("??", "discarded", bytes, len);
}

const char* ProtocolTrace::CommandName(unsigned char command) {
    switch (command) {
    case 0xD0:
        return "Connect";
    case 0xD1:
        return "Disconnect";
    case 0xE0:
        return "RequestDeviceInfo";
    case 0xE3:
        return "SendIdentity";
    case 0xE4:
    case 0xE6:
        return "RequestHistoryList";
    case 0xE5:
    case 0xE7:
        return "RequestHistoryRecord";
    case 0xEB:
        return "StartTest";
    case 0xEC:
        return "SetTestKind";
    case 0xED:
        return "SendExcitationParams";
    case 0xEE:
        return "SendCTRatioParams";
    case 0xEF:
        return "SendPTRatioParams";
    case 0xF0:
        return "SendCTErrorParams";
    case 0xF1:
        return "SendPTErrorParams";
    case 0xF2:
        return "SendCTBurdenParams";
    case 0xF3:
        return "SendPTBurdenParams";
    case 0xF6:
        return "RequestResult";
    default:
        return "unknown";
    }
}

} // namespace tarvex
