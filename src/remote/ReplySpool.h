#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileDescriptor.h"

namespace nimbrook {

// Holds a reply as fast as the connection brings it, so that the command line lets go of the
// running program's connection before a slow reader (a pager, a pipe that waits) takes the
// output: in memory up to a few megabytes, past them in a temporary file that no other process
// can open (made without a name, or named, 0600, and unlinked at once) in the first of
// `folders` that takes one. When no folder takes it or it fills up, the rest is held in memory
// after all: the reply is drained either way.
class ReplySpool final {
public:
    static constexpr std::size_t memoryLimit = 4 * 1024 * 1024;

    explicit ReplySpool(std::vector<std::filesystem::path> folders, std::size_t limit = memoryLimit)
        : folders_(std::move(folders)), limit_(limit) {}

    void append(std::string_view bytes);
    // Whether the bytes past the first few megabytes went to a file.
    bool spilled() const { return file_.has_value(); }
    // Writes everything held to `fd`, at the pace it takes it (waiting on one that is not
    // blocking); false on a write error, with errno telling which.
    bool writeTo(int fd) const;

private:
    // Moves what memory holds to a new file.
    void spill();

    std::vector<std::filesystem::path> folders_;
    std::size_t limit_;
    // The bytes are the file's first fileSize_ bytes, then these.
    std::optional<FileDescriptor> file_;
    std::size_t fileSize_ = 0;
    std::string memory_;
    // No file is made or written to any more: none could be, or one filled up.
    bool inMemory_ = false;
};

}  // namespace nimbrook
