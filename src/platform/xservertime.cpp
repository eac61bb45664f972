#include "xservertime.h"

#include <QGuiApplication>

#include <cstdlib>
#include <xcb/xcb.h>

namespace tarvex {
namespace {

// A connection with an unmapped window: appending nothing to one of its properties makes the
// server send a PropertyNotify carrying its time.
class ServerClock {
  public:
    ServerClock() {
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        if (!it.rem)
            return;
        m_window = xcb_generate_id(m_connection);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, it.data->root, 0, 0, 1, 1,
                          0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
    }
    ~ServerClock() { xcb_disconnect(m_connection); }

    std::uint32_t Now() {
        if (!m_window || xcb_connection_has_error(m_connection))
            return 0;
        xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, XCB_ATOM_WM_NAME,
                            XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(m_connection);
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_connection)) {
            const bool notify = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
            const std::uint32_t time =
                notify ? reinterpret_cast<xcb_property_notify_event_t*>(event)->time : 0;
            std::free(event);
            if (notify)
                return time;
        }
        return 0; // the connection broke
    }

  private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
};

} // namespace

std::uint32_t XServerTimeNow() {
    if (QGuiApplication::platformName() != "xcb")
        return 0;
    static ServerClock clock;
    return clock.Now();
}

} // namespace tarvex
