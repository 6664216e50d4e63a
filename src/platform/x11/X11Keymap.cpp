#include "platform/x11/X11Keymap.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>

namespace nimbrook {

namespace {

constexpr std::uint32_t numLockKeysym = 0xff7f;
constexpr unsigned groupShift = 13;
constexpr unsigned groupBits = 3;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

Reply<xcb_get_modifier_mapping_reply_t> modifierMapping(xcb_connection_t& connection) {
    return {
        xcb_get_modifier_mapping_reply(&connection, xcb_get_modifier_mapping(&connection), nullptr),
        &std::free};
}

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
    const auto mapping = modifierMapping(connection);
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

std::vector<std::uint8_t> X11Keymap::modifierKeycodes(xcb_connection_t& connection) {
    const auto mapping = modifierMapping(connection);
    if (!mapping) {
        return {};
    }
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int length = xcb_get_modifier_mapping_keycodes_length(mapping.get());
    std::vector<std::uint8_t> taken;
    std::copy_if(keycodes, keycodes + std::max(length, 0), std::back_inserter(taken),
                 [](xcb_keycode_t keycode) { return keycode != 0; });
    return taken;
}

std::uint8_t X11Keymap::group(xcb_connection_t& connection) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(&connection)).data;
    if (screen == nullptr) {
        return 0;
    }
    const Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(&connection, xcb_query_pointer(&connection, screen->root), nullptr),
        &std::free);
    // An XKB server reports the group in force in these two bits of the core state.
    return pointer ? static_cast<std::uint8_t>((pointer->mask >> groupShift) & groupBits) : 0;
}

}  // namespace nimbrook
