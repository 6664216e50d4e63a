#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

namespace nimbrook {

// The design's named colours. The label levels are the foreground colours of decreasing
// emphasis; the last ones are the surfaces the panel and its overlays are drawn on.
enum class NamedColor {
    blue,
    gray,
    green,
    yellow,
    red,
    purple,
    pink,
    orange,
    indigo,
    teal,
    accent,
    primaryLabel,
    secondaryLabel,
    tertiaryLabel,
    quaternaryLabel,
    separator,
    windowBackground,
    barMaterial,
    regularMaterial,
    shadow,
};

enum class Appearance { light, dark };

// The design's named text styles.
enum class TextStyle { headline, subheadline, body, caption, caption2 };

// One light and one dark palette for the named colours, and the fonts of the design.
// Sizes are the design's points, drawn as device-independent pixels so the 400 x 520
// panel keeps its proportions at any screen resolution.
class Theme final {
public:
    explicit Theme(Appearance appearance) : appearance_(appearance) {}

    // Dark when the palette's window colour has a lightness below the middle.
    static Appearance appearanceOf(const QPalette& palette);
    // The theme that matches the application's palette right now.
    static Theme current();

    Appearance appearance() const { return appearance_; }

    // The named colour of this appearance with its alpha multiplied by `opacity` (0 .. 1).
    QColor color(NamedColor name, qreal opacity = 1.0) const;
    // A widget palette of this appearance, for windows that should follow the theme.
    QPalette palette() const;

    // The system font family (with Noto Sans CJK SC behind it for Chinese) at `size`.
    static QFont systemFont(qreal size, QFont::Weight weight = QFont::Normal);
    // The fixed-pitch system font (with Noto Sans Mono CJK SC behind it) at `size`.
    static QFont monospacedFont(qreal size, QFont::Weight weight = QFont::Normal);
    static QFont textStyle(TextStyle style);

private:
    Appearance appearance_ = Appearance::light;
};

}  // namespace nimbrook
