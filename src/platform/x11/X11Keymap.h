#pragma once

#include <cstdint>
#include <vector>

#include <xcb/xcb.h>

#include "platform/x11/X11KeyboardMapping.h"

namespace nimbrook {

// The X server's keyboard map, asked afresh each time (the user may switch layouts).
class X11Keymap final {
public:
    // The map in force; empty when the server does not answer.
    static X11KeyboardMapping mapping(xcb_connection_t& connection);
    // The key that produces `keysym` in the map in force (X11KeyboardMapping::keycodeOf); 0
    // when no key does.
    static xcb_keycode_t keycodeOf(xcb_connection_t& connection, std::uint32_t keysym);
    // The modifier bit of Num Lock; Mod2, where nearly every keyboard map puts it, when the
    // map does not say.
    static std::uint16_t numLockMask(xcb_connection_t& connection);
    // The key codes bound to any modifier; empty when the server does not answer.
    static std::vector<std::uint8_t> modifierKeycodes(xcb_connection_t& connection);
    // The keyboard group in force (0 to 3, the user's layout of a "us,ru" map); 0 when the
    // server does not answer.
    static std::uint8_t group(xcb_connection_t& connection);
};

}  // namespace nimbrook
