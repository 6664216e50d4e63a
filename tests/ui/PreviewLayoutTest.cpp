#include <QFontMetricsF>

#include <gtest/gtest.h>

#include "ui/PreviewLayout.h"
#include "ui/Theme.h"

namespace nimbrook {
namespace {

constexpr int width = 200;

QStringList lines(const QString& text) {
    return PreviewLayout::lines(text, Theme::monospacedFont(12), width);
}

TEST(PreviewLayoutTest, keepsAtMostThreeLines) {
    // The expected lines are split at '|'.
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"a\r\nb\nc\r\nd", u"a|b|c…"},  // the fourth line is cut; Windows line ends
        {u"a\u2028b\u2029c", u"a|b|c"},
        {u"a\n\n\nd", u"a||…"},  // empty lines count
        {u"\tx", u"    x"},
        {u"", u""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(lines(QString::fromUtf16(text)), QString::fromUtf16(expected).split(u'|'));
    }
}

TEST(PreviewLayoutTest, everyLineFitsTheWidth) {
    const QFontMetricsF metrics(Theme::monospacedFont(12));
    const std::pair<QString, qsizetype> cases[] = {
        {QString(500, u'w'), 3},
        {QStringLiteral("word ").repeated(80), 3},
        {QStringLiteral("中文预览").repeated(40), 3},
        {QStringLiteral("😀").repeated(100), 3},
        // One grapheme of 200000 combining marks.
        {QStringLiteral("a") + QString(200000, QChar(0x0301)), 1},
    };
    for (const auto& [text, lineCount] : cases) {
        const QStringList shown = lines(text);
        ASSERT_EQ(shown.size(), lineCount);
        EXPECT_TRUE(shown.back().endsWith(QChar(0x2026)));
        for (const QString& line : shown) {
            EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), width + 0.5) << line.size();
            EXPECT_TRUE(!line.isEmpty() && !line.back().isHighSurrogate());
        }
    }
}

// A wrapped line goes on without a break, and a tab is copied as it was shown.
TEST(PreviewLayoutTest, selectedTextIsTheEntrysText) {
    const QString text = QStringLiteral("\tword").repeated(20);
    const QStringList shown = lines(text);
    ASSERT_GT(shown.size(), 1);
    EXPECT_EQ(PreviewLayout::textBetween(text, Theme::monospacedFont(12), width, {1, 4}, {0, 0}),
              shown[0] + shown[1].left(4));
}

}  // namespace
}  // namespace nimbrook
