#pragma once
#include <csignal>
#include <functional>

class QSocketNotifier;

// SIGTERM (a desktop session ending), SIGHUP (its terminal closed) and SIGINT (Ctrl+C) handed
// to the GUI thread: the handler only writes a byte into a pipe, and a socket notifier on the
// pipe's other end calls onSignal from the event loop, waits included. The handlers in force
// before come back when the object goes. One object at a time; GUI thread.
class CSignalExit {
  public:
    explicit CSignalExit(std::function<void()> onSignal);
    ~CSignalExit();
    CSignalExit(const CSignalExit&) = delete;
    CSignalExit& operator=(const CSignalExit&) = delete;

  private:
    void Drain();

    std::function<void()> m_onSignal;
    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_previous[3] = {}; // SIGTERM, SIGHUP, SIGINT
};
