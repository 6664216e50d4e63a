#pragma once

#include <string>

namespace nimbrook {

// What the running program answers to one request of the command line: the exit status of
// the command and the bytes for its standard output and standard error.
struct RemoteReply final {
    // Usage errors (an unknown command or conversion, a malformed request).
    static constexpr int usageError = 2;
    // No running program answered.
    static constexpr int noInstance = 3;

    int status = 0;
    std::string output;
    std::string error;

    bool operator==(const RemoteReply&) const = default;
};

}  // namespace nimbrook
