#include "platform/x11/X11SpareKey.h"

#include <vector>

#include <xcb/xcb.h>

#include "platform/x11/X11Keymap.h"
#include "platform/x11/XcbPointer.h"

namespace nimbrook {

X11SpareKey::X11SpareKey(xcb_connection_t& connection, Scheduler& scheduler,
                         std::chrono::milliseconds hold)
    : connection_(connection), scheduler_(scheduler), hold_(hold) {}

X11SpareKey::~X11SpareKey() {
    restore();
}

std::uint8_t X11SpareKey::bind(const X11KeyboardMapping& mapping, std::uint32_t keysym) {
    if (!isBoundTo(keysym)) {
        restore();
        const std::uint8_t keycode = mapping.spareKeycode(X11Keymap::modifierKeycodes(connection_));
        if (keycode == 0 || keysym == 0) {
            return 0;
        }
        const std::vector<std::uint32_t> row = mapping.spareKeysyms(keysym);
        const XcbPointer<xcb_generic_error_t> error(xcb_request_check(
            &connection_, xcb_change_keyboard_mapping_checked(
                              &connection_, 1, keycode, mapping.keysymsPerKeycode, row.data())));
        if (error) {
            return 0;
        }
        keycode_ = keycode;
        width_ = mapping.keysymsPerKeycode;
        keysym_ = keysym;
    }
    restoreTask_ = scheduler_.after(hold_, [this] { restore(); });
    return keycode_;
}

void X11SpareKey::restore() {
    restoreTask_.reset();
    if (keycode_ == 0) {
        return;
    }
    const XcbPointer<xcb_get_keyboard_mapping_reply_t> current(xcb_get_keyboard_mapping_reply(
        &connection_, xcb_get_keyboard_mapping(&connection_, keycode_, 1), nullptr));
    if (current && xcb_get_keyboard_mapping_keysyms_length(current.get()) > 0 &&
        xcb_get_keyboard_mapping_keysyms(current.get())[0] == keysym_) {
        const std::vector<std::uint32_t> empty(width_, 0);
        xcb_change_keyboard_mapping(&connection_, 1, keycode_, width_, empty.data());
        xcb_flush(&connection_);
    }
    keycode_ = 0;
    keysym_ = 0;
}

}  // namespace nimbrook
