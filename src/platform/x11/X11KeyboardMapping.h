#pragma once

#include <cstdint>
#include <vector>

namespace nimbrook {

// The core keyboard map as the X server hands it out: for each key code from `minimumKeycode`
// on, `keysymsPerKeycode` keysyms (group 1 level 1, group 1 level 2, group 2 level 1, ...).
struct X11KeyboardMapping {
    std::uint8_t minimumKeycode = 8;
    std::uint8_t keysymsPerKeycode = 0;
    std::vector<std::uint32_t> keysyms;

    // The key code of the key that gives `keysym` unshifted in the first group, else of the
    // first key that gives it at any level or group; 0 when no key does (or the map is empty).
    // Finding the unshifted key first matters: a chord's letter sent with the key that gives it
    // at a higher level would reach the program as another key.
    std::uint8_t keycodeOf(std::uint32_t keysym) const;
};

}  // namespace nimbrook
