#pragma once

#include <string_view>

namespace nimbrook {

// Owns a descriptor and closes it on every way out of a function.
class FileDescriptor final {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    ~FileDescriptor();

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Closes now, so that a failing close (a delayed write error) can be reported.
    bool close();

    // Writes all of `bytes` to `fd`, going on after interruptions; false on any failure.
    static bool writeAll(int fd, std::string_view bytes);

private:
    int fd_;
};

}  // namespace nimbrook
