#pragma once

class QPoint;
class QRect;
class QString;
class QWidget;

namespace nimbrook {

// The tip of a row's hover control: it goes as soon as the pointer leaves the control, and it
// stays inside the screen's free area.
class RowToolTip final {
public:
    // `control` is the control's rectangle on `viewport`, which the pointer moves over.
    static void show(const QString& text, const QRect& control, const QPoint& pointer,
                     QWidget& viewport);

private:
    static void keepInside(const QRect& available);
};

}  // namespace nimbrook
