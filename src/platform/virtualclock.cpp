#include "virtualclock.h"

#include <QCoreApplication>
#include <QThread>

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
    // An upload worker lets the GUI thread, which serves its calls, make progress. The GUI thread
    // goes on at once: its waits on this clock are many (a reply is read in 5 ms steps).
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        std::this_thread::yield();
}

} // namespace tarvex
