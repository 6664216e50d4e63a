#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QTest>

#include "ui/SymbolIcons.h"

namespace nimbrook {

class SymbolIconsTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everySymbolOfTheDesignHasAGlyph_data();
    void everySymbolOfTheDesignHasAGlyph();
    void unknownNamesDrawNothing();
};

namespace {

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

void SymbolIconsTest::initTestCase() {
    QVERIFY(SymbolIcons::ensureFontLoaded());
    QCOMPARE(QFontInfo(SymbolIcons::font(24)).family(), SymbolIcons::fontFamily());
}

void SymbolIconsTest::everySymbolOfTheDesignHasAGlyph_data() {
    QTest::addColumn<QString>("symbol");
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
        QTest::newRow(qPrintable(symbol)) << symbol;
    }
}

void SymbolIconsTest::everySymbolOfTheDesignHasAGlyph() {
    QFETCH(QString, symbol);
    const QString glyph = SymbolIcons::glyph(symbol);
    QCOMPARE(glyph.size(), 1);
    // The font is never merged with others, so a code point the font lacks would show as
    // a box; the font itself must hold it.
    QVERIFY(QFontMetrics(SymbolIcons::font(24)).inFont(glyph.at(0)));
    const QImage drawn = SymbolIcons::pixmap(symbol, 24, Qt::black).toImage();
    QVERIFY2(opaquePixels(drawn) > 20, "the glyph left (almost) no ink");
}

void SymbolIconsTest::unknownNamesDrawNothing() {
    for (const QString& name :
         {QString(), QStringLiteral("doc.on.clipboard.fil"), QStringLiteral("Trash")}) {
        QVERIFY(SymbolIcons::glyph(name).isEmpty());
        QCOMPARE(opaquePixels(SymbolIcons::pixmap(name, 16, Qt::black).toImage()), 0);
    }
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::SymbolIconsTest)
#include "SymbolIconsTest.moc"
