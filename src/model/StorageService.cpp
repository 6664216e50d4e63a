#include "model/StorageService.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <streambuf>
#include <tuple>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/HistoryCodec.h"
#include "model/PinnedOrder.h"
#include "model/TemporarySibling.h"
#include "platform/FileDescriptor.h"

namespace nimbrook {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view fileName = "clipboard_history.json";
constexpr std::string_view corruptInfix = ".corrupt-";
constexpr std::size_t keptCorruptFiles = 5;

std::string systemError(const std::string& what, const fs::path& path, int error) {
    return what + " " + path.string() + ": " + std::strerror(error);
}

// Missing folders, the parents included, are created 0700: the history holds passwords and
// private text. A folder that already exists keeps its mode, since the user may have chosen
// it; the history file itself is always 0600, so an open folder shows names, never contents.
void createFolder(const fs::path& folder) {
    if (folder.empty() || ::mkdir(folder.c_str(), 0700) == 0 || errno != ENOENT) {
        return;
    }
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        createFolder(folder.parent_path());
        ::mkdir(folder.c_str(), 0700);
    }
}

// Reads a file piece by piece for the history reader, so that loading never holds the whole
// file besides the entries made from it.
class FileReadBuffer final : public std::streambuf {
public:
    explicit FileReadBuffer(int descriptor) : descriptor_(descriptor) {}
    bool failed() const { return failed_; }

protected:
    int_type underflow() override {
        while (true) {
            const ssize_t count = ::read(descriptor_, piece_.data(), piece_.size());
            if (count < 0 && errno == EINTR) {
                continue;
            }
            failed_ = count < 0;
            if (count <= 0) {
                return traits_type::eof();
            }
            setg(piece_.data(), piece_.data(), piece_.data() + count);
            return traits_type::to_int_type(piece_.front());
        }
    }

private:
    int descriptor_ = -1;
    bool failed_ = false;
    std::array<char, 65536> piece_{};
};

// The decoded file, or nullopt when it cannot be read or decoded. Only regular files are read
// (a symlink to one is followed): a FIFO or device planted in its place would block or never
// end.
std::optional<std::vector<ClipboardItem>> readHistory(const fs::path& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    auto buffer = std::make_unique<FileReadBuffer>(file.get());
    std::istream stream(buffer.get());
    std::optional<std::vector<ClipboardItem>> items = HistoryCodec::decode(stream);
    if (buffer->failed()) {
        return std::nullopt;
    }
    return items;
}

// The entries are encoded straight into a new file in the same folder (mkostemp makes it 0600
// whatever the umask), which reaches the disk and only then replaces the old file by rename,
// so a crash or a full disk leaves either the old file or the new one, never a part. Throws
// std::runtime_error with the reason; the temporary file is gone.
void replaceAtomically(const fs::path& target, std::span<const ClipboardItem> items) {
    std::string temporary;
    FileDescriptor file = TemporarySibling::create(target, temporary);
    if (file.get() < 0) {
        throw std::runtime_error(
            systemError("cannot create a file in", target.parent_path(), errno));
    }
    const auto fail = [&temporary](const std::string& what) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw std::runtime_error(systemError(what, temporary, error));
    };
    HistoryCodec::encode(items, [&](std::string_view piece) {
        if (!FileDescriptor::writeAll(file.get(), piece)) {
            fail("cannot write");
        }
    });
    if (::fsync(file.get()) != 0) {
        fail("cannot flush");
    }
    if (!file.close()) {
        fail("cannot close");
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        fail("cannot replace " + target.string() + " with");
    }
    // The rename itself reaches the disk only with the folder; failing here loses nothing.
    FileDescriptor folder(::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        ::fsync(folder.get());
    }
}

struct CorruptFile {
    fs::path path;
    long long seconds = 0;
    long long sequence = 0;
    // When it was set aside: the move stamps the file with the time of the move.
    std::int64_t movedNanoseconds = 0;
};

std::int64_t modificationNanoseconds(const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return 0;
    }
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
           status.st_mtim.tv_nsec;
}

// "<file>.corrupt-<seconds>" or "<file>.corrupt-<seconds>-<n>"; nullopt for other names.
std::optional<CorruptFile> corruptFileNamed(const fs::path& path) {
    const std::string name = path.filename().string();
    const std::string prefix = std::string(fileName) + std::string(corruptInfix);
    if (!name.starts_with(prefix)) {
        return std::nullopt;
    }
    CorruptFile found{path};
    const char* cursor = name.data() + prefix.size();
    const char* end = name.data() + name.size();
    auto [afterSeconds, secondsError] = std::from_chars(cursor, end, found.seconds);
    if (secondsError != std::errc() || afterSeconds == cursor) {
        return std::nullopt;
    }
    if (afterSeconds != end) {
        if (*afterSeconds != '-') {
            return std::nullopt;
        }
        const char* sequenceStart = afterSeconds + 1;
        auto [afterSequence, sequenceError] = std::from_chars(sequenceStart, end, found.sequence);
        if (sequenceError != std::errc() || afterSequence != end || sequenceStart == end) {
            return std::nullopt;
        }
    }
    return found;
}

std::vector<CorruptFile> corruptFilesIn(const fs::path& folder) {
    std::error_code error;
    std::vector<CorruptFile> found;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (auto corrupt = corruptFileNamed(entry.path())) {
            found.push_back(std::move(*corrupt));
        }
    }
    return found;
}

