#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QToolButton;
class QWidget;

// What the panel's parts share: their margins, the small glyph size, labels and the
// borderless icon buttons, and the colours set on them as the theme changes.
namespace nimbrook::panelWidgets {

// The header, the search bar and the footer line up on this inset from the panel's sides.
inline constexpr int sidePadding = 14;
inline constexpr int smallIconSize = 12;

void setForeground(QWidget* widget, const QColor& color);
// Fills the widget's background, which a plain QWidget leaves to its parent.
void setBackground(QWidget* widget, const QColor& color);

QLabel* makeLabel(const QString& text, const QString& name, const QFont& font, QWidget* parent);
// Reached by Tab only: a click never takes the focus from the search field.
QToolButton* makeIconButton(const QString& name, const QString& accessibleName, QWidget* parent);
// The style sheet of an icon button with `extra` declarations and a focus ring in `ring`.
QString iconButtonStyle(const QString& extra, const QColor& ring);

}  // namespace nimbrook::panelWidgets
