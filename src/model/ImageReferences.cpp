#include "model/ImageReferences.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileDescriptor.h"

namespace nimbrook {

namespace {

constexpr std::string_view prefix = "clipboard_";
constexpr std::string_view suffix = ".png";
// No path is longer on Linux; a longer content is a text, not a file's name.
constexpr std::size_t longestPath = 4096;
// Longer than any own name ("clipboard_" + two 19-digit numbers + ".png"), so that a name cut
// by a piece's end is whole in the next piece.
constexpr std::size_t overlap = 64;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the run of digits at the start of `text`.
std::size_t digitsAt(std::string_view text) {
    return static_cast<std::size_t>(std::find_if_not(text.begin(), text.end(), isDigit) -
                                    text.begin());
}

// The own name that starts at the beginning of `text` (and may go on with anything), or empty.
std::string_view ownNameAt(std::string_view text) {
    if (!text.starts_with(prefix)) {
        return {};
    }
    std::size_t end = prefix.size();
    const std::size_t seconds = digitsAt(text.substr(end));
    if (seconds == 0) {
        return {};
    }
    end += seconds;
    if (end < text.size() && text[end] == '-') {
        const std::size_t sequence = digitsAt(text.substr(end + 1));
        if (sequence == 0) {
            return {};
        }
        end += 1 + sequence;
    }
    if (!text.substr(end).starts_with(suffix)) {
        return {};
    }
    return text.substr(0, end + suffix.size());
}

void addFoundInText(std::string_view text, ImageReferences::Names& names) {
    for (auto at = text.find(prefix); at != std::string_view::npos;
         at = text.find(prefix, at + 1)) {
        if (const auto name = ownNameAt(text.substr(at)); !name.empty()) {
            names.emplace(name);
        }
    }
}

}  // namespace

bool ImageReferences::isOwnName(std::string_view name) {
    return !name.empty() && ownNameAt(name).size() == name.size();
}

std::string_view ImageReferences::nameIn(std::string_view content) {
    if (content.size() > longestPath) {
        return {};
    }
    const auto slash = content.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? content : content.substr(slash + 1);
    return isOwnName(name) ? name : std::string_view();
}

ImageReferences::Names ImageReferences::of(std::span<const ClipboardItem> items) {
    Names names;
    for (const ClipboardItem& item : items) {
        if (const auto name = nameIn(item.content()); !name.empty()) {
            names.emplace(name);
        }
    }
    return names;
}

bool ImageReferences::addFoundIn(const std::filesystem::path& file, Names& names) {
    FileDescriptor descriptor(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!descriptor.isOpen()) {
        return errno == ENOENT;
    }
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0) {
        return false;
    }
    // Nothing but a regular file is read as a history, so nothing else can hold entries.
    if (!S_ISREG(status.st_mode)) {
        return true;
    }
    std::string window;
    std::array<char, 65536> piece{};
    while (true) {
        const ssize_t count = ::read(descriptor.get(), piece.data(), piece.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            return true;
        }
        window.append(piece.data(), static_cast<std::size_t>(count));
        addFoundInText(window, names);
        window.erase(0, window.size() > overlap ? window.size() - overlap : 0);
    }
}

}  // namespace nimbrook
