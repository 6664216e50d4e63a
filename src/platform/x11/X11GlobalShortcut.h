#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>

#include <xcb/xcb.h>

#include "platform/qt/GlobalShortcut.h"

namespace nimbrook {

// A passive grab of the chord on the root window, through the X connection the toolkit
// already holds: the X server hands the chord to this program wherever the focus is.
class X11GlobalShortcut final : public GlobalShortcut, private QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit X11GlobalShortcut(xcb_connection_t& connection, QObject* parent = nullptr);
    ~X11GlobalShortcut() override;
    X11GlobalShortcut(const X11GlobalShortcut&) = delete;
    X11GlobalShortcut& operator=(const X11GlobalShortcut&) = delete;

private:
    State grab(QKeyCombination chord) override;
    void release() override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    xcb_connection_t& connection_;
    xcb_window_t root_ = XCB_NONE;
    // The chord held now; keycode 0 when none.
    xcb_keycode_t keycode_ = 0;
    std::uint16_t modifiers_ = 0;
    std::uint16_t numLock_ = 0;
};

}  // namespace nimbrook
