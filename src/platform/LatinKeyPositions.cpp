#include "platform/LatinKeyPositions.h"

#include <array>

namespace nimbrook {
namespace {

// a to z: the evdev codes of KEY_A ... KEY_Z, which follow the rows of the keyboard.
constexpr std::array<std::uint8_t, 26> letterCodes{30, 48, 46, 32, 18, 33, 34, 35, 23,
                                                   36, 37, 38, 50, 49, 24, 25, 16, 19,
                                                   31, 20, 22, 47, 17, 45, 21, 44};

}  // namespace

std::optional<std::uint32_t> LatinKeyPositions::evdevCodeOf(std::uint32_t keysym) {
    if (keysym >= 'A' && keysym <= 'Z') {
        keysym += 'a' - 'A';
    }
    if (keysym < 'a' || keysym > 'z') {
        return std::nullopt;
    }
    return letterCodes[keysym - 'a'];
}

}  // namespace nimbrook
