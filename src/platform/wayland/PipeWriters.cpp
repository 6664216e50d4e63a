#include "platform/wayland/PipeWriters.h"

#include <chrono>

#include <unistd.h>

namespace nimbrook {

void PipeWriters::write(int fd, std::shared_ptr<const std::string> bytes) {
    if (running() >= maximumWriters) {
        ::close(fd);
        return;
    }
    writes_.push_back(
        std::async(std::launch::async, [fd, bytes = std::move(bytes), deadlines = deadlines_] {
            PipeTransfer::writeAll(fd, *bytes, deadlines);
        }));
}

std::size_t PipeWriters::running() {
    std::erase_if(writes_, [](const std::future<void>& write) {
        return write.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    return writes_.size();
}

}  // namespace nimbrook
