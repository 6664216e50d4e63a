#include "platform/FileImageStore.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileDescriptor.h"

namespace nimbrook {

namespace {

// Beyond this many taken names in one second something is wrong; give up rather than spin.
constexpr int maxNameAttempts = 10000;

std::string secondsText(Timestamp now) {
    const double seconds = std::trunc(now.unixSeconds());
    if (!(seconds >= 0)) {
        return "0";
    }
    if (seconds >= static_cast<double>(std::numeric_limits<std::int64_t>::max())) {
        return std::to_string(std::numeric_limits<std::int64_t>::max());
    }
    return std::to_string(static_cast<std::int64_t>(seconds));
}

// Opens the folder, creating it when missing; refuses anything but a directory of this user,
// and makes that directory private again if its mode was widened, rather than giving up
// capturing images for good. Opening with O_NOFOLLOW and checking the open descriptor leaves
// no window in which the folder could be swapped for a symlink.
FileDescriptor openPrivateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return FileDescriptor(-1);
    }
    FileDescriptor directory(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (!directory.isOpen() || ::fstat(directory.get(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return FileDescriptor(-1);
    }
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0 && ::fchmod(directory.get(), 0700) != 0) {
        return FileDescriptor(-1);
    }
    return directory;
}

// "<base>.png" first, then "<base>-1.png", "<base>-2.png", ...
std::string fileName(const std::string& base, int attempt) {
    std::string name = base;
    if (attempt > 0) {
        name += '-';
        name += std::to_string(attempt);
    }
    name += ".png";
    return name;
}

}  // namespace

FileImageStore::FileImageStore(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::error_code error;
    auto absolute = std::filesystem::absolute(folder_, error);
    if (!error) {
        folder_ = std::move(absolute);
    }
}

std::optional<std::string> FileImageStore::store(std::string_view bytes, Timestamp now) {
    const FileDescriptor directory = openPrivateFolder(folder_);
    if (!directory.isOpen()) {
        return std::nullopt;
    }
    const std::string base = "clipboard_" + secondsText(now);
    for (int attempt = 0; attempt < maxNameAttempts; ++attempt) {
        const std::string name = fileName(base, attempt);
        FileDescriptor file(::openat(directory.get(), name.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.isOpen()) {
            if (errno == EEXIST) {
                continue;
            }
            return std::nullopt;
        }
        if (!FileDescriptor::writeAll(file.get(), bytes) || !file.close()) {
            ::unlinkat(directory.get(), name.c_str(), 0);
            return std::nullopt;
        }
        return (folder_ / name).string();
    }
    return std::nullopt;
}

}  // namespace nimbrook
