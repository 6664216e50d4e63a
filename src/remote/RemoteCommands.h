#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "remote/RemoteReply.h"

namespace nimbrook {

class ClipboardViewModel;
class Clock;

// Runs the command line's requests against the running program's controller. Requests are
// the words of RemoteProtocol, already in the command line's canonical form:
//   list <limit> <text|json>            limit 0: every entry
//   search <limit> <text|json> <query>
//   get <n> | copy <n> | delete <n>     n from 1, newest first
//   convert <n> <conversion raw value>
//   clear | pause | resume
// Anything else is answered with a usage error and changes nothing.
class RemoteCommands final {
public:
    using Reply = std::function<void(RemoteReply)>;

    RemoteCommands(ClipboardViewModel& viewModel, const Clock& clock)
        : viewModel_(viewModel), clock_(clock) {}

    // Answers through `reply` exactly once: at once, or for a conversion when its result has
    // been applied.
    void run(const std::vector<std::string>& words, const Reply& reply);
    // The message for a conversion name that is none of the six, listing them.
    static std::string unknownConversion(const std::string& name);

private:
    RemoteReply list(const std::vector<std::string>& words);
    std::optional<RemoteReply> onEntry(const std::vector<std::string>& words, const Reply& reply);
    std::optional<RemoteReply> convert(std::size_t index, const std::string& name,
                                       const Reply& reply);

    ClipboardViewModel& viewModel_;
    const Clock& clock_;
};

}  // namespace nimbrook
