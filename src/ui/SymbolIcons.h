#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QStringView>

class QPainter;

namespace nimbrook {

// Draws the design's symbol names ("doc.on.clipboard.fill", "trash", ...) with glyphs of
// the Material Icons font, so every icon can take any colour at any size.
class SymbolIcons final {
public:
    static QString fontFamily() { return QStringLiteral("Material Icons"); }

    // Makes the icon font known to the font database (once per process). False when the
    // font is neither installed nor loadable; glyphs then draw as nothing useful.
    static bool ensureFontLoaded();

    // The one-character text standing for `symbolName` in the icon font; empty for a name
    // that is not in the table.
    static QString glyph(QStringView symbolName);
    // Every symbol name the table knows, in table order.
    static QStringList symbolNames();

    // The icon font at `size` design points (device-independent pixels), never merged with
    // other fonts so that a missing glyph stays visible as missing.
    static QFont font(qreal size);

    // Paints the glyph centred in `rect` at `size`, in `color`. Unknown names paint nothing.
    static void paint(QPainter& painter, const QRectF& rect, QStringView symbolName, qreal size,
                      const QColor& color);
    // A square transparent pixmap of `size` device-independent pixels holding the glyph.
    static QPixmap pixmap(QStringView symbolName, int size, const QColor& color,
                          qreal devicePixelRatio = 1.0);
    // An icon with the glyph drawn at the usual icon sizes; a valid `hoverColor` is the
    // colour a raised button shows it in while the pointer is over it.
    static QIcon icon(QStringView symbolName, const QColor& color, const QColor& hoverColor = {});
};

}  // namespace nimbrook
