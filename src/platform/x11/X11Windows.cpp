#include "platform/x11/X11Windows.h"

#include <cstdlib>
#include <memory>
#include <string_view>

#include <unistd.h>
#include <xcb/xcb.h>

#include "platform/UnicodeText.h"

namespace nimbrook {
namespace {

// WM_CLASS is two short names; anything beyond this is not a class worth reading.
constexpr std::uint32_t maximumClassWords = 256;

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

// The root window of the screen that $DISPLAY names (":0.1" is the second screen).
std::uint32_t rootWindow(xcb_connection_t& connection) {
    int screenNumber = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screenNumber) != 0) {
        std::free(host);
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(&connection));
    for (int i = 0; screens.rem > 0; ++i, xcb_screen_next(&screens)) {
        if (i == screenNumber) {
            return screens.data->root;
        }
    }
    screens = xcb_setup_roots_iterator(xcb_get_setup(&connection));
    return screens.rem > 0 ? screens.data->root : 0;
}

std::uint32_t internAtom(xcb_connection_t& connection, std::string_view name) {
    const auto cookie =
        xcb_intern_atom(&connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(&connection, cookie, nullptr));
    return reply ? reply->atom : 0;
}

XcbReply<xcb_get_property_reply_t> property(xcb_connection_t& connection, std::uint32_t window,
                                            std::uint32_t atom, std::uint32_t type,
                                            std::uint32_t words) {
    const auto cookie = xcb_get_property(&connection, 0, window, atom, type, 0, words);
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(&connection, cookie, &error));
    std::free(error);
    return reply;
}

}  // namespace

X11Windows::X11Windows(xcb_connection_t& connection)
    : connection_(connection),
      root_(rootWindow(connection)),
      activeWindowAtom_(internAtom(connection, "_NET_ACTIVE_WINDOW")),
      pidAtom_(internAtom(connection, "_NET_WM_PID")) {}

std::optional<std::uint32_t> X11Windows::activeWindow() const {
    if (root_ == 0 || activeWindowAtom_ == 0) {
        return std::nullopt;
    }
    const auto reply = property(connection_, root_, activeWindowAtom_, XCB_ATOM_WINDOW, 1);
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    const auto window = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return window == XCB_WINDOW_NONE ? std::nullopt : std::optional(window);
}

bool X11Windows::isOwnWindow(std::uint32_t window) const {
    if (pidAtom_ == 0) {
        return false;
    }
    const auto reply = property(connection_, window, pidAtom_, XCB_ATOM_CARDINAL, 1);
    return reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4 &&
           *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get())) ==
               static_cast<std::uint32_t>(::getpid());
}

std::optional<std::string> X11Windows::windowClass(std::uint32_t window) const {
    const auto reply =
        property(connection_, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, maximumClassWords);
    if (!reply || reply->format != 8) {
        return std::nullopt;
    }
    // "instance\0class\0"; the class is the second string.
    const std::string_view value(
        static_cast<const char*>(xcb_get_property_value(reply.get())),
        static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    const auto separator = value.find('\0');
    if (separator == std::string_view::npos) {
        return std::nullopt;
    }
    auto className = value.substr(separator + 1);
    className = className.substr(0, className.find('\0'));
    if (className.empty()) {
        return std::nullopt;
    }
    return UnicodeText::repairedUtf8(className);
}

}  // namespace nimbrook
