#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/ClipboardItem.h"

namespace nimbrook {

// The history file "clipboard_history.json" in the program's data folder: a compact JSON
// array in the stored order of PinnedOrder, rewritten whole and atomically on every save. The
// program holds the history in the shown order, which save and load turn it to and from.
class StorageService final {
public:
    using ConsoleLine = std::function<void(const std::string&)>;
    using UnixSeconds = std::function<long long()>;

    // `folder` is the program's own data folder; missing folders on its path are created 0700
    // on every save and load, an existing one keeps its mode. Diagnostics go to `console`, one
    // line each; the default writes to standard output. `now` names files set aside; the
    // default reads the system clock.
    explicit StorageService(std::filesystem::path folder, ConsoleLine console = {},
                            UnixSeconds now = {});

    // Writes every pinned item and at most the first historyLimit others to a new 0600 file that
    // atomically replaces the old one (a symlink in the file's place is replaced, never written
    // through). Never throws; a failure prints "[StorageService] save error: <description>", leaves
    // the previous file in place and returns the description (nullopt when the file was written).
    // Call from one thread at a time, after load(). A file that the last load could not use is
    // first renamed to "clipboard_history.json.corrupt-<unix seconds>[-<n>]" (never over another
    // file; it and the four others set aside last are kept), which prints "[StorageService] moved
    // undecodable history to <path>"; when it cannot be moved, nothing is written.
    std::optional<std::string> save(const std::vector<ClipboardItem>& items);
    // The stored history in the shown order, unchanged otherwise (length, duplicates, the
    // order of the pinned entries and of the others), or empty when the file is
    // missing, unreadable, not a regular file (a symlink to one is followed) or fails to
    // decode. Never throws and never changes the file; temporary files left by an
    // interrupted save are removed.
    std::vector<ClipboardItem> load();

    // The files that hold a history the program could not read, whose entries a user may still
    // recover by hand: the history file when the last load could not use it, and those set aside.
    std::vector<std::filesystem::path> undecodedFiles() const;

    const std::filesystem::path& fileURL() const { return file_; }

private:
    std::filesystem::path folder_;
    std::filesystem::path file_;
    ConsoleLine console_;
    UnixSeconds now_;
    bool undecodableFileInPlace_ = false;
};

}  // namespace nimbrook
