#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace nimbrook {

// How a row shows its preview: wrapped to the row's width, at most three lines, the third
// one ending in "…" when text was cut.
class PreviewLayout final {
public:
    static constexpr int maxLines = 3;

    // A place between two characters of the shown lines: `column` counts the UTF-16 units
    // of line `line` before it.
    struct Position {
        int line = 0;
        int column = 0;
        auto operator<=>(const Position&) const = default;
    };

    // The lines to draw, one at least; `width` is in pixels of `font`.
    static QStringList lines(const QString& text, const QFont& font, int width);
    // What the shown lines hold between `from` and `to`, in either order and clamped to the
    // lines, as text: a wrapped line runs on without a break, a line break is "\n", and the
    // "…" of a cut preview is no text of the entry.
    static QString textBetween(const QString& text, const QFont& font, int width, Position from,
                               Position to);
};

}  // namespace nimbrook
