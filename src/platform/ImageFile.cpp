#include "platform/ImageFile.h"

#include <array>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileDescriptor.h"

namespace nimbrook {
namespace {

struct Signature {
    std::string_view mimeType;
    std::string_view leading;
    // Where `leading` starts; RIFF containers name their kind past the length.
    std::size_t offset = 0;
};

constexpr std::array<Signature, 6> signatures{{
    {"image/png", "\x89PNG\r\n\x1a\n"},
    {"image/tiff", std::string_view("II*\0", 4)},
    {"image/tiff", std::string_view("MM\0*", 4)},
    {"image/jpeg", "\xFF\xD8\xFF"},
    {"image/gif", "GIF8"},
    {"image/webp", "WEBP", 8},
}};

// Opened without waiting, so that a FIFO named like an image cannot hold the caller.
std::optional<std::pair<FileDescriptor, std::uintmax_t>> opened(const std::string& path) {
    if (!path.starts_with('/')) {
        return std::nullopt;
    }
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return std::pair(std::move(file), static_cast<std::uintmax_t>(status.st_size));
}

}  // namespace

std::optional<std::string> ImageFile::read(const std::string& path, std::size_t maximumBytes) {
    auto file = opened(path);
    if (!file || file->second > maximumBytes) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(file->second));
    // The file may grow meanwhile: the bound holds for what is read, not for what fstat said.
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const auto count = ::read(file->first.get(), buffer.data(), buffer.size());
        if (count > 0) {
            if (bytes.size() + static_cast<std::size_t>(count) > maximumBytes) {
                return std::nullopt;
            }
            bytes.append(buffer.data(), static_cast<std::size_t>(count));
        } else if (count == 0) {
            return bytes;
        } else if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

std::optional<ImageFile::Summary> ImageFile::summary(const std::string& path) {
    const auto file = opened(path);
    if (!file) {
        return std::nullopt;
    }
    std::array<char, 16> leading{};
    const auto count = ::read(file->first.get(), leading.data(), leading.size());
    const std::string_view bytes(leading.data(), count > 0 ? static_cast<std::size_t>(count) : 0);
    return Summary{.size = file->second, .mimeType = mimeTypeOf(bytes)};
}

std::string_view ImageFile::mimeTypeOf(std::string_view bytes) {
    for (const Signature& signature : signatures) {
        if (bytes.size() >= signature.offset + signature.leading.size() &&
            bytes.substr(signature.offset, signature.leading.size()) == signature.leading) {
            return signature.mimeType;
        }
    }
    return {};
}

}  // namespace nimbrook
