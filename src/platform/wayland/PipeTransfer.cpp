#include "platform/wayland/PipeTransfer.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace nimbrook {
namespace {

constexpr std::size_t chunkBytes = 64 * 1024;

using Clock = std::chrono::steady_clock;

// Waits for `events` on `fd` for at most the stall deadline and not past `end`; false when
// the time ran out or poll failed.
bool ready(int fd, short events, PipeTransfer::Deadlines deadlines, Clock::time_point end) {
    const auto stallEnd = std::min(end, Clock::now() + deadlines.stall);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(stallEnd - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd request{fd, events, 0};
        const int result = ::poll(&request, 1, static_cast<int>(left));
        if (result > 0) {
            return true;
        }
        if (result == 0 || errno != EINTR) {
            return false;
        }
    }
}

class ClosedOnExit final {
public:
    explicit ClosedOnExit(int fd) : fd_(fd) {
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    }
    ~ClosedOnExit() { ::close(fd_); }
    ClosedOnExit(const ClosedOnExit&) = delete;
    ClosedOnExit& operator=(const ClosedOnExit&) = delete;

private:
    int fd_;
};

}  // namespace

std::optional<std::string> PipeTransfer::readAll(int fd, Deadlines deadlines,
                                                 std::size_t maximumBytes) {
    const ClosedOnExit closer(fd);
    const auto end = Clock::now() + deadlines.total;
    std::string bytes;
    char buffer[chunkBytes];
    for (;;) {
        const auto count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            if (bytes.size() + static_cast<std::size_t>(count) > maximumBytes) {
                return std::nullopt;
            }
            bytes.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0) {
            return bytes;
        } else if (errno == EINTR) {
            continue;
        } else if (errno != EAGAIN || !ready(fd, POLLIN, deadlines, end)) {
            return std::nullopt;
        }
    }
}

bool PipeTransfer::writeAll(int fd, std::string_view bytes, Deadlines deadlines) {
    const ClosedOnExit closer(fd);
    const auto end = Clock::now() + deadlines.total;
    while (!bytes.empty()) {
        const auto count = ::write(fd, bytes.data(), bytes.size());
        if (count >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(count));
        } else if (errno == EINTR) {
            continue;
        } else if (errno != EAGAIN || !ready(fd, POLLOUT, deadlines, end)) {
            return false;
        }
    }
    return true;
}

}  // namespace nimbrook
