#pragma once

#include <QObject>
#include <cstdint>

struct xcb_connection_t;
class QWidget;

namespace nimbrook {

// Writes the legacy WM_NAME of every shown top-level window as UTF-8. Qt encodes it in the
// C library's locale, which Xlib does not know for C.UTF-8: "设置" then reads as "è®¾ç½®"
// in tools that look only at WM_NAME. Install it on the application.
class X11WindowNames final : public QObject {
    Q_OBJECT

public:
    // `connection` is Qt's own X connection and must outlive this object.
    explicit X11WindowNames(xcb_connection_t& connection);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rename(QWidget& window) const;

    xcb_connection_t& connection_;
    std::uint32_t utf8StringAtom_ = 0;
};

}  // namespace nimbrook
