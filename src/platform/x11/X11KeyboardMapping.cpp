#include "platform/x11/X11KeyboardMapping.h"

#include <algorithm>

namespace nimbrook {
namespace {

// The column of the second group's first level in the core map.
constexpr std::size_t secondGroupColumn = 2;

std::uint8_t keycodeAt(std::uint8_t minimumKeycode, std::size_t key) {
    const std::size_t code = minimumKeycode + key;
    return static_cast<std::uint8_t>(code > 255 ? 0 : code);
}

}  // namespace

std::uint8_t X11KeyboardMapping::keycodeOf(std::uint32_t keysym) const {
    if (keysymsPerKeycode == 0 || keysym == 0) {
        return 0;
    }
    if (const std::uint8_t unshifted = keycodeInGroup(keysym, 0); unshifted != 0) {
        return unshifted;
    }
    const std::size_t keys = keysyms.size() / keysymsPerKeycode;
    for (std::size_t i = 0; i < keys * keysymsPerKeycode; ++i) {
        if (keysyms[i] == keysym) {
            return keycodeAt(minimumKeycode, i / keysymsPerKeycode);
        }
    }
    return 0;
}

std::uint8_t X11KeyboardMapping::keycodeInGroup(std::uint32_t keysym, std::uint8_t group) const {
    if (keysymsPerKeycode == 0 || keysym == 0 || group > 1) {
        return 0;
    }
    // A map two keysyms wide has one group, which every group in force wraps onto.
    const std::size_t column =
        group == 1 && keysymsPerKeycode > secondGroupColumn ? secondGroupColumn : 0;
    const std::size_t keys = keysyms.size() / keysymsPerKeycode;
    for (std::size_t key = 0; key < keys; ++key) {
        if (keysyms[key * keysymsPerKeycode + column] == keysym) {
            return keycodeAt(minimumKeycode, key);
        }
    }
    return 0;
}

std::uint8_t X11KeyboardMapping::spareKeycode(std::span<const std::uint8_t> taken) const {
    if (keysymsPerKeycode == 0) {
        return 0;
    }
    for (std::size_t key = keysyms.size() / keysymsPerKeycode; key-- > 0;) {
        const std::uint8_t keycode = keycodeAt(minimumKeycode, key);
        const auto row = keysymsAt(keycode);
        if (keycode != 0 && std::ranges::count(taken, keycode) == 0 &&
            std::ranges::all_of(row, [](std::uint32_t keysym) { return keysym == 0; })) {
            return keycode;
        }
    }
    return 0;
}

std::vector<std::uint32_t> X11KeyboardMapping::spareKeysyms(std::uint32_t keysym) const {
    std::vector<std::uint32_t> row(keysymsPerKeycode, 0);
    if (!row.empty()) {
        row[0] = keysym;
    }
    if (row.size() > 1 && keysym >= 'a' && keysym <= 'z') {
        row[1] = keysym - 'a' + 'A';
    }
    return row;
}

std::span<const std::uint32_t> X11KeyboardMapping::keysymsAt(std::uint8_t keycode) const {
    if (keysymsPerKeycode == 0 || keycode < minimumKeycode) {
        return {};
    }
    const std::size_t start =
        static_cast<std::size_t>(keycode - minimumKeycode) * keysymsPerKeycode;
    if (start + keysymsPerKeycode > keysyms.size()) {
        return {};
    }
    return std::span(keysyms).subspan(start, keysymsPerKeycode);
}

}  // namespace nimbrook
