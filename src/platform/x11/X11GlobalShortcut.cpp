#include "platform/x11/X11GlobalShortcut.h"

#include <QChar>
#include <QCoreApplication>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/x11/X11Keymap.h"

namespace nimbrook {

namespace {

constexpr std::uint8_t accessError = 10;  // BadAccess: another client holds the grab.

// Keysyms of the keys a chord is likely to use beyond Latin-1; 0 for an unknown key.
std::uint32_t specialKeysym(int key) {
    static constexpr std::array<std::pair<int, std::uint32_t>, 17> table{{
        {Qt::Key_Escape, 0xff1b},
        {Qt::Key_Tab, 0xff09},
        {Qt::Key_Backspace, 0xff08},
        {Qt::Key_Return, 0xff0d},
        {Qt::Key_Insert, 0xff63},
        {Qt::Key_Delete, 0xffff},
        {Qt::Key_Pause, 0xff13},
        {Qt::Key_Print, 0xff61},
        {Qt::Key_Home, 0xff50},
        {Qt::Key_End, 0xff57},
        {Qt::Key_Left, 0xff51},
        {Qt::Key_Up, 0xff52},
        {Qt::Key_Right, 0xff53},
        {Qt::Key_Down, 0xff54},
        {Qt::Key_PageUp, 0xff55},
        {Qt::Key_PageDown, 0xff56},
        {Qt::Key_Menu, 0xff67},
    }};
    for (const auto& [qtKey, keysym] : table) {
        if (qtKey == key) {
            return keysym;
        }
    }
    return 0;
}

std::uint32_t keysymOf(Qt::Key key) {
    // Latin-1 keysyms are the characters themselves; Qt names letters by their capitals.
    if (key >= Qt::Key_Space && key <= Qt::Key_ydiaeresis) {
        return QChar(static_cast<char16_t>(key)).toLower().unicode();
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) {
        return 0xffbe + (key - Qt::Key_F1);
    }
    return specialKeysym(key);
}

std::uint16_t modifierMask(Qt::KeyboardModifiers modifiers) {
    std::uint16_t mask = 0;
    mask |= modifiers.testFlag(Qt::ShiftModifier) ? XCB_MOD_MASK_SHIFT : 0;
    mask |= modifiers.testFlag(Qt::ControlModifier) ? XCB_MOD_MASK_CONTROL : 0;
    mask |= modifiers.testFlag(Qt::AltModifier) ? XCB_MOD_MASK_1 : 0;
    mask |= modifiers.testFlag(Qt::MetaModifier) ? XCB_MOD_MASK_4 : 0;
    return mask;
}

// The server matches modifiers exactly, so the chord is also taken with Caps Lock and Num
// Lock on.
std::array<std::uint16_t, 4> lockVariants(std::uint16_t numLock) {
    return {0, XCB_MOD_MASK_LOCK, numLock, static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)};
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

}  // namespace

X11GlobalShortcut::X11GlobalShortcut(xcb_connection_t& connection, QObject* parent)
    : GlobalShortcut(parent), connection_(connection) {
    if (const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(&connection_)).data) {
        root_ = screen->root;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11GlobalShortcut::~X11GlobalShortcut() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    setSequence({});
}

GlobalShortcut::State X11GlobalShortcut::grab(QKeyCombination chord) {
    const xcb_keycode_t keycode = X11Keymap::keycodeOf(connection_, keysymOf(chord.key()));
    if (keycode == 0 || root_ == XCB_NONE) {
        return State::unsupported;
    }
    keycode_ = keycode;
    modifiers_ = modifierMask(chord.keyboardModifiers());
    numLock_ = X11Keymap::numLockMask(connection_);
    const std::array<std::uint16_t, 4> locks = lockVariants(numLock_);
    std::array<xcb_void_cookie_t, 4> cookies{};
    for (std::size_t i = 0; i < locks.size(); ++i) {
        cookies[i] = xcb_grab_key_checked(&connection_, 1, root_, modifiers_ | locks[i], keycode_,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool taken = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        const Reply<xcb_generic_error_t> error(xcb_request_check(&connection_, cookie), &std::free);
        taken = taken || (error && error->error_code == accessError);
    }
    if (taken) {
        release();
        return State::taken;
    }
    return State::active;
}

void X11GlobalShortcut::release() {
    if (keycode_ == 0) {
        return;
    }
    for (const std::uint16_t lock : lockVariants(numLock_)) {
        xcb_ungrab_key(&connection_, keycode_, root_, modifiers_ | lock);
    }
    xcb_flush(&connection_);
    keycode_ = 0;
}

bool X11GlobalShortcut::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (keycode_ == 0 || eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS) {
        return false;
    }
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    const auto locks = static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock_);
    if (press->event == root_ && press->detail == keycode_ &&
        (press->state & ~locks & 0xff) == modifiers_) {
        // After the toolkit has taken the press's time, which the new window's focus needs.
        QTimer::singleShot(0, this, &GlobalShortcut::activated);
    }
    return false;
}

}  // namespace nimbrook
