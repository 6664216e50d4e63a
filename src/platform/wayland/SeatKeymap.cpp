#include "platform/wayland/SeatKeymap.h"

#include <string>

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "platform/FileDescriptor.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/XkbKeymap.h"

namespace nimbrook {
namespace {

// A compositor's map is tens of kilobytes; one far larger is no map.
constexpr std::uint32_t largestMap = 4 * 1024 * 1024;

void ignoreEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void ignoreLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void ignoreKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void ignoreModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                     std::uint32_t, std::uint32_t) {}

}  // namespace

std::unique_ptr<XkbKeymap> SeatKeymap::current(WaylandConnection& connection) {
    std::string text;
    if (connection.seatHasKeyboard()) {
        static const wl_keyboard_listener listener{
            &SeatKeymap::onKeymap, ignoreEnter, ignoreLeave, ignoreKey, ignoreModifiers, nullptr};
        wl_keyboard* keyboard = wl_seat_get_keyboard(connection.seat());
        wl_keyboard_add_listener(keyboard, &listener, &text);
        connection.roundtrip();
        wl_keyboard_destroy(keyboard);
        connection.flush();
    }
    auto keymap = text.empty() ? nullptr : XkbKeymap::fromText(text);
    return keymap != nullptr ? std::move(keymap) : XkbKeymap::fromNames({}, {});
}

void SeatKeymap::onKeymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd,
                          std::uint32_t size) {
    const FileDescriptor owned(fd);
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || size == 0 || size > largestMap) {
        return;
    }
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED) {
        return;
    }
    // The map ends with a NUL byte, which is not part of its text.
    std::string text(static_cast<const char*>(mapped), size);
    ::munmap(mapped, size);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    *static_cast<std::string*>(data) = std::move(text);
}

}  // namespace nimbrook
