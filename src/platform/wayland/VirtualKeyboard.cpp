#include "platform/wayland/VirtualKeyboard.h"

#include <algorithm>

#include <sys/mman.h>
#include <virtual-keyboard-unstable-v1-client-protocol.h>
#include <wayland-client.h>

#include "platform/FileDescriptor.h"
#include "platform/wayland/SeatKeymap.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/XkbKeymap.h"

namespace nimbrook {
namespace {

std::uint32_t milliseconds() {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

}  // namespace

VirtualKeyboard::VirtualKeyboard(WaylandConnection& connection, Scheduler& scheduler,
                                 std::chrono::milliseconds lingering)
    : connection_(connection), scheduler_(scheduler), lingering_(lingering) {}

VirtualKeyboard::~VirtualKeyboard() {
    release();
}

bool VirtualKeyboard::isOffered(const WaylandConnection& connection) {
    return connection.isConnected() && connection.virtualKeyboards() != nullptr &&
           connection.seat() != nullptr;
}

bool VirtualKeyboard::sendChord(std::span<const std::uint32_t> keysyms) {
    const auto keymap = isOffered(connection_) && !keysyms.empty()
                            ? XkbKeymap::forChord(SeatKeymap::current(connection_), keysyms)
                            : nullptr;
    const auto found = keymap != nullptr ? keymap->findAll(keysyms) : std::nullopt;
    if (!found) {
        return false;
    }
    const std::vector<KeyPosition>& keys = *found;
    if (!upload(*keymap)) {
        return false;
    }
    // The layout that has the chord's last key, where the user's layout lacks it ("ru,us").
    layout_ = keys.back().layout;
    for (const KeyPosition& position : keys) {
        key(*keymap, position.evdevCode, true);
    }
    for (auto position = keys.rbegin(); position != keys.rend(); ++position) {
        key(*keymap, position->evdevCode, false);
    }
    releaseTask_ = scheduler_.after(lingering_, [this] { release(); });
    return connection_.roundtrip();
}

bool VirtualKeyboard::upload(const XkbKeymap& keymap) {
    const std::string text = keymap.text();
    const FileDescriptor file(::memfd_create("nimbrook-keymap", MFD_CLOEXEC));
    // The compositor maps the file; it reads the map up to and with its closing NUL.
    if (text.empty() || !file.isOpen() ||
        !FileDescriptor::writeAll(file.get(), std::string_view(text.c_str(), text.size() + 1))) {
        return false;
    }
    if (device_ == nullptr) {
        device_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
            connection_.virtualKeyboards(), connection_.seat());
    }
    zwp_virtual_keyboard_v1_keymap(device_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, file.get(),
                                   static_cast<std::uint32_t>(text.size() + 1));
    return true;
}

void VirtualKeyboard::key(const XkbKeymap& keymap, std::uint32_t code, bool pressed) {
    zwp_virtual_keyboard_v1_key(
        device_, milliseconds(), code,
        pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    if (pressed) {
        held_.push_back(code);
    } else if (const auto held = std::find(held_.begin(), held_.end(), code); held != held_.end()) {
        held_.erase(held);
    }
    const KeyboardModifiers modifiers = keymap.modifiersWhile(held_, layout_);
    zwp_virtual_keyboard_v1_modifiers(device_, modifiers.depressed, modifiers.latched,
                                      modifiers.locked, modifiers.layout);
}

void VirtualKeyboard::release() {
    releaseTask_.reset();
    if (device_ != nullptr) {
        zwp_virtual_keyboard_v1_destroy(device_);
        device_ = nullptr;
        connection_.flush();
    }
}

}  // namespace nimbrook
