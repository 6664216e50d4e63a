#include <QApplication>
#include <QFontMetricsF>
#include <QTest>

#include "ui/PreviewLayout.h"
#include "ui/Theme.h"

namespace nimbrook {

class PreviewLayoutTest final : public QObject {
    Q_OBJECT

private slots:
    void keepsAtMostThreeLines_data();
    void keepsAtMostThreeLines();
    void everyLineFitsTheWidth_data();
    void everyLineFitsTheWidth();
    void selectedTextIsTheEntrysText();
};

namespace {

constexpr int width = 200;
const QChar ellipsis(0x2026);

}  // namespace

void PreviewLayoutTest::keepsAtMostThreeLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    // The expected lines are split at '|'.
    const auto row = [](const char* name, const char16_t* text, const char16_t* lines) {
        QTest::newRow(name) << QString::fromUtf16(text) << QString::fromUtf16(lines).split(u'|');
    };
    row("fourth line is cut, windows line ends", u"a\r\nb\nc\r\nd", u"a|b|c…");
    row("unicode line and paragraph separators", u"a\u2028b\u2029c", u"a|b|c");
    row("empty lines count", u"a\n\n\nd", u"a||…");
    row("tab becomes spaces", u"\tx", u"    x");
    row("empty text", u"", u"");
}

void PreviewLayoutTest::keepsAtMostThreeLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, expected);

    QCOMPARE(PreviewLayout::lines(text, Theme::monospacedFont(12), width), expected);
}

void PreviewLayoutTest::everyLineFitsTheWidth_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lineCount");

    QTest::newRow("one unbroken word") << QString(500, u'w') << 3;
    QTest::newRow("many short words") << QStringLiteral("word ").repeated(80) << 3;
    QTest::newRow("chinese") << QStringLiteral("中文预览").repeated(40) << 3;
    QTest::newRow("emoji outside the basic plane") << QStringLiteral("😀").repeated(100) << 3;
    QTest::newRow("one grapheme of 200000 combining marks")
        << QStringLiteral("a") + QString(200000, QChar(0x0301)) << 1;
}

void PreviewLayoutTest::everyLineFitsTheWidth() {
    QFETCH(QString, text);
    QFETCH(int, lineCount);
    const QFont font = Theme::monospacedFont(12);
    const QFontMetricsF metrics(font);

    const QStringList lines = PreviewLayout::lines(text, font, width);

    QCOMPARE(lines.size(), lineCount);
    QVERIFY(lines.back().endsWith(ellipsis));
    for (const QString& line : lines) {
        QVERIFY2(metrics.horizontalAdvance(line.trimmed()) <= width + 0.5, qPrintable(line));
        QVERIFY(!line.isEmpty() && !line.back().isHighSurrogate());
    }
}

// A wrapped line goes on without a break, and a tab is copied as it was shown.
void PreviewLayoutTest::selectedTextIsTheEntrysText() {
    const QFont font = Theme::monospacedFont(12);
    const QString text = QStringLiteral("\tword").repeated(20);
    const QStringList lines = PreviewLayout::lines(text, font, width);
    QVERIFY(lines.size() > 1);

    QCOMPARE(PreviewLayout::textBetween(text, font, width, {1, 4}, {0, 0}),
             lines[0] + lines[1].left(4));
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::PreviewLayoutTest)
#include "PreviewLayoutTest.moc"
