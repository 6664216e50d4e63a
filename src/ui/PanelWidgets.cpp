#include "ui/PanelWidgets.h"

#include <QLabel>
#include <QPalette>
#include <QToolButton>

namespace nimbrook::panelWidgets {

void setForeground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

void setBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* makeLabel(const QString& text, const QString& name, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    return label;
}

QToolButton* makeIconButton(const QString& name, const QString& accessibleName, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setIconSize(QSize(smallIconSize + 2, smallIconSize + 2));
    return button;
}

// Borderless: the glyph is the button's whole look, and the pointer over it brightens the
// glyph instead of raising a bezel. Tab gives it an accent ring.
QString iconButtonStyle(const QString& extra, const QColor& ring) {
    return QStringLiteral(
               "QToolButton { border: none; background: transparent; padding: 2px;%1 }"
               " QToolButton:focus { border: 2px solid %2; border-radius: 4px;"
               " padding: 0px; }")
        .arg(extra, ring.name(QColor::HexArgb));
}

}  // namespace nimbrook::panelWidgets
