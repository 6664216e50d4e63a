#pragma once

#include <cstdint>
#include <optional>

namespace nimbrook {

// Where the Latin letters lie on the US keyboard, as evdev key codes. A map without a Latin
// group (Russian alone, Greek alone) has no key for `v`; a user there presses Ctrl with the key
// at V's place, and toolkits find the shortcut from that key's place (Qt through a US map,
// GTK by key code), so a chord sent with that key pastes as the user's own would.
class LatinKeyPositions final {
public:
    // The evdev key code of the letter `keysym` (either case) on the US keyboard; nullopt for
    // anything but a Latin letter.
    static std::optional<std::uint32_t> evdevCodeOf(std::uint32_t keysym);
    // X servers number the keys of evdev devices this much higher.
    static constexpr std::uint32_t x11Offset = 8;
};

}  // namespace nimbrook
