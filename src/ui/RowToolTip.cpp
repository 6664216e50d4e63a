#include "ui/RowToolTip.h"

#include <QApplication>
#include <QScreen>
#include <QToolTip>
#include <QWidget>
#include <algorithm>

namespace nimbrook {

void RowToolTip::show(const QString& text, const QRect& control, const QPoint& pointer,
                      QWidget& viewport) {
    // Given the widget the pointer moves over and the control's rectangle on it, the toolkit
    // hides the tip as soon as the pointer leaves the control.
    QToolTip::showText(pointer, text, &viewport, control);
    if (const QScreen* screen = QGuiApplication::screenAt(pointer)) {
        keepInside(screen->availableGeometry());
    }
}

// The toolkit keeps a tip inside the whole screen; the panel hangs from a tray bar at the
// screen's edge, and the bars must not cover the tip either.
void RowToolTip::keepInside(const QRect& available) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowType() == Qt::ToolTip && window->isVisible()) {
            const QRect tip = window->frameGeometry();
            window->move(std::max(available.left(),
                                  std::min(tip.left(), available.right() + 1 - tip.width())),
                         std::max(available.top(),
                                  std::min(tip.top(), available.bottom() + 1 - tip.height())));
        }
    }
}

}  // namespace nimbrook
