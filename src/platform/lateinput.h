#pragma once
#include <QEvent>
#include <QObject>

#include <cstdint>

namespace tarvex {

// Keeps the operator's input that happened during a wait from acting after it, even when the
// window system hands it over late. Each wait's end is read from the X server's clock, the time
// base of the input events' timestamps; a mouse, key, wheel, touch or tablet event stamped before
// it is thrown away. Without an X server (offscreen, Wayland) it lets everything pass. GUI thread.
class LateInputFilter : public QObject {
  public:
    // The one filter, installed on the application when first asked for.
    static LateInputFilter& Instance();
    // Notes that a wait ended now.
    void WaitEnded();
    // True for an input event stamped before the end of the last wait (timestamps wrap).
    static bool StampedBefore(std::uint32_t timestamp, std::uint32_t waitEnd);
    // The stamped input events by which the operator acts: buttons, keys, wheel, touch, tablet.
    static bool IsOperatorAction(QEvent::Type type);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    LateInputFilter();
    std::uint32_t m_waitEnd = 0; // X server time; 0: no wait has ended yet
};

} // namespace tarvex
