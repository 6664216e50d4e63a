#include "platform/x11/X11EventWait.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace nimbrook {

X11EventWait::X11EventWait(xcb_connection_t& connection)
    : connection_(connection), wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

X11EventWait::~X11EventWait() {
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

X11EventWait::Event X11EventWait::next(Clock::time_point deadline) {
    for (;;) {
        if (woken_ || xcb_connection_has_error(&connection_) != 0) {
            return nullptr;
        }
        // Replies waited for meanwhile may have brought events into xcb's queue, which the
        // socket no longer announces.
        if (Event event{xcb_poll_for_event(&connection_)}) {
            return event;
        }
        xcb_flush(&connection_);
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return nullptr;
        }
        pollfd fds[2]{{xcb_get_file_descriptor(&connection_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        // Without a deadline the thread sleeps until the server or wake() speaks; only when
        // wake() has no descriptor to write to does it look at its flag once a minute.
        const bool endless = deadline == Clock::time_point::max() && wakeFd_ >= 0;
        const auto timeout = endless ? -1 : static_cast<int>(std::min<long long>(left, 60'000));
        if (::poll(fds, wakeFd_ >= 0 ? 2 : 1, timeout) < 0 && errno != EINTR) {
            return nullptr;
        }
    }
}

void X11EventWait::wake() {
    woken_ = true;
    const std::uint64_t one = 1;
    // Adding one to an eventfd fails only when its count nears 2^64, which wakes never reach;
    // without the descriptor, the flag alone ends the wait at the poll's next timeout.
    [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
}

}  // namespace nimbrook
