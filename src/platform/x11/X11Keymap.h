#pragma once

#include <cstdint>

#include <xcb/xcb.h>

namespace nimbrook {

// The X server's keyboard map, asked afresh each time (the user may switch layouts).
class X11Keymap final {
public:
    // The first key that produces `keysym` at any level; 0 when no key does.
    static xcb_keycode_t keycodeOf(xcb_connection_t& connection, std::uint32_t keysym);
    // The modifier bit of Num Lock; Mod2, where nearly every keyboard map puts it, when the
    // map does not say.
    static std::uint16_t numLockMask(xcb_connection_t& connection);
};

}  // namespace nimbrook
