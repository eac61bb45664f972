#pragma once
#include <cstdint>
#include <functional>

namespace tarvex {

// The clock behind every wait of the program. The real clock is steady time; tests install a
// virtual clock so that a 35 s test wait takes no real time and runs the same way every time.
class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; never goes backwards.
    virtual std::int64_t NowMs() = 0;
    // Blocks the calling thread for ms milliseconds of this clock's time.
    virtual void SleepMs(int ms) = 0;
};

// The clock in force; the real one unless a test installed another. Any thread.
Clock& CurrentClock();
// Installs a clock (nullptr restores the real one). Tests only, before the threads that wait start.
void SetClock(Clock* clock);

// Observer of the waits made on the GUI thread (the main frame shows them in its status bar).
// totalMs 0: a wait of unknown length (a reply still arriving).
class WaitObserver {
  public:
    virtual ~WaitObserver() = default;
    virtual void WaitStarted(int totalMs) = 0;
    virtual void WaitProgress(int leftMs) = 0;
    virtual void WaitEnded() = 0;
};
void SetWaitObserver(WaitObserver* observer);
WaitObserver* CurrentWaitObserver();

// The program is busy with the instrument on the GUI thread for the life of this object: the
// operator's mouse, key and wheel input is thrown away (never replayed: a second click on a
// start button must not start a second test), a wait cursor shows, and the observer is told.
// Scopes nest; only the outermost one acts, so a wait made of several short ones reads as one.
// On any other thread it does nothing. GUI thread objects only.
class WaitScope {
  public:
    explicit WaitScope(int totalMs);
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

  private:
    bool m_outermost = false;
};

// True while a WaitScope is alive on the GUI thread.
bool WaitInProgress();

// How often a wait on the GUI thread asks its breaker whether waiting still makes sense.
constexpr int kWaitBreakCheckMs = 100;
// The breaker is asked on the GUI thread when a wait starts and every kWaitBreakCheckMs while it
// runs; the wait ends as soon as it answers true (the device is gone: nothing can answer any
// more). nullptr: every wait runs its full length.
void SetWaitBreaker(std::function<bool()> breaker);
// True when a wait on this thread should end now: the GUI thread and the breaker says so.
bool WaitBroken();

} // namespace tarvex

// Waits ms milliseconds. On the GUI thread it blocks in Qt's event loop (no polling) inside a
// WaitScope: the window stays painted, timers keep running, input is discarded; it ends early
// when the wait breaker says so. On any other thread a plain sleep.
void Sleep(int ms);
