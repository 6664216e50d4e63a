#include "platform/x11/X11Keymap.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace nimbrook {

namespace {

constexpr std::uint32_t numLockKeysym = 0xff7f;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

}  // namespace

X11KeyboardMapping X11Keymap::mapping(xcb_connection_t& connection) {
    const xcb_setup_t* setup = xcb_get_setup(&connection);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const Reply<xcb_get_keyboard_mapping_reply_t> reply(
        xcb_get_keyboard_mapping_reply(
            &connection, xcb_get_keyboard_mapping(&connection, setup->min_keycode, count), nullptr),
        &std::free);
    if (!reply) {
        return {};
    }
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int length = xcb_get_keyboard_mapping_keysyms_length(reply.get());
    return {.minimumKeycode = setup->min_keycode,
            .keysymsPerKeycode = reply->keysyms_per_keycode,
            .keysyms = std::vector<std::uint32_t>(keysyms, keysyms + std::max(length, 0))};
}

xcb_keycode_t X11Keymap::keycodeOf(xcb_connection_t& connection, std::uint32_t keysym) {
    return mapping(connection).keycodeOf(keysym);
}

std::uint16_t X11Keymap::numLockMask(xcb_connection_t& connection) {
    const xcb_keycode_t numLock = keycodeOf(connection, numLockKeysym);
    const Reply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(&connection, xcb_get_modifier_mapping(&connection), nullptr),
        &std::free);
    if (numLock == 0 || !mapping) {
        return XCB_MOD_MASK_2;
    }
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int length = xcb_get_modifier_mapping_keycodes_length(mapping.get());
    for (int i = 0; i < length; ++i) {
        if (keycodes[i] == numLock) {
            return static_cast<std::uint16_t>(1U << (i / mapping->keycodes_per_modifier));
        }
    }
    return XCB_MOD_MASK_2;
}

}  // namespace nimbrook
