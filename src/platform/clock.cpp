#include "clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace tarvex {
namespace {

bool OnGuiThread()
{
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

class RealClock : public Clock {
public:
    std::int64_t NowMs() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    void SleepMs(int ms) override
    {
        if (ms <= 0)
            return;
        if (!OnGuiThread()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return;
        }
        WaitOnGuiThread(ms);
    }

private:
    // Keeps painting, timers and posted events going; real input waits until the end.
    void WaitOnGuiThread(int ms)
    {
        WaitObserver* observer = CurrentWaitObserver();
        if (observer)
            observer->WaitStarted(ms);
        const std::int64_t deadline = NowMs() + ms;
        std::int64_t left = ms;
        while (left > 0) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents,
                                            static_cast<int>(std::min<std::int64_t>(left, 20)));
            left = deadline - NowMs();
            if (left > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::int64_t>(left, 5)));
            left = deadline - NowMs();
            if (observer)
                observer->WaitProgress(static_cast<int>(std::max<std::int64_t>(left, 0)));
        }
        if (observer)
            observer->WaitEnded();
        if (auto* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->wakeUp();
    }
};

RealClock g_realClock;
std::atomic<Clock*> g_clock{nullptr};
std::atomic<WaitObserver*> g_observer{nullptr};

} // namespace

Clock& CurrentClock()
{
    Clock* clock = g_clock.load();
    return clock ? *clock : g_realClock;
}

void SetClock(Clock* clock) { g_clock.store(clock); }
void SetWaitObserver(WaitObserver* observer) { g_observer.store(observer); }
WaitObserver* CurrentWaitObserver() { return g_observer.load(); }

} // namespace tarvex

void Sleep(int ms) { tarvex::CurrentClock().SleepMs(ms); }
