#pragma once

#include <memory>
#include <string>

#include "remote/ReplyBody.h"

namespace nimbrook {

// What the running program answers to one request of the command line: the exit status of
// the command and the bytes for its standard output and standard error. A listing or an
// entry's content comes as a body instead of `output`, made as it is sent.
struct RemoteReply final {
    // Usage errors (an unknown command or conversion, a malformed request).
    static constexpr int usageError = 2;
    // No running program answered.
    static constexpr int noInstance = 3;

    int status = 0;
    std::string output;
    std::string error;
    // When set, the standard output is this body's bytes and `output` is empty. It is used up
    // as it is sent, by the one connection the reply goes to.
    std::shared_ptr<ReplyBody> body = nullptr;

    bool operator==(const RemoteReply&) const = default;
};

}  // namespace nimbrook
