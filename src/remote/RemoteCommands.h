#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/ClipboardItem.h"
#include "remote/RemoteReply.h"

namespace nimbrook {

class ClipboardViewModel;
class Clock;
class PasteFlow;

// Runs the command line's requests against the running program's controller. Requests are
// the words of RemoteProtocol, already in the command line's canonical form:
//   list <limit> <text|json>            limit 0: every entry
//   search <limit> <text|json> <query>
//   get <n> | copy <n> | delete <n>     n from 1, newest first
//   get <n> image                       the bytes of an image entry's file
//   paste <n>                           copies, then pastes into the focused window
//   convert <n> <conversion raw value>
//   clear | pause | resume
// Anything else is answered with a usage error and changes nothing.
class RemoteCommands final {
public:
    using Reply = std::function<void(RemoteReply)>;

    // Without `paste` a paste only copies and says that this program cannot paste.
    RemoteCommands(ClipboardViewModel& viewModel, const Clock& clock, PasteFlow* paste = nullptr)
        : viewModel_(viewModel), clock_(clock), paste_(paste) {}

    // Answers through `reply` exactly once: at once, or for a conversion when its result has
    // been applied, for a paste when its keys were sent or given up (status 1 and why on
    // standard error when none were sent; the entry is copied all the same).
    void run(const std::vector<std::string>& words, const Reply& reply);
    // The message for a conversion name that is none of the six, listing them.
    static std::string unknownConversion(const std::string& name);

private:
    RemoteReply list(const std::vector<std::string>& words);
    std::optional<RemoteReply> onEntry(const std::vector<std::string>& words, const Reply& reply);
    std::optional<RemoteReply> imageBytes(std::size_t index, const Reply& reply);
    std::optional<RemoteReply> convert(std::size_t index, const std::string& name,
                                       const Reply& reply);

    void paste(const ClipboardItem& item, const Reply& reply);

    ClipboardViewModel& viewModel_;
    const Clock& clock_;
    PasteFlow* paste_ = nullptr;
};

}  // namespace nimbrook
