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
    // As `exchange`, but passes the reply's standard output and error on to `outputFd` and
    // `errorFd` as they arrive instead of holding megabytes of a listing, and returns the
    // status. A connection that breaks midway may leave part of the output written.
    static std::optional<int> forward(const std::filesystem::path& socketPath,
                                      const std::vector<std::string>& words,
                                      std::chrono::milliseconds timeout, int outputFd, int errorFd);
};

}  // namespace nimbrook
