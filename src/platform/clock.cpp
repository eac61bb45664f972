#include "clock.h"

#include "lateinput.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace tarvex {
namespace {

constexpr int kProgressTickMs = 250;

bool OnGuiThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// Eats the operator's input while a wait runs. Everything else (painting, timers, posted calls
// from the upload worker, window-manager close requests) passes.
class InputDiscarder : public QObject {
  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchUpdate:
        case QEvent::Drop:
            return true;
        default:
            return LateInputFilter::IsOperatorAction(event->type());
        }
    }
};

int g_scopeDepth = 0; // GUI thread only
InputDiscarder* g_discarder = nullptr;

class RealClock : public Clock {
  public:
    std::int64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    void SleepMs(int ms) override {
        if (ms <= 0 || WaitBroken())
            return;
        if (OnGuiThread())
            WaitInEventLoop(ms);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

  private:
    // Sleeps in the event loop until the deadline; a progress tick keeps the status bar current.
    void WaitInEventLoop(int ms) {
        const std::int64_t deadline = NowMs() + ms;
        QEventLoop loop;
        QTimer end;
        end.setSingleShot(true);
        end.setTimerType(Qt::PreciseTimer);
        QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [this, deadline] {
            if (WaitObserver* observer = CurrentWaitObserver())
                observer->WaitProgress(
                    static_cast<int>(std::max<std::int64_t>(deadline - NowMs(), 0)));
        });
        bool broken = false;
        QTimer breakCheck;
        QObject::connect(&breakCheck, &QTimer::timeout, [&loop, &broken] {
            broken = WaitBroken();
            if (broken)
                loop.quit();
        });
        end.start(ms);
        if (ms > kProgressTickMs)
            tick.start(kProgressTickMs);
        breakCheck.start(kWaitBreakCheckMs);
        loop.exec();
        if (broken)
            return;
        // A loop ended early (the application is quitting) still keeps the wait's length.
        const std::int64_t left = deadline - NowMs();
        if (left > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(left));
    }
};

RealClock g_realClock;
std::function<bool()> g_breaker; // GUI thread only
std::atomic<Clock*> g_clock{nullptr};
std::atomic<WaitObserver*> g_observer{nullptr};

} // namespace

Clock& CurrentClock() {
    Clock* clock = g_clock.load();
    return clock ? *clock : g_realClock;
}

void SetClock(Clock* clock) {
    g_clock.store(clock);
}
void SetWaitObserver(WaitObserver* observer) {
    g_observer.store(observer);
}
WaitObserver* CurrentWaitObserver() {
    return g_observer.load();
}

WaitScope::WaitScope(int totalMs) {
    if (!OnGuiThread() || g_scopeDepth++ > 0)
        return;
    m_outermost = true;
    g_discarder = new InputDiscarder;
    QCoreApplication::instance()->installEventFilter(g_discarder);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setOverrideCursor(Qt::WaitCursor);
    if (WaitObserver* observer = CurrentWaitObserver())
        observer->WaitStarted(totalMs);
}

WaitScope::~WaitScope() {
    if (!OnGuiThread())
        return;
    if (!m_outermost) {
        --g_scopeDepth;
        return;
    }
    // Input that came in the wait's last moments is still queued: let the discarder have it.
    QCoreApplication::processEvents();
    --g_scopeDepth;
    QCoreApplication::instance()->removeEventFilter(g_discarder);
    delete g_discarder;
    g_discarder = nullptr;
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::restoreOverrideCursor();
        LateInputFilter::Instance().WaitEnded(); // what the discarder missed is stamped before
    }
    if (WaitObserver* observer = CurrentWaitObserver())
        observer->WaitEnded();
}

bool WaitInProgress() {
    return g_scopeDepth > 0;
}

void SetWaitBreaker(std::function<bool()> breaker) {
    g_breaker = std::move(breaker);
}

bool WaitBroken() {
    return OnGuiThread() && g_breaker && g_breaker();
}

} // namespace tarvex

void Sleep(int ms) {
    tarvex::WaitScope scope(ms);
    tarvex::CurrentClock().SleepMs(ms);
}
