#include "platform/FileImageStore.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/ImageReferences.h"
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

// The folder when it is a directory of this user, opened with O_NOFOLLOW and checked through
// the open descriptor, which leaves no window in which it could be swapped for a symlink.
FileDescriptor openOwnFolder(const std::filesystem::path& folder, struct stat& status) {
    FileDescriptor directory(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!directory.isOpen() || ::fstat(directory.get(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return FileDescriptor(-1);
    }
    return directory;
}

// Opens the folder, creating it (and the data folder above it) when missing, and makes it
// private again if its mode was widened, rather than giving up capturing images for good.
FileDescriptor openPrivateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno == ENOENT) {
        ::mkdir(folder.parent_path().c_str(), 0700);
        ::mkdir(folder.c_str(), 0700);
    }
    struct stat status {};
    FileDescriptor directory = openOwnFolder(folder, status);
    if (directory.isOpen() && (status.st_mode & (S_IRWXG | S_IRWXO)) != 0 &&
        ::fchmod(directory.get(), 0700) != 0) {
        return FileDescriptor(-1);
    }
    return directory;
}

// A link, a folder or someone else's file under an own name is not the program's.
bool isOwnFile(const struct stat& status) {
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

// The regular files of this user in the folder, with their status.
std::vector<std::pair<std::string, struct stat>> filesIn(const FileDescriptor& folder) {
    std::vector<std::pair<std::string, struct stat>> files;
    const int copy = ::dup(folder.get());
    DIR* listing = copy < 0 ? nullptr : ::fdopendir(copy);
    if (listing == nullptr) {
        if (copy >= 0) {
            ::close(copy);
        }
        return files;
    }
    while (const dirent* entry = ::readdir(listing)) {
        struct stat status {};
        if (::fstatat(folder.get(), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            isOwnFile(status)) {
            files.emplace_back(entry->d_name, status);
        }
    }
    ::closedir(listing);
    return files;
}

void removeOwnFile(const FileDescriptor& folder, const std::string& name) {
    struct stat status {};
    if (ImageReferences::isOwnName(name) &&
        ::fstatat(folder.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        isOwnFile(status)) {
        ::unlinkat(folder.get(), name.c_str(), 0);
    }
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

void FileImageStore::remove(const Names& names) {
    struct stat status {};
    const FileDescriptor directory = openOwnFolder(folder_, status);
    if (!directory.isOpen()) {
        return;
    }
    for (const std::string& name : names) {
        removeOwnFile(directory, name);
    }
}

void FileImageStore::removeAllBut(const Names& kept) {
    struct stat status {};
    const FileDescriptor directory = openOwnFolder(folder_, status);
    if (!directory.isOpen()) {
        return;
    }
    for (const auto& [name, file] : filesIn(directory)) {
        if (!kept.contains(name)) {
            removeOwnFile(directory, name);
        }
    }
}

std::uint64_t FileImageStore::totalBytes() const {
    struct stat status {};
    const FileDescriptor directory = openOwnFolder(folder_, status);
    std::uint64_t total = 0;
    if (directory.isOpen()) {
        for (const auto& [name, file] : filesIn(directory)) {
            total += static_cast<std::uint64_t>(file.st_size);
        }
    }
    return total;
}

}  // namespace nimbrook
