#pragma once
#include <csignal>
#include <cstdint>
#include <cstdio>

namespace sim {

class Engine;
class PtyPort;

// The real-time loop of tarvex-sim: waits on the pty master with ppoll until bytes come or the
// next reply byte is due, feeds the engine on a monotonic clock, and writes the reply bytes as
// they fall due. While no program has the slave open (hang-up), it looks again every 10 ms and
// drops what falls due, as a real line would. Runs until *stop is set (by a signal that ppoll's
// mask lets through).
class SimRunner {
  public:
    SimRunner(Engine& engine, PtyPort& port, int fixedBaud, bool verbose, std::FILE* log);

    // Milliseconds of the monotonic clock since the runner was made (the log's time).
    std::int64_t NowMs() const;

    // waitMask: the signal mask during the waits (the signals that stop the loop unblocked).
    int Run(const volatile std::sig_atomic_t* stop, const sigset_t* waitMask);

  private:
    void ReadCommands();
    void WriteReplies();
    void FollowBaud();

    Engine& m_engine;
    PtyPort& m_port;
    int m_fixedBaud;
    bool m_verbose;
    std::FILE* m_log;
    std::int64_t m_startNs;
    bool m_peerOpen = false;
    int m_lineBaud = 0;
};

} // namespace sim
