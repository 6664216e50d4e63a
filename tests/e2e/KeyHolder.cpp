// Another program that holds Super+V: grabs it on the root window (with and without Num Lock
// and Caps Lock), prints "held" and keeps it until it is ended.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include <unistd.h>
#include <xcb/xcb.h>

namespace {

constexpr xcb_keysym_t letterV = 0x76;

xcb_keycode_t keycodeOf(xcb_connection_t* connection, xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
    xcb_keycode_t found = 0;
    if (mapping != nullptr && mapping->keysyms_per_keycode > 0) {
        const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping);
        const int length = xcb_get_keyboard_mapping_keysyms_length(mapping);
        for (int i = 0; i < length && found == 0; ++i) {
            if (keysyms[i] == keysym) {
                found = static_cast<xcb_keycode_t>(setup->min_keycode +
                                                   i / mapping->keysyms_per_keycode);
            }
        }
    }
    std::free(mapping);
    return found;
}

}  // namespace

int main() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_keycode_t keycode = keycodeOf(connection, letterV);
    for (const int locks :
         {0, int{XCB_MOD_MASK_LOCK}, int{XCB_MOD_MASK_2}, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2}) {
        xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_grab_key_checked(connection, 1, root,
                                             static_cast<std::uint16_t>(XCB_MOD_MASK_4 | locks),
                                             keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error != nullptr || keycode == 0) {
            return 1;
        }
    }
    std::puts("held");
    std::fflush(stdout);
    pause();
    xcb_disconnect(connection);
    return 0;
}
