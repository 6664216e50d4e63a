#include "platform/x11/X11PasteRoute.h"

#include <algorithm>
#include <ranges>
#include <vector>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include "platform/x11/X11Keymap.h"
#include "platform/x11/XcbPointer.h"

namespace nimbrook {
namespace {

// Deeper than any toolkit nests the window that takes the keys inside its top-level window.
constexpr int maximumDepth = 32;
// A pager's request: window managers honour it even when it would steal the focus.
constexpr std::uint32_t sourceIsPager = 2;
constexpr std::uint16_t heldModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

constexpr std::string_view noXTest = "X 服务器没有 XTEST 扩展，萤川不能向其他程序发送按键";
constexpr std::string_view noKey = "当前键盘布局里找不到粘贴所需的按键";

bool serverHasXTest(xcb_connection_t& connection) {
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(&connection, &xcb_test_id);
    return extension != nullptr && extension->present != 0;
}

std::optional<std::uint32_t> parentOf(xcb_connection_t& connection, std::uint32_t window) {
    const XcbPointer<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(&connection, xcb_query_tree(&connection, window), nullptr));
    if (!tree || tree->parent == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    return tree->parent;
}

}  // namespace

X11PasteRoute::X11PasteRoute(xcb_connection_t& connection, Scheduler& scheduler)
    : connection_(connection),
      windows_(connection),
      spareKey_(connection, scheduler),
      hasXTest_(serverHasXTest(connection)) {}

std::optional<std::string> X11PasteRoute::unavailableReason() const {
    return hasXTest_ ? std::nullopt : std::optional<std::string>(noXTest);
}

void X11PasteRoute::rememberFocusedWindow() {
    const auto window = windows_.activeWindow();
    remembered_ = window.value_or(0);
    program_ = window ? windows_.windowClass(*window).value_or("") : "";
}

std::string X11PasteRoute::rememberedProgram() const {
    return program_;
}

void X11PasteRoute::refocusRememberedWindow() {
    if (remembered_ == 0 || windows_.activeWindowAtom() == 0) {
        return;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = remembered_;
    message.type = windows_.activeWindowAtom();
    message.data.data32[0] = sourceIsPager;
    message.data.data32[1] = XCB_CURRENT_TIME;
    message.data.data32[2] = windows_.activeWindow().value_or(XCB_WINDOW_NONE);
    xcb_send_event(&connection_, 0, windows_.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(&connection_);
}

PasteRoute::Focus X11PasteRoute::focus() const {
    const auto active = windows_.activeWindow();
    if (active && windows_.isOwnWindow(*active)) {
        return Focus::own;
    }
    if (remembered_ != 0 && active == remembered_ && holdsInputFocus(remembered_)) {
        return Focus::remembered;
    }
    return Focus::elsewhere;
}

bool X11PasteRoute::holdsInputFocus(std::uint32_t window) const {
    const XcbPointer<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(&connection_, xcb_get_input_focus(&connection_), nullptr));
    if (!reply) {
        return false;
    }
    std::optional<std::uint32_t> focused = reply->focus;
    for (int depth = 0; focused && *focused > XCB_INPUT_FOCUS_FOLLOW_KEYBOARD &&
                        *focused != windows_.root() && depth < maximumDepth;
         ++depth) {
        if (*focused == window) {
            return true;
        }
        focused = parentOf(connection_, *focused);
    }
    return false;
}

bool X11PasteRoute::modifiersHeld() const {
    const XcbPointer<xcb_query_pointer_reply_t> pointer(xcb_query_pointer_reply(
        &connection_, xcb_query_pointer(&connection_, windows_.root()), nullptr));
    return pointer && (pointer->mask & heldModifiers) != 0;
}

void X11PasteRoute::sendChord(const KeyChord& chord, SendDone done) {
    if (!hasXTest_) {
        done({.sent = false, .reason = std::string(noXTest)});
        return;
    }
    const X11KeyboardMapping mapping = X11Keymap::mapping(connection_);
    std::vector<std::uint8_t> modifiers;
    for (const std::uint32_t keysym : chord.modifierKeysyms()) {
        modifiers.push_back(mapping.keycodeOf(keysym));
    }
    const std::uint8_t key =
        std::ranges::count(modifiers, 0) > 0 ? 0 : chordKeycode(mapping, chord.keysym);
    if (key == 0) {
        done({.sent = false, .reason = std::string(noKey)});
        return;
    }
    for (const std::uint8_t modifier : modifiers) {
        fakeKey(XCB_KEY_PRESS, modifier);
    }
    fakeKey(XCB_KEY_PRESS, key);
    fakeKey(XCB_KEY_RELEASE, key);
    for (const std::uint8_t modifier : std::views::reverse(modifiers)) {
        fakeKey(XCB_KEY_RELEASE, modifier);
    }
    // A round trip: the server has taken every key once it answers.
    const XcbPointer<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(&connection_, xcb_get_input_focus(&connection_), nullptr));
    if (!sync) {
        spareKey_.restore();
    }
    done({.sent = sync != nullptr, .reason = sync ? "" : "X 服务器没有回应"});
}

std::uint8_t X11PasteRoute::chordKeycode(const X11KeyboardMapping& mapping, std::uint32_t keysym) {
    if (!spareKey_.isBoundTo(keysym)) {
        const std::uint8_t key = mapping.keycodeInGroup(keysym, X11Keymap::group(connection_));
        if (key != 0) {
            return key;
        }
    }
    return spareKey_.bind(mapping, keysym);
}

void X11PasteRoute::fakeKey(std::uint8_t type, std::uint8_t keycode) {
    xcb_test_fake_input(&connection_, type, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

}  // namespace nimbrook
