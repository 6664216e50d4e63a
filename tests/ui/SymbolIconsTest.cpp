#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include <gtest/gtest.h>

#include "ui/SymbolIcons.h"

namespace nimbrook {
namespace {

// The icons are multiples of four pixels wide, so the alpha rows hold no padding.
long opaquePixels(const QImage& image) {
    const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
    return std::count_if(alpha.constBits(), alpha.constBits() + alpha.sizeInBytes(),
                         [](uchar value) { return value > 0; });
}

TEST(SymbolIconsTest, everySymbolOfTheDesignHasAGlyph) {
    ASSERT_TRUE(SymbolIcons::ensureFontLoaded());
    // Every symbol the panel, the rows, the tags, the settings window and the tray draw.
    const QString symbols = QStringLiteral(
        "doc.on.clipboard.fill doc.on.clipboard pause.circle pause.circle.fill record.circle "
        "gearshape trash magnifyingglass xmark.circle.fill checkmark.circle.fill wand.and.stars "
        "curlybraces chevron.left.forwardslash.chevron.right link text.document text.alignleft "
        "photo safari hammer.fill face.smiling terminal envelope.fill bubble.left.fill note.text "
        "checklist calendar eye music.note a.circle.fill laptopcomputer globe number "
        "bubble.left.and.bubble.right.fill paperplane.fill diamond square.text.square doc.text "
        "paintpalette app.fill");
    for (const QString& symbol : symbols.split(u' ')) {
        SCOPED_TRACE(symbol.toStdString());
        const QString glyph = SymbolIcons::glyph(symbol);
        ASSERT_EQ(glyph.size(), 1);
        // The font is never merged with others, so a code point the font lacks would show as
        // a box; the font itself must hold it.
        EXPECT_TRUE(QFontMetrics(SymbolIcons::font(24)).inFont(glyph.at(0)));
        // A glyph that leaves (almost) no ink is no glyph.
        EXPECT_GT(opaquePixels(SymbolIcons::pixmap(symbol, 24, Qt::black).toImage()), 20);
    }
}

// The ink's bounding box: the first and last columns and rows that hold any.
QRect inkOf(const QImage& image) {
    const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
    QRect box;
    for (int y = 0; y < alpha.height(); ++y) {
        for (int x = 0; x < alpha.width(); ++x) {
            if (alpha.pixelColor(x, y).alpha() > 64) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// Pixmaps (the tray icon among them) are drawn from the font file alone, the rows' glyphs
// through the font database: both must place the glyph alike, centred in its square.
TEST(SymbolIconsTest, pixmapsPlaceTheGlyphAsPaintedText) {
    for (const int size : {16, 22, 48}) {
        for (const QString& symbol : {QStringLiteral("doc.on.clipboard.fill"),
                                      QStringLiteral("gearshape"), QStringLiteral("trash")}) {
            SCOPED_TRACE(symbol.toStdString() + " at " + std::to_string(size));
            QImage painted(size, size, QImage::Format_ARGB32_Premultiplied);
            painted.fill(Qt::transparent);
            QPainter painter(&painted);
            SymbolIcons::paint(painter, QRectF(0, 0, size, size), symbol, size, Qt::black);
            painter.end();
            const QRect expected = inkOf(painted);
            const QRect drawn = inkOf(SymbolIcons::pixmap(symbol, size, Qt::black).toImage());
            ASSERT_FALSE(drawn.isEmpty());
            EXPECT_LE(std::abs(drawn.left() - expected.left()), 1);
            EXPECT_LE(std::abs(drawn.top() - expected.top()), 1);
            EXPECT_LE(std::abs(drawn.right() - expected.right()), 1);
            EXPECT_LE(std::abs(drawn.bottom() - expected.bottom()), 1);
        }
    }
}

TEST(SymbolIconsTest, unknownNamesDrawNothing) {
    for (const QString& name :
         {QString(), QStringLiteral("doc.on.clipboard.fil"), QStringLiteral("Trash")}) {
        EXPECT_TRUE(SymbolIcons::glyph(name).isEmpty());
        EXPECT_EQ(opaquePixels(SymbolIcons::pixmap(name, 16, Qt::black).toImage()), 0);
    }
}

}  // namespace
}  // namespace nimbrook
