#include "lateinput.h"

#include "xservertime.h"

#include <QCoreApplication>
#include <QEvent>
#include <QInputEvent>

namespace tarvex {

LateInputFilter::LateInputFilter() : QObject(QCoreApplication::instance()) {
    QCoreApplication::instance()->installEventFilter(this);
}

LateInputFilter& LateInputFilter::Instance() {
    static LateInputFilter* filter = new LateInputFilter; // owned by the application
    return *filter;
}

void LateInputFilter::WaitEnded() {
    m_waitEnd = XServerTimeNow();
}

bool LateInputFilter::StampedBefore(std::uint32_t timestamp, std::uint32_t waitEnd) {
    return static_cast<std::int32_t>(timestamp - waitEnd) < 0;
}

bool LateInputFilter::IsOperatorAction(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

bool LateInputFilter::eventFilter(QObject*, QEvent* event) {
    if (!IsOperatorAction(event->type()))
        return false;
    const auto timestamp =
        static_cast<std::uint32_t>(static_cast<QInputEvent*>(event)->timestamp());
    return m_waitEnd != 0 && timestamp != 0 && StampedBefore(timestamp, m_waitEnd);
}

} // namespace tarvex
