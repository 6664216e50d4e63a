#pragma once

#include <string>
#include <vector>

#include "NimbrookFixture.h"
#include "platform/FileDescriptor.h"

namespace nimbrook::e2e {

// The real program with a history written for the test, and raw connections to its socket.
class RemoteFixture : public NimbrookFixture {
protected:
    // The id of the history file's entry `index` (from 1).
    static std::string idOf(std::size_t index);
    // Writes `entries` as the history, every entry three hours and a minute old, so the
    // listing reads "3小时前" for an hour; returns that moment as the JSON listing shows it.
    std::string writeHistory(const std::vector<HistoryEntry>& entries);
    // A connection to the program's socket, or a closed descriptor when it was refused.
    FileDescriptor connected(int flags = 0) const;
};

}  // namespace nimbrook::e2e
