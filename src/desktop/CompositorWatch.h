#pragma once

#include <optional>

namespace nimbrook {

// Starts the program again once a restarted compositor answers: the toolkit ends a Wayland
// client whose connection breaks (KWin's wrapper restarts KWin on the same socket, a sway
// user restarts sway), and nothing else would start it before the next login. The watch is
// a small process of its own beside the program; it only ever acts when the compositor went
// away, never when the program was quit, killed or crashed with the compositor running.
class CompositorWatch final {
public:
    // Starts the watch over this process; call once the program runs as the only instance
    // on a Wayland compositor.
    static void start();
    // In a process that start() made the watch: watches, then gives the exit status. Nullopt
    // in any other process.
    static std::optional<int> runIfAsked();
};

}  // namespace nimbrook
