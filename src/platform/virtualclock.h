#pragma once
#include "clock.h"

#include <atomic>

namespace tarvex {

// A clock whose time moves only when somebody sleeps on it, so that a 35 s test wait takes no
// real time and runs the same way every time. Tests install it with ScopedClock. Any thread.
class VirtualClock : public Clock {
  public:
    std::int64_t NowMs() override { return m_now.load(); }
    void SleepMs(int ms) override;
    void Advance(int ms) { SleepMs(ms); }
    // Total of all sleeps so far (what a test asserts when it checks a wait).
    std::int64_t SleptMs() const { return m_slept.load(); }

  private:
    std::atomic<std::int64_t> m_now{1000000};
    std::atomic<std::int64_t> m_slept{0};
};

// Installs a clock for the lifetime of a scope.
class ScopedClock {
  public:
    explicit ScopedClock(Clock& clock) { SetClock(&clock); }
    ~ScopedClock() { SetClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

} // namespace tarvex