// Keeps the file just set aside and the newest others, newest by the time of their move: the
// stamp in a name may come from a clock that was wrong, and a sequence number is only unique
// within its second. Within one tick of the file clock the name decides.
void pruneCorruptFiles(const fs::path& folder, const fs::path& justMoved) {
    std::vector<CorruptFile> others = corruptFilesIn(folder);
    // Only files count and go: a folder under such a name holds what someone put there.
    std::erase_if(others, [&justMoved](const CorruptFile& file) {
        std::error_code error;
        return file.path == justMoved || fs::is_directory(fs::symlink_status(file.path, error));
    });
    if (others.size() < keptCorruptFiles) {
        return;
    }
    for (CorruptFile& file : others) {
        file.movedNanoseconds = modificationNanoseconds(file.path);
    }
    std::sort(others.begin(), others.end(), [](const CorruptFile& a, const CorruptFile& b) {
        return std::tuple(a.movedNanoseconds, a.seconds, a.sequence) >
               std::tuple(b.movedNanoseconds, b.seconds, b.sequence);
    });
    std::error_code error;
    for (auto old = others.begin() + (keptCorruptFiles - 1); old != others.end(); ++old) {
        fs::remove(old->path, error);
    }
}

// The next name for this second: past every sequence already used in it, so that names sort
// in the order of the moves even after older files of the same second were pruned.
fs::path asideName(const fs::path& file, long long seconds) {
    // A name with an absurd sequence (planted, not ours) is passed over instead of overflowing.
    constexpr long long largestSequence = 1'000'000'000;
    long long sequence = 0;
    for (const CorruptFile& existing : corruptFilesIn(file.parent_path())) {
        if (existing.seconds == seconds && existing.sequence < largestSequence) {
            sequence = std::max(sequence, existing.sequence + 1);
        }
    }
    const std::string base = file.string() + std::string(corruptInfix) + std::to_string(seconds);
    fs::path aside =
        sequence == 0 ? fs::path(base) : fs::path(base + "-" + std::to_string(sequence));
    struct stat status {};
    while (::lstat(aside.c_str(), &status) == 0) {
        aside = base + "-" + std::to_string(++sequence);
    }
    return aside;
}

// Renames the file that failed to load to a name no other file has and stamps it with the
// time of the move (a rename keeps the old modification time); returns the new path, or
// nullopt when the file is no longer there.
std::optional<fs::path> moveAside(const fs::path& file, long long seconds) {
    const fs::path aside = asideName(file, seconds);
    if (::rename(file.c_str(), aside.c_str()) == 0) {
        const timespec now[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
        ::utimensat(AT_FDCWD, aside.c_str(), now, AT_SYMLINK_NOFOLLOW);
        return aside;
    }
    if (errno == ENOENT) {
        return std::nullopt;
    }
    throw std::runtime_error(systemError("cannot move aside the undecodable", file, errno));
}

void printLine(const std::string& line) {
    std::cout << line << std::endl;
}

long long systemSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

StorageService::StorageService(std::filesystem::path folder, ConsoleLine console, UnixSeconds now)
    : folder_(std::move(folder)),
      file_(folder_ / fileName),
      console_(console ? std::move(console) : ConsoleLine(printLine)),
      now_(now ? std::move(now) : UnixSeconds(systemSeconds)) {}

std::optional<std::string> StorageService::save(const std::vector<ClipboardItem>& items) {
    try {
        createFolder(folder_);
        if (undecodableFileInPlace_) {
            if (const std::optional<fs::path> aside = moveAside(file_, now_())) {
                console_("[StorageService] moved undecodable history to " + aside->string());
                pruneCorruptFiles(folder_, *aside);
            }
            undecodableFileInPlace_ = false;
        }
        replaceAtomically(file_, PinnedOrder::stored(items));
        return std::nullopt;
    } catch (const std::exception& error) {
        console_(std::string("[StorageService] save error: ") + error.what());
        return error.what();
    }
}

std::vector<ClipboardItem> StorageService::load() {
    undecodableFileInPlace_ = false;
    createFolder(folder_);
    // A save cut short leaves a whole copy of the history behind; at load no save runs.
    TemporarySibling::removeLeftovers(file_);
    struct stat status {};
    if (::lstat(file_.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        return {};  // no file, or no folder to hold one
    }
    // From here on something stands at the file's place; whatever keeps it from loading, it
    // is kept for the user rather than overwritten by the next save.
    undecodableFileInPlace_ = true;
    try {
        std::optional<std::vector<ClipboardItem>> items = readHistory(file_);
        if (!items) {
            return {};
        }
        undecodableFileInPlace_ = false;
        return PinnedOrder::shown(std::move(*items));
    } catch (const std::exception&) {
        return {};  // out of memory for a huge file: it stays, to be moved aside
    }
}

std::vector<std::filesystem::path> StorageService::undecodedFiles() const {
    std::vector<fs::path> files;
    if (undecodableFileInPlace_) {
        files.push_back(file_);
    }
    for (const CorruptFile& file : corruptFilesIn(folder_)) {
        files.push_back(file.path);
    }
    return files;
}

}  // namespace nimbrook
