#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "model/ClipboardItem.h"

namespace nimbrook {

class HistoryChange;

// "clipboard_history.journal" beside the history file: the changes made since the history
// file was last saved, written as they are made, so that a kill, which leaves no time for a
// save, loses none of them. One line per change, ended by a line feed: a sequence number,
// the kind ("insert", "replace", "remove", "clear", "pin", "unpin"), the id of the entry
// taken out, pinned or unpinned, the pin's time, and the entry put in, as the history file
// writes it. A line that a kill cut short lacks the line
// feed and is the only one lost. Safe to use from several threads at once.
class HistoryJournal final {
public:
    using ConsoleLine = std::function<void(const std::string&)>;
    // The changes appended up to a moment: what a save started at that moment holds.
    using Mark = std::uint64_t;

    // `folder` is the program's data folder, which the history's storage creates.
    // Diagnostics go to `console`, one line each; the default writes to standard output.
    explicit HistoryJournal(std::filesystem::path folder, ConsoleLine console = {});

    // Applies the journal's changes in their order to `items`, the history file as loaded,
    // and returns how many it held. A line that is not one the program writes (cut short,
    // garbled, hostile) is skipped alone; a missing, unreadable or non-regular file (a
    // symlink included) holds none. Never throws and leaves the journal as it is, except for
    // temporary files that an interrupted rewrite left; later appends go on after it.
    std::size_t replay(std::vector<ClipboardItem>& items);
    // Appends the change with one write to the file, created 0600 (a symlink at its place is
    // never written through). False when it could not be written; the first failure after a
    // success prints "[HistoryJournal] write error: <description>".
    bool append(const HistoryChange& change);
    // Every change appended so far, whether or not it was written.
    Mark mark() const;
    // Drops the changes up to `mark`, to be called once the history file holds them: the
    // journal is emptied when nothing was appended after the mark, else replaced atomically
    // by one of the later changes only. On failure the journal stays whole, which costs a
    // replay that changes nothing.
    void discardThrough(Mark mark);

    const std::filesystem::path& fileURL() const { return file_; }

private:
    void fail(const std::string& what);
    void empty();
    void keepAfter(Mark mark);

    std::filesystem::path file_;
    ConsoleLine console_;
    mutable std::mutex mutex_;
    Mark last_ = 0;
    // The file may end inside a line (a record cut short, a failed write): the next record
    // starts on a line of its own.
    bool needsSeparator_ = false;
    bool failing_ = false;
};

}  // namespace nimbrook
