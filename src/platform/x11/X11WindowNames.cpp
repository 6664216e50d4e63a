#include "platform/x11/X11WindowNames.h"

#include <QEvent>
#include <QWidget>
#include <cstdlib>
#include <string_view>

#include <xcb/xcb.h>

namespace nimbrook {

namespace {

std::uint32_t internAtom(xcb_connection_t& connection, std::string_view name) {
    const auto cookie =
        xcb_intern_atom(&connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(&connection, cookie, nullptr);
    const std::uint32_t atom = reply != nullptr ? reply->atom : 0;
    std::free(reply);
    return atom;
}

}  // namespace

X11WindowNames::X11WindowNames(xcb_connection_t& connection)
    : connection_(connection), utf8StringAtom_(internAtom(connection, "UTF8_STRING")) {}

bool X11WindowNames::eventFilter(QObject* watched, QEvent* event) {
    // Qt writes WM_NAME when it creates the window, before it is shown, and on each change.
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowTitleChange) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->isWindow() &&
            widget->testAttribute(Qt::WA_WState_Created)) {
            rename(*widget);
        }
    }
    return QObject::eventFilter(watched, event);
}

void X11WindowNames::rename(QWidget& window) const {
    if (utf8StringAtom_ == 0) {
        return;
    }
    const QByteArray title = window.windowTitle().toUtf8();
    xcb_change_property(&connection_, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window.winId()), XCB_ATOM_WM_NAME,
                        utf8StringAtom_, 8, static_cast<std::uint32_t>(title.size()),
                        title.constData());
    xcb_flush(&connection_);
}

}  // namespace nimbrook
