#pragma once
// What the measurements share: clocks and medians, /proc readings, child processes, the
// simulator on a pseudo-terminal, and the real program started offscreen.
#include "app/tarvexapp.h"
#include "link/testkinds.h"
#include "platform/msgboxrecorder.h"

#include <QApplication>

#include <cstdint>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

class CMainFrame;
class CTestPage;

namespace bench {

// CLOCK_MONOTONIC in nanoseconds (the same clock in every process of the machine).
std::int64_t NowNs();
double MsSince(std::int64_t startNs);
// Processor time of this process so far (user and system, every thread), as getrusage says.
double CpuMs();
// VmRSS of /proc/self/status in KiB.
long ResidentKb();
double Median(std::vector<double> values);
double Max(const std::vector<double>& values);

// A folder under /tmp removed with everything in it when this ends.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};

// A program started with posix_spawn. Its standard output goes to a pipe (Output() reads it
// to the end and waits) or to outputFile; its standard error to errorFile, or where its
// standard output goes when that is "-", or stays this process's when it is empty.
class Process {
  public:
    explicit Process(const std::vector<std::string>& args, const std::string& outputFile = {},
                     const std::string& errorFile = {});
    ~Process(); // ends a program still running (SIGTERM to its own id) and waits for it
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    // Everything it writes to standard output; waits for its end. Exit status in *status.
    std::string Output(int* status = nullptr);
    void Stop();
    pid_t Pid() const { return m_pid; }

  private:
    pid_t m_pid = -1;
    int m_out = -1;
};

// This program (for the sub-commands run as child processes).
std::string SelfPath();

// tarvex-sim on a pseudo-terminal, linked as COM1 in $XDG_CONFIG_HOME/tarvex/ports, which the
// caller has pointed at a folder of its own. Stops it (and so removes the link) when it ends.
class SimOnPty {
  public:
    SimOnPty(const std::string& simProgram, const std::string& logFile,
             const std::vector<std::string>& options);
    bool Ready() const { return m_ready; }

  private:
    Process m_process;
    bool m_ready = false;
};

// The instrument's timing the measurements set on the simulator and count with.
constexpr int kSimReplyDelayMs = 20;
constexpr int kSimTestMs = 3000;
std::vector<std::string> SimTimingOptions();

// The real program offscreen: the QApplication set up as main() sets it up, the application
// object, and a message-box recorder in place of the operator (a box must never wait here).
class Program {
  public:
    Program(int& argc, char** argv);
    ~Program();
    // CTarvexApp::InitInstance, then the event loop until the main window has been painted.
    bool ShowMainWindow();
    CMainFrame* Frame() const;

    QApplication qt;
    tarvex::MessageBoxRecorder boxes;
    CTarvexApp app;
};

// The nine tests by kind (the tree's order): 0 CT excitation, 1 CT ratio, 2 CT error,
// 3 CT burden, 4 PT excitation, 5 PT ratio, 6 PT error, 7 PT burden, 8 winding resistance.
constexpr int kKinds = tarvex::kTestKindCount;
const char* KindName(int kind);
CTestPage* Page(CTarvexApp& app, int kind);
// Chooses the test in the tree as the operator does (the page shows, the test kind goes out).
void ChooseTest(CTarvexApp& app, int kind);
// Presses the start button of the test's page; returns when the sequence has ended (the waits
// run in the event loop). False when the button was not there to press.
bool PressStart(CTarvexApp& app, int kind);
// Both.
bool RunTest(CTarvexApp& app, int kind);
// The operator's 操作 → 连接 on the link as it stands. True when the handshake came.
bool Connect(CTarvexApp& app);

// "key value" lines a child prints and the parent collects; a figure per test kind is keyed
// "name.kind".
void Report(const std::string& key, double value);
std::string Key(const std::string& name, int kind);
std::map<std::string, std::vector<double>> ParseReport(const std::string& output);

// --name value of argv; fallback when absent.
std::string Option(int argc, char** argv, const std::string& name, const std::string& fallback);

} // namespace bench
