#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/ClipboardItem.h"

namespace nimbrook {

// The history file "clipboard_history.json" in the program's data folder: a compact JSON
// array, newest first, rewritten whole and atomically on every save.
class StorageService final {
public:
    using ConsoleLine = std::function<void(const std::string&)>;

    // `folder` is the program's own data folder (created 0700 when missing). Diagnostics go
    // to `console`, one line each; the default writes to standard output.
    explicit StorageService(std::filesystem::path folder, ConsoleLine console = {});

    // Writes at most the first historyLimit items. Never throws; a failure prints
    // "[StorageService] save error: <description>" and leaves the previous file in place.
    void save(const std::vector<ClipboardItem>& items);
    // The stored history unchanged (order, length, duplicates), or empty when the file is
    // missing, unreadable or fails to decode. A file that fails to decode is moved aside
    // before the next save writes over it.
    std::vector<ClipboardItem> load();

    const std::filesystem::path& fileURL() const { return file_; }

private:
    std::filesystem::path folder_;
    std::filesystem::path file_;
    ConsoleLine console_;
    bool undecodableFileInPlace_ = false;
};

}  // namespace nimbrook
