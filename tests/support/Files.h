#pragma once

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrook {

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Only a regular file is read: a planted FIFO would block the reader.
inline std::string readFile(const std::filesystem::path& path) {
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) {
        return {};
    }
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// What a pipe or socket gives until its writer closes it.
inline std::string readToEnd(int fd) {
    std::string received;
    char buffer[4096];
    for (ssize_t count; (count = ::read(fd, buffer, sizeof buffer)) > 0;) {
        received.append(buffer, static_cast<std::size_t>(count));
    }
    return received;
}

// The permission bits of the path itself, not of what a link at it leads to.
inline unsigned modeOf(const std::filesystem::path& path) {
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// Runs `body` with the writes of this process kept under `bytes`, as a full disk would.
inline void withFileSizeLimit(rlim_t bytes, const std::function<void()>& body) {
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    body();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}

}  // namespace nimbrook
