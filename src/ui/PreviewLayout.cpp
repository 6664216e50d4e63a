#include "ui/PreviewLayout.h"

#include <QFontMetricsF>
#include <QTextLayout>

namespace nimbrook {

namespace {

constexpr QChar ellipsis(0x2026);
// Three lines of a 400-point row show far fewer characters than this; a preview of a few
// graphemes can still be megabytes long (thousands of combining marks each), and shaping
// all of it on every paint would stall the panel.
constexpr qsizetype maxLaidOutLength = 4096;

// Every line break the core's trimming knows ends a line here too, and tabs become spaces
// because a painter draws no tab stops.
QStringList paragraphsOf(const QString& text) {
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QChar breakChar :
         {QChar(u'\r'), QChar(u'\v'), QChar(u'\f'), QChar(0x85), QChar(0x2028), QChar(0x2029)}) {
        normalized.replace(breakChar, u'\n');
    }
    normalized.replace(u'\t', QStringLiteral("    "));
    return normalized.split(u'\n');
}

// Appends the lines of one paragraph until `lines` holds `limit`; returns whether text
// of this paragraph was left over.
bool wrapParagraph(const QString& paragraph, const QFont& font, qreal width, qsizetype limit,
                   QStringList& lines) {
    if (paragraph.isEmpty()) {
        lines.append(QString());
        return false;
    }
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    bool leftOver = false;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (lines.size() == limit) {
            leftOver = true;
            break;
        }
        line.setLineWidth(width);
        lines.append(paragraph.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    return leftOver;
}

QString withEllipsis(QString line, const QFont& font, qreal width) {
    const QFontMetricsF metrics(font);
    while (!line.isEmpty() && line.back() == u' ') {
        line.chop(1);
    }
    while (!line.isEmpty() && metrics.horizontalAdvance(line + ellipsis) > width) {
        line.chop(line.size() >= 2 && line.back().isLowSurrogate() ? 2 : 1);
    }
    return line + ellipsis;
}

}  // namespace

QStringList PreviewLayout::lines(const QString& text, const QFont& font, int width) {
    const qreal lineWidth = qMax(1, width);
    QStringList lines;
    bool cut = text.size() > maxLaidOutLength;
    QString shown = text.left(maxLaidOutLength);
    if (cut && shown.back().isHighSurrogate()) {
        shown.chop(1);
    }
    const QStringList paragraphs = paragraphsOf(shown);
    for (qsizetype index = 0; index < paragraphs.size(); ++index) {
        if (lines.size() == maxLines) {
            cut = true;
            break;
        }
        if (wrapParagraph(paragraphs[index], font, lineWidth, maxLines, lines)) {
            cut = true;
            break;
        }
    }
    if (cut) {
        lines.back() = withEllipsis(lines.back(), font, lineWidth);
    }
    return lines;
}

}  // namespace nimbrook
