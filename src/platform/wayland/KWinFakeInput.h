#pragma once

#include <cstdint>
#include <span>

namespace nimbrook {

class WaylandConnection;

// Types through KWin's fake input, which KWin offers only to a program whose installed
// desktop file asks for it (X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input). KWin applies
// its own keyboard map to the key codes, so they are looked up in the seat's map.
class KWinFakeInput final {
public:
    // `connection` must outlive this object.
    explicit KWinFakeInput(WaylandConnection& connection);

    // Whether KWin granted the fake input to this program.
    static bool isOffered(const WaylandConnection& connection);
    // Presses the keys of `keysyms` in order, then lets go of them in reverse, and waits
    // until KWin has taken them. False, with nothing sent, when a keysym has no key on the
    // map in force or KWin cannot be reached.
    bool sendChord(std::span<const std::uint32_t> keysyms);

private:
    WaylandConnection& connection_;
    bool authenticated_ = false;
};

}  // namespace nimbrook
