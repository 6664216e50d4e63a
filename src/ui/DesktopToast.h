#pragma once

#include <QWidget>

class QTimer;

namespace nimbrook {

class ToastOverlay;

// The panel's toast for when the panel is already away (a paste that could only copy): a
// window of its own at the top of the screen under the pointer, which never takes the focus
// from the window the user is typing in. Its title is the message, as a screen reader and
// the window list read it.
class DesktopToast final : public QWidget {
    Q_OBJECT

public:
    DesktopToast();

    // Shows `message` for 1.5 s.
    void showMessage(const QString& message);

private:
    ToastOverlay* overlay_ = nullptr;
    QTimer* dismissTimer_ = nullptr;
    QTimer* hideTimer_ = nullptr;
};

}  // namespace nimbrook
