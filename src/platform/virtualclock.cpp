#include "virtualclock.h"

#include <algorithm>
#include <thread>

namespace tarvex {

void VirtualClock::SleepMs(int ms) {
    // In steps, so that a wait on the GUI thread ends where the real one would when broken.
    while (ms > 0 && !WaitBroken()) {
        const int step = std::min(ms, kWaitBreakCheckMs);
        m_now += step;
        m_slept += step;
        ms -= step;
    }
    // Let other threads (an upload worker on the same clock) make progress.
    std::this_thread::yield();
}

} // namespace tarvex
