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

    // The lines to draw, one at least; `width` is in pixels of `font`.
    static QStringList lines(const QString& text, const QFont& font, int width);
};

}  // namespace nimbrook
