#pragma once

#include <cstdint>
#include <span>
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
    // The key code of the key that gives `keysym` unshifted while `group` (counted from 0, as
    // the XKB state counts) is in force; 0 when none does. The core map shows the first level
    // of the first two groups only (a key of one group is repeated in the second's place);
    // where later groups lie depends on the other groups' widths, so a third or fourth group
    // finds nothing, and the caller binds a spare key instead.
    std::uint8_t keycodeInGroup(std::uint32_t keysym, std::uint8_t group) const;
    // The highest key code without any keysym that is none of `taken` (the keys bound to
    // modifiers: pressing them would change the state even with no keysym); 0 when all keys
    // have keysyms. High key codes are the ones that no physical key sends.
    std::uint8_t spareKeycode(std::span<const std::uint8_t> taken) const;
    // The keysyms to bind to a spare key so that it gives `keysym` unshifted and, for a Latin
    // letter, its capital when shifted (Ctrl+Shift+V must still read as V), in every group:
    // a key of one group gives its keysyms whatever group is in force. `keysymsPerKeycode`
    // long; empty when the map is.
    std::vector<std::uint32_t> spareKeysyms(std::uint32_t keysym) const;
    // The keysyms of `keycode`; empty when the map does not hold it.
    std::span<const std::uint32_t> keysymsAt(std::uint8_t keycode) const;
};

}  // namespace nimbrook
