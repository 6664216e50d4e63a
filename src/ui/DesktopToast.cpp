#include "ui/DesktopToast.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "ui/ToastOverlay.h"

namespace nimbrook {

namespace {

constexpr int windowWidth = 400;
constexpr int windowHeight = 48;
constexpr int shownMilliseconds = 1500;
// The toast's leaving animation, after which the window goes.
constexpr int leavingMilliseconds = 500;

QTimer* singleShot(QObject* parent, int milliseconds) {
    auto* timer = new QTimer(parent);
    timer->setSingleShot(true);
    timer->setInterval(milliseconds);
    return timer;
}

}  // namespace

DesktopToast::DesktopToast()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("desktopToast"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(windowWidth, windowHeight);
    overlay_ = new ToastOverlay(this);
    dismissTimer_ = singleShot(this, shownMilliseconds);
    hideTimer_ = singleShot(this, leavingMilliseconds);
    connect(dismissTimer_, &QTimer::timeout, this, [this] {
        overlay_->dismiss();
        hideTimer_->start();
    });
    connect(hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

void DesktopToast::showMessage(const QString& message) {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        move(area.center().x() - windowWidth / 2, area.top());
    }
    setWindowTitle(message);
    hideTimer_->stop();
    show();
    overlay_->showMessage(message);
    dismissTimer_->start();
}

}  // namespace nimbrook
