#include "platform/x11/X11KeyboardMapping.h"

namespace nimbrook {

std::uint8_t X11KeyboardMapping::keycodeOf(std::uint32_t keysym) const {
    if (keysymsPerKeycode == 0 || keysym == 0) {
        return 0;
    }
    const std::size_t keys = keysyms.size() / keysymsPerKeycode;
    const auto keycode = [this](std::size_t key) {
        const std::size_t code = minimumKeycode + key;
        return static_cast<std::uint8_t>(code > 255 ? 0 : code);
    };
    for (std::size_t key = 0; key < keys; ++key) {
        if (keysyms[key * keysymsPerKeycode] == keysym) {
            return keycode(key);
        }
    }
    for (std::size_t i = 0; i < keys * keysymsPerKeycode; ++i) {
        if (keysyms[i] == keysym) {
            return keycode(i / keysymsPerKeycode);
        }
    }
    return 0;
}

}  // namespace nimbrook
