#pragma once
#include <cstdint>

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
class WaitObserver {
public:
    virtual ~WaitObserver() = default;
    virtual void WaitStarted(int totalMs) = 0;
    virtual void WaitProgress(int leftMs) = 0;
    virtual void WaitEnded() = 0;
};
void SetWaitObserver(WaitObserver* observer);
WaitObserver* CurrentWaitObserver();

} // namespace tarvex

// Waits ms milliseconds. On the GUI thread the window stays painted and timers keep running,
// while user input is held back until the wait is over; on any other thread a plain sleep.
void Sleep(int ms);
