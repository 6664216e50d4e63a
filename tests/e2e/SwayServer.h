#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace nimbrook::e2e {

// A headless sway of the test's own, with one virtual output and a seat without input
// devices. sway refuses to run as root, so it runs as `nobody` in a private runtime folder;
// clients, root included, reach it through the socket's absolute path.
class SwayServer final {
public:
    // Starts it and waits until it answers; socket() is empty when it did not come up.
    SwayServer();
    ~SwayServer();
    SwayServer(const SwayServer&) = delete;
    SwayServer& operator=(const SwayServer&) = delete;

    // For WAYLAND_DISPLAY.
    const std::string& socket() const { return socket_; }
    // The environment entries that put a program on this compositor; none when it did not
    // come up.
    std::vector<std::string> desktop() const;
    // Runs swaymsg with `arguments`; its output, or nullopt when it failed.
    std::optional<std::string> message(const std::vector<std::string>& arguments) const;
    // Ends the compositor at once, as a crash would.
    void kill();
    std::string log() const;

private:
    std::filesystem::path runtime_;
    std::string socket_;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace nimbrook::e2e
