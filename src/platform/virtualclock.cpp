#include "virtualclock.h"

#include <thread>

namespace tarvex {

void VirtualClock::SleepMs(int ms)
{
    if (ms > 0) {
        m_now += ms;
        m_slept += ms;
    }
    // Let other threads (an upload worker on the same clock) make progress.
    std::this_thread::yield();
}

} // namespace tarvex
