#include "remote/ReplySpool.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace nimbrook {
namespace {

constexpr std::size_t blockSize = 64 * 1024;

// A file of `folder` that has no name, or whose name is gone at once; nullopt when the folder
// takes none.
std::optional<FileDescriptor> anonymousFile(const std::filesystem::path& folder) {
    FileDescriptor nameless(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (nameless.isOpen()) {
        return nameless;
    }
    // Not every file system makes nameless files; mkostemp makes its file 0600.
    std::string name = (folder / "nimbrook-reply-XXXXXX").string();
    FileDescriptor named(::mkostemp(name.data(), O_CLOEXEC));
    if (!named.isOpen()) {
        return std::nullopt;
    }
    ::unlink(name.c_str());
    return named;
}

// Writes all of `bytes`, waiting while a descriptor left non-blocking by the caller's parent
// is full rather than giving up.
bool writeWaiting(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd writable{.fd = fd, .events = POLLOUT, .revents = 0};
            ::poll(&writable, 1, -1);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            errno = count == 0 ? EIO : errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

}  // namespace

void ReplySpool::append(std::string_view bytes) {
    if (file_ && !inMemory_) {
        if (FileDescriptor::writeAll(file_->get(), bytes)) {
            fileSize_ += bytes.size();
            return;
        }
        // A full disk: what the file took stays there, the rest is held here.
        inMemory_ = true;
    }
    memory_.append(bytes);
    if (!file_ && !inMemory_ && memory_.size() > limit_) {
        spill();
    }
}

void ReplySpool::spill() {
    for (const auto& folder : folders_) {
        auto file = anonymousFile(folder);
        if (file && FileDescriptor::writeAll(file->get(), memory_)) {
            file_.emplace(std::move(*file));
            fileSize_ = memory_.size();
            memory_ = std::string();
            return;
        }
    }
    inMemory_ = true;
}

bool ReplySpool::writeTo(int fd) const {
    std::array<char, blockSize> block;
    for (std::size_t offset = 0; offset < fileSize_;) {
        const ssize_t count =
            ::pread(file_->get(), block.data(), std::min(block.size(), fileSize_ - offset),
                    static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            errno = count == 0 ? EIO : errno;
            return false;
        }
        if (!writeWaiting(fd, {block.data(), static_cast<std::size_t>(count)})) {
            return false;
        }
        offset += static_cast<std::size_t>(count);
    }
    return writeWaiting(fd, memory_);
}

}  // namespace nimbrook
