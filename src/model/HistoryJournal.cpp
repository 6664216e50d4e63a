#include "model/HistoryJournal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "model/HistoryChange.h"
#include "model/HistoryCodec.h"
#include "model/TemporarySibling.h"
#include "platform/FileDescriptor.h"
#include "platform/JsonText.h"

namespace nimbrook {

namespace {

namespace fs = std::filesystem;
using Mark = HistoryJournal::Mark;

constexpr std::string_view fileName = "clipboard_history.journal";
// Numbers past this are none of the program's: counting on from them could wrap around.
constexpr Mark largestSequence = Mark{1} << 62;

std::string systemError(const std::string& what, const fs::path& path, int error) {
    return what + " " + path.string() + ": " + std::strerror(error);
}

// The file at `path` itself, never what a symlink there leads to, and only when it is a
// regular file: a FIFO planted there would block. Closed otherwise, with errno set.
FileDescriptor openRegular(const fs::path& path, int flags) {
    FileDescriptor file(::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0) {
        return FileDescriptor(-1);
    }
    if (!S_ISREG(status.st_mode)) {
        errno = EINVAL;
        return FileDescriptor(-1);
    }
    return file;
}

// What follows the sequence number: the kind, then what the change holds, then the line feed.
std::string encodedBody(const HistoryChange& change) {
    std::string body;
    switch (change.kind()) {
        case HistoryChange::Kind::insertion:
            body = " insert ";
            HistoryCodec::appendEntry(body, *change.item());
            break;
        case HistoryChange::Kind::replacement:
            body = " replace " + change.id().text() + " ";
            HistoryCodec::appendEntry(body, *change.item());
            break;
        case HistoryChange::Kind::removal:
            body = " remove " + change.id().text();
            break;
        case HistoryChange::Kind::clearing:
            body = " clear";
            break;
        case HistoryChange::Kind::pinning:
            body = " pin " + change.id().text() + " " +
                   JsonText::number(change.moment().secondsSinceReferenceDate);
            break;
        case HistoryChange::Kind::unpinning:
            body = " unpin " + change.id().text();
            break;
    }
    body += '\n';
    return body;
}

// The text before the first space, which `rest` then loses with the space.
std::string_view nextWord(std::string_view& rest) {
    const std::size_t space = rest.find(' ');
    const std::string_view word = rest.substr(0, space);
    rest.remove_prefix(space == std::string_view::npos ? rest.size() : space + 1);
    return word;
}

std::optional<Mark> sequenceOf(std::string_view& rest) {
    const std::string_view word = nextWord(rest);
    Mark sequence = 0;
    const char* end = word.data() + word.size();
    const auto [last, error] = std::from_chars(word.data(), end, sequence);
    if (word.empty() || error != std::errc() || last != end || sequence > largestSequence) {
        return std::nullopt;
    }
    return sequence;
}

std::optional<Timestamp> momentOf(std::string_view word) {
    double seconds = 0;
    const char* end = word.data() + word.size();
    const auto [last, error] = std::from_chars(word.data(), end, seconds);
    if (word.empty() || error != std::errc() || last != end || !std::isfinite(seconds)) {
        return std::nullopt;
    }
    return Timestamp{seconds};
}

std::optional<HistoryChange> pinChangeOf(std::string_view kind, std::string_view rest) {
    const std::optional<Uuid> id = Uuid::parse(nextWord(rest));
    if (!id) {
        return std::nullopt;
    }
    if (kind == "unpin") {
        return rest.empty() ? std::optional(HistoryChange::unpinning(*id)) : std::nullopt;
    }
    const std::optional<Timestamp> moment = momentOf(rest);
    return moment ? std::optional(HistoryChange::pinning(*id, *moment)) : std::nullopt;
}

std::optional<HistoryChange> changeOf(std::string_view rest) {
    const std::string_view kind = nextWord(rest);
    if (kind == "clear" && rest.empty()) {
        return HistoryChange::clearing();
    }
    if (kind == "pin" || kind == "unpin") {
        return pinChangeOf(kind, rest);
    }
    if (kind == "remove") {
        const std::optional<Uuid> id = Uuid::parse(rest);
        return id ? std::optional(HistoryChange::removal(*id)) : std::nullopt;
    }
    std::optional<Uuid> replaced;
    if (kind == "replace") {
        replaced = Uuid::parse(nextWord(rest));
    } else if (kind != "insert") {
        return std::nullopt;
    }
    std::optional<ClipboardItem> item = HistoryCodec::decodeEntry(rest);
    if (!item || (kind == "replace" && !replaced)) {
        return std::nullopt;
    }
    return replaced ? HistoryChange::replacement(*replaced, std::move(*item))
                    : HistoryChange::insertion(std::move(*item));
}

struct Ending {
    bool failed = false;
    // The file ends inside a line.
    bool cutShort = false;
};

// Hands `take` each line that a line feed ends, without it, reading piece by piece so that
// the journal is never held whole.
template <typename Take>
Ending forEachLine(int descriptor, Take take) {
    std::array<char, 65536> piece{};
    std::string pending;
    while (true) {
        const ssize_t count = ::read(descriptor, piece.data(), piece.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return Ending{count < 0, !pending.empty()};
        }
        std::string_view rest(piece.data(), static_cast<std::size_t>(count));
        for (std::size_t end = rest.find('\n'); end != std::string_view::npos;
             end = rest.find('\n')) {
            pending.append(rest.substr(0, end));
            take(std::string_view(pending));
            pending.clear();
            rest.remove_prefix(end + 1);
        }
        pending.append(rest);
    }
}

void printLine(const std::string& line) {
    std::cout << line << std::endl;
}

}  // namespace

HistoryJournal::HistoryJournal(std::filesystem::path folder, ConsoleLine console)
    : file_(folder / fileName), console_(console ? std::move(console) : ConsoleLine(printLine)) {}

std::size_t HistoryJournal::replay(std::vector<ClipboardItem>& items) {
    const std::scoped_lock lock(mutex_);
    // A rewrite cut short leaves its file behind; only one instance runs, so none is under way.
    TemporarySibling::removeLeftovers(file_);
    const FileDescriptor file(openRegular(file_, O_RDONLY));
    if (!file.isOpen()) {
        return 0;
    }
    std::size_t replayed = 0;
    try {
        const Ending ending = forEachLine(file.get(), [&](std::string_view line) {
            const std::optional<Mark> sequence = sequenceOf(line);
            if (!sequence) {
                return;
            }
            last_ = std::max(last_, *sequence);
            if (const std::optional<HistoryChange> change = changeOf(line)) {
                change->applyTo(items);
                ++replayed;
            }
        });
        needsSeparator_ = ending.failed || ending.cutShort;
    } catch (const std::exception&) {
        needsSeparator_ = true;  // out of memory for a huge line: the rest stays unread
    }
    return replayed;
}

bool HistoryJournal::append(const HistoryChange& change) {
    // Encoded before the lock, so that a save's rewrite of the journal waits for no encoding.
    const std::string body = encodedBody(change);
    const std::scoped_lock lock(mutex_);
    const std::string head = (needsSeparator_ ? "\n" : "") + std::to_string(++last_);
    const FileDescriptor file(openRegular(file_, O_WRONLY | O_APPEND | O_CREAT));
    if (!file.isOpen()) {
        fail(systemError("cannot open", file_, errno));
        return false;
    }
    // One write, so that a kill leaves the record whole or cut short, never in pieces.
    std::array<iovec, 2> pieces{iovec{const_cast<char*>(head.data()), head.size()},
                                iovec{const_cast<char*>(body.data()), body.size()}};
    ssize_t written = -1;
    do {
        written = ::writev(file.get(), pieces.data(), static_cast<int>(pieces.size()));
    } while (written < 0 && errno == EINTR);
    if (written != static_cast<ssize_t>(head.size() + body.size())) {
        needsSeparator_ = true;
        fail(systemError("cannot write", file_, written < 0 ? errno : ENOSPC));
        return false;
    }
    needsSeparator_ = false;
    failing_ = false;
    return true;
}

HistoryJournal::Mark HistoryJournal::mark() const {
    const std::scoped_lock lock(mutex_);
    return last_;
}

void HistoryJournal::discardThrough(Mark mark) {
    const std::scoped_lock lock(mutex_);
    if (mark >= last_) {
        empty();
    } else {
        keepAfter(mark);
    }
}

void HistoryJournal::fail(const std::string& what) {
    if (!failing_) {
        console_("[HistoryJournal] write error: " + what);
    }
    failing_ = true;
}

void HistoryJournal::empty() {
    const FileDescriptor file(openRegular(file_, O_WRONLY));
    if (file.isOpen() && ::ftruncate(file.get(), 0) == 0) {
        needsSeparator_ = false;
    }
}

// The later changes go to a new file that then takes the journal's place by rename, so that
// a kill amid the rewrite leaves the whole journal.
void HistoryJournal::keepAfter(Mark mark) {
    const FileDescriptor source(openRegular(file_, O_RDONLY));
    std::string temporary;
    FileDescriptor target =
        source.isOpen() ? TemporarySibling::create(file_, temporary) : FileDescriptor(-1);
    if (!target.isOpen()) {
        return;
    }
    bool written = true;
    try {
        const Ending ending = forEachLine(source.get(), [&](std::string_view line) {
            std::string_view rest = line;
            const std::optional<Mark> sequence = sequenceOf(rest);
            if (written && sequence && *sequence > mark) {
                written = FileDescriptor::writeAll(target.get(), std::string(line) + '\n');
            }
        });
        written = written && !ending.failed;
    } catch (const std::exception&) {
        written = false;
    }
    if (written && target.close() && ::rename(temporary.c_str(), file_.c_str()) == 0) {
        needsSeparator_ = false;
    } else {
        ::unlink(temporary.c_str());
    }
}

}  // namespace nimbrook
