#pragma once

#include <cstddef>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/PipeTransfer.h"

namespace nimbrook {

// Answers the readers of the program's own selection, each on a thread of its own: a reader
// that takes a large image slowly, or never reads at all, holds only that thread and never
// the one the compositor's events arrive on, which is the panel's.
class PipeWriters final {
public:
    // More readers at once than a desktop has; one past them is refused.
    static constexpr std::size_t maximumWriters = 16;

    explicit PipeWriters(PipeTransfer::Deadlines deadlines) : deadlines_(deadlines) {}
    // Waits for the writes under way, each bounded by the deadlines.
    ~PipeWriters() = default;
    PipeWriters(const PipeWriters&) = delete;
    PipeWriters& operator=(const PipeWriters&) = delete;

    // Writes `bytes` to `fd` and closes it, in the background. A refused write closes `fd` at
    // once, so its reader sees an empty answer instead of waiting.
    void write(int fd, std::shared_ptr<const std::string> bytes);
    // The writes still under way.
    std::size_t running();

private:
    PipeTransfer::Deadlines deadlines_;
    std::vector<std::future<void>> writes_;
};

}  // namespace nimbrook
