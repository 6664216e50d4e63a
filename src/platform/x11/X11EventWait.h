#pragma once

#include <atomic>
#include <chrono>

#include <xcb/xcb.h>

#include "platform/x11/XcbPointer.h"

namespace nimbrook {

// The next event of an X connection served by a thread of its own, waited for until a
// deadline and cut short from any thread by wake(), so that the thread can always be ended.
class X11EventWait final {
public:
    using Clock = std::chrono::steady_clock;
    using Event = XcbPointer<xcb_generic_event_t>;

    // `connection` must outlive this object.
    explicit X11EventWait(xcb_connection_t& connection);
    ~X11EventWait();
    X11EventWait(const X11EventWait&) = delete;
    X11EventWait& operator=(const X11EventWait&) = delete;

    // The next event; null once `deadline` has passed, the connection is broken or wake()
    // was called (for good: every later call returns null at once).
    Event next(Clock::time_point deadline);
    void wake();
    bool isWoken() const { return woken_; }

private:
    xcb_connection_t& connection_;
    int wakeFd_;
    std::atomic<bool> woken_{false};
};

}  // namespace nimbrook
