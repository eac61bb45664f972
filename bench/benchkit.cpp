#include "benchkit.h"

#include "app/mainfrm.h"
#include "controls/ltree.h"
#include "link/devicelink.h"
#include "link/testkinds.h"
#include "pages/dzdlg.h"
#include "pages/ibbdlg.h"
#include "pages/ifhdlg.h"
#include "pages/ijbdlg.h"
#include "pages/ivadlg.h"
#include "pages/ubbdlg.h"
#include "pages/ufhdlg.h"
#include "pages/ujbdlg.h"
#include "pages/uvadlg.h"
#include "platform/appearance.h"
#include "platform/fonts.h"
#include "res/tarvexres.h"

#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace bench {

std::int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

double MsSince(std::int64_t startNs) {
    return static_cast<double>(NowNs() - startNs) / 1e6;
}

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Max(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

TempDir::TempDir() {
    char path[] = "/tmp/tarvex-bench.XXXXXX";
    if (mkdtemp(path))
        m_path = path;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

Process::Process(const std::vector<std::string>& args, const std::string& outputFile,
                 const std::string& errorFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeEnds[2] = {-1, -1};
    if (outputFile.empty()) {
        if (pipe2(pipeEnds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    if (errorFile == "-")
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    else if (!errorFile.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (pipeEnds[1] >= 0)
        close(pipeEnds[1]);
    m_out = pipeEnds[0];
}

Process::~Process() {
    Stop();
}

std::string Process::Output(int* status) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; m_out >= 0 && (n = read(m_out, buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR)
            break;
    }
    int code = -1;
    if (m_pid > 0 && waitpid(m_pid, &code, 0) == m_pid)
        m_pid = -1;
    if (status)
        *status = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
    return text;
}

void Process::Stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    if (m_out >= 0)
        close(m_out);
    m_out = -1;
}

std::string SelfPath() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

SimOnPty::SimOnPty(const std::string& simProgram, const std::string& logFile,
                   const std::vector<std::string>& options)
    : m_process(
          [&] {
              std::vector<std::string> args{simProgram, "--port", "COM1"};
              args.insert(args.end(), options.begin(), options.end());
              return args;
          }(),
          logFile, "-") {
    // "device /dev/pts/N linked as ..." once the link is in place.
    for (int tries = 0; tries < 500 && !m_ready; ++tries) {
        std::ifstream log(logFile);
        std::string line;
        while (std::getline(log, line))
            m_ready = m_ready || line.rfind("device ", 0) == 0;
        if (!m_ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!m_ready)
        std::fprintf(stderr, "tarvex-bench: %s did not start (see %s)\n", simProgram.c_str(),
                     logFile.c_str());
}

std::vector<std::string> SimTimingOptions() {
    return {"--reply-delay-ms", std::to_string(kSimReplyDelayMs), "--test-ms",
            std::to_string(kSimTestMs)};
}

Program::Program(int& argc, char** argv) : qt(argc, argv) {
    // The start of main() (src/app/main.cpp), without its protocol trace.
    QApplication::setApplicationName("Tarvex");
    tarvex::InstallFontSubstitutions();
    tarvex::InitResources();
    QApplication::setFont(tarvex::SongFont(12));
    tarvex::InstallQtTranslations();
    tarvex::InstallReadablePalette();
}

Program::~Program() {
    app.ExitInstance();
}

namespace {

// Notes the main window's first paint; the window counts as shown when the event that painted
// it (and its children with it) has been handled.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(const CTarvexApp& app) : m_app(app) {}
    bool shown = false;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint && object == m_app.m_pMainWnd) {
            m_seen = true;
            QTimer::singleShot(0, [this] { shown = true; });
        }
        return false;
    }

  private:
    const CTarvexApp& m_app;
    bool m_seen = false;
};

} // namespace

bool Program::ShowMainWindow() {
    FirstPaint paint(app);
    qt.installEventFilter(&paint);
    const bool created = app.InitInstance();
    while (created && !paint.shown)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    qt.removeEventFilter(&paint);
    return created;
}

CMainFrame* Program::Frame() const {
    return app.m_pMainWnd;
}

const char* KindName(int kind) {
    const tarvex::TestKindInfo* info = tarvex::FindTestKind(kind);
    return info ? info->name : "?";
}

CTestPage* Page(CTarvexApp& app, int kind) {
    return app.m_pMainWnd->TestPage(kind);
}

void ChooseTest(CTarvexApp& app, int kind) {
    app.m_pMainWnd->m_LTree->SelectTest(kind);
    QCoreApplication::processEvents();
}

bool PressStart(CTarvexApp& app, int kind) {
    CTestPage* page = Page(app, kind);
    const tarvex::TestKindInfo* info = tarvex::FindTestKind(kind);
    auto* start =
        page ? page->findChild<QPushButton*>(QString("id%1").arg(info->startButtonId)) : nullptr;
    if (!start || !start->isEnabled())
        return false;
    start->click();
    return true;
}

bool RunTest(CTarvexApp& app, int kind) {
    ChooseTest(app, kind);
    return PressStart(app, kind);
}

bool Connect(CTarvexApp& app) {
    app.m_pMainWnd->OnConnect();
    return app.m_pLink && app.m_pLink->m_bConnected;
}

void Report(const std::string& key, double value) {
    std::printf("%s %.6g\n", key.c_str(), value);
    std::fflush(stdout);
}

std::string Key(const std::string& name, int kind) {
    std::string key = name;
    key += '.';
    key += std::to_string(kind);
    return key;
}

std::map<std::string, std::vector<double>> ParseReport(const std::string& output) {
    std::map<std::string, std::vector<double>> values;
    std::istringstream lines(output);
    std::string key;
    double value = 0;
    while (lines >> key >> value)
        values[key].push_back(value);
    return values;
}

std::string Option(int argc, char** argv, const std::string& name, const std::string& fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i] == name)
            return argv[i + 1];
    }
    return fallback;
}

} // namespace bench
