#include "ui/ToggleSwitch.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/Theme.h"

namespace nimbrook {

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const {
    return {34, 20};
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    const Theme theme = Theme::current();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = track.height() / 2;
    QColor trackColor =
        isChecked() ? theme.color(NamedColor::accent) : theme.color(NamedColor::quaternaryLabel);
    if (!isEnabled()) {
        trackColor.setAlphaF(trackColor.alphaF() * 0.5);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(trackColor);
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobSize = track.height() - 4;
    const qreal knobX = isChecked() ? track.right() - 2 - knobSize : track.left() + 2;
    const QRectF knob(knobX, track.top() + 2, knobSize, knobSize);
    painter.setBrush(theme.color(NamedColor::shadow, 0.35));
    painter.drawEllipse(knob.translated(0, 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob);

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(theme.color(NamedColor::accent, 0.5), 2));
        painter.drawRoundedRect(track.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    }
}

}  // namespace nimbrook
