#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "remote/RemoteReply.h"

namespace nimbrook {

// The command line's side of the local socket: plain blocking calls, no event loop, so a
// command costs little more than the process start.
class RemoteClient final {
public:
    // Sends one request and waits for the reply. nullopt when no program listens on
    // `socketPath` (none is running); a connection that breaks or a reply that does not
    // come within `timeout` gives a reply with status 1 and a message.
    static std::optional<RemoteReply> exchange(const std::filesystem::path& socketPath,
                                               const std::vector<std::string>& words,
                                               std::chrono::milliseconds timeout);
    // As `exchange`, but takes the whole reply as fast as it comes (past a few megabytes into
    // a temporary file of the first of `spoolFolders` that takes one), closes the connection,
    // and only then writes the reply's standard output and error to `outputFd` and `errorFd`
    // at the pace they take them, so a pager never holds the running program's connection.
    // Returns the reply's status; nothing of a reply that breaks midway is written, only that
    // it broke, with status 1. A failed write of the output gives status 1 too, and a message
    // unless the reader went away (EPIPE).
    static std::optional<int> forward(const std::filesystem::path& socketPath,
                                      const std::vector<std::string>& words,
                                      std::chrono::milliseconds timeout,
                                      const std::vector<std::filesystem::path>& spoolFolders,
                                      int outputFd, int errorFd);
};

}  // namespace nimbrook
