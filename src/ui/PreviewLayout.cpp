#include "ui/PreviewLayout.h"

#include <QFontMetricsF>
#include <QList>
#include <QTextLayout>
#include <algorithm>

namespace nimbrook {

namespace {

constexpr QChar ellipsis(0x2026);
// Three lines of a 400-point row show far fewer characters than this; a preview of a few
// graphemes can still be megabytes long (thousands of combining marks each), and shaping
// all of it on every paint would stall the panel.
constexpr qsizetype maxLaidOutLength = 4096;

// The shown lines and where each one starts in the text they were cut from.
struct LaidOut {
    QString text;
    QStringList shown;
    QList<qsizetype> starts;
    bool cut = false;
};

// Every line break the core's trimming knows ends a line here too, and tabs become spaces
// because a painter draws no tab stops.
QString normalized(const QString& text) {
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QChar breakChar :
         {QChar(u'\r'), QChar(u'\v'), QChar(u'\f'), QChar(0x85), QChar(0x2028), QChar(0x2029)}) {
        result.replace(breakChar, u'\n');
    }
    result.replace(u'\t', QStringLiteral("    "));
    return result;
}

// Appends the lines of the paragraph at `start` of `length` in `laid.text` until
// `laid.shown` holds `limit`; returns whether text of this paragraph was left over.
bool wrapParagraph(LaidOut& laid, qsizetype start, qsizetype length, const QFont& font, qreal width,
                   qsizetype limit) {
    if (length == 0) {
        laid.shown.append(QString());
        laid.starts.append(start);
        return false;
    }
    const QString paragraph = laid.text.mid(start, length);
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    bool leftOver = false;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (laid.shown.size() == limit) {
            leftOver = true;
            break;
        }
        line.setLineWidth(width);
        laid.shown.append(paragraph.mid(line.textStart(), line.textLength()));
        laid.starts.append(start + line.textStart());
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

LaidOut layOut(const QString& text, const QFont& font, int width) {
    const qreal lineWidth = qMax(1, width);
    LaidOut laid;
    laid.cut = text.size() > maxLaidOutLength;
    QString shown = text.left(maxLaidOutLength);
    if (laid.cut && shown.back().isHighSurrogate()) {
        shown.chop(1);
    }
    laid.text = normalized(shown);
    qsizetype start = 0;
    while (start <= laid.text.size()) {
        if (laid.shown.size() == PreviewLayout::maxLines) {
            laid.cut = true;
            break;
        }
        qsizetype end = laid.text.indexOf(u'\n', start);
        if (end < 0) {
            end = laid.text.size();
        }
        if (wrapParagraph(laid, start, end - start, font, lineWidth, PreviewLayout::maxLines)) {
            laid.cut = true;
            break;
        }
        start = end + 1;
    }
    if (laid.cut) {
        laid.shown.back() = withEllipsis(laid.shown.back(), font, lineWidth);
    }
    return laid;
}

}  // namespace

QStringList PreviewLayout::lines(const QString& text, const QFont& font, int width) {
    return layOut(text, font, width).shown;
}

QString PreviewLayout::textBetween(const QString& text, const QFont& font, int width, Position from,
                                   Position to) {
    const LaidOut laid = layOut(text, font, width);
    const auto offsetOf = [&laid](Position position) {
        const auto last = laid.shown.size() - 1;
        const qsizetype line = std::clamp<qsizetype>(position.line, 0, last);
        // The ellipsis closes the last line of a cut preview; the text ends before it.
        const qsizetype length = laid.shown[line].size() - (laid.cut && line == last ? 1 : 0);
        return laid.starts[line] + std::clamp<qsizetype>(position.column, 0, length);
    };
    const qsizetype first = offsetOf(std::min(from, to));
    return laid.text.mid(first, offsetOf(std::max(from, to)) - first);
}

}  // namespace nimbrook
