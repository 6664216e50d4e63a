#include "ui/ItemRowPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

#include "ui/AppMeta.h"
#include "ui/SymbolIcons.h"

namespace nimbrook {

namespace {

constexpr int horizontalPadding = 14;
constexpr int verticalPadding = 8;
constexpr int badgeSize = 20;
constexpr int badgeTopExtra = 2;
constexpr int columnSpacing = 10;
constexpr int textSpacing = 4;
constexpr int metaSpacing = 6;
constexpr int controlSize = 22;
constexpr int controlSpacing = 8;
constexpr int cornerRadius = 4;
constexpr qreal focusRingWidth = 1.5;
constexpr qreal tagIconSize = 8;
constexpr int tagHorizontalPadding = 6;
constexpr int tagVerticalPadding = 2;
constexpr int tagSpacing = 3;
constexpr int checkerCell = 6;
// A window may carry any name; more than this never fits the tag and only costs time.
constexpr qsizetype maxShownNameLength = 256;

// The text column always leaves room for the hover controls, so a row keeps its height
// when the pointer enters it.
constexpr int textLeft = horizontalPadding + badgeSize + columnSpacing;
constexpr int controlsWidth = columnSpacing + 3 * controlSize + 2 * controlSpacing;
constexpr qreal pinMarkSize = 10;

struct TypeLook {
    const char16_t* icon;
    NamedColor color;
};

TypeLook lookOf(ContentType type) {
    switch (type) {
        case ContentType::json:
            return {u"curlybraces", NamedColor::orange};
        case ContentType::code:
            return {u"chevron.left.forwardslash.chevron.right", NamedColor::blue};
        case ContentType::url:
            return {u"link", NamedColor::green};
        case ContentType::markdown:
            return {u"text.document", NamedColor::purple};
        case ContentType::plainText:
            return {u"text.alignleft", NamedColor::secondaryLabel};
        case ContentType::image:
            return {u"photo", NamedColor::pink};
    }
    return {u"text.alignleft", NamedColor::secondaryLabel};
}

void paintControl(QPainter& painter, const QRect& rect, QStringView icon, qreal size,
                  const QColor& color, qreal backgroundOpacity) {
    QColor background = color;
    background.setAlphaF(color.alphaF() * backgroundOpacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(rect), cornerRadius, cornerRadius);
    SymbolIcons::paint(painter, QRectF(rect), icon, size, color);
}

// The source tag at `topLeft`, no wider than `maxWidth`: a long name is elided, never
// drawn over the hover controls.
void paintTag(QPainter& painter, const QPointF& topLeft, qreal height, qreal maxWidth,
              const QString& name, const QFont& font, const Theme& theme) {
    const AppMeta meta = appMeta(name.toStdString());
    const QColor color = theme.color(meta.color);
    const QFontMetricsF metrics(font);
    const qreal fixedWidth = 2 * tagHorizontalPadding + tagIconSize + tagSpacing;
    const QString shown =
        metrics.elidedText(name, Qt::ElideRight, std::max<qreal>(0, maxWidth - fixedWidth));
    const qreal nameWidth = name.isEmpty() ? 0 : metrics.horizontalAdvance(shown);
    const qreal width = fixedWidth + nameWidth - (name.isEmpty() ? tagSpacing : 0);
    const QRectF capsule(topLeft, QSizeF(width, height));
    const qreal radius = height / 2;

    painter.setPen(Qt::NoPen);
    painter.setBrush(theme.color(meta.color, 0.12));
    painter.drawRoundedRect(capsule, radius, radius);
    painter.setPen(QPen(theme.color(meta.color, 0.25), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(capsule.adjusted(0.25, 0.25, -0.25, -0.25), radius, radius);

    const QRectF icon(capsule.left() + tagHorizontalPadding, capsule.top(), tagIconSize, height);
    SymbolIcons::paint(painter, icon, meta.icon, tagIconSize, color);
    if (!name.isEmpty()) {
        painter.setFont(font);
        painter.setPen(color);
        const QRectF text(icon.right() + tagSpacing, capsule.top(), nameWidth + 1, height);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
}

}  // namespace

ItemRowPainter::ItemRowPainter() {
    const QFontMetricsF preview(previewFont_);
    lineSpacing_ = qCeil(preview.lineSpacing());
    previewAscent_ = preview.ascent();
    const qreal tag = QFontMetricsF(tagFont_).height() + 2 * tagVerticalPadding;
    metaHeight_ = qCeil(std::max(QFontMetricsF(timeFont_).height(), tag));
}

int ItemRowPainter::previewWidth(int rowWidth) {
    return rowWidth - textLeft - controlsWidth - horizontalPadding;
}

int ItemRowPainter::rowHeight(qsizetype lineCount) const {
    const int column = static_cast<int>(lineCount) * lineSpacing_ + textSpacing + metaHeight_;
    return 2 * verticalPadding + std::max(badgeSize + badgeTopExtra, column) + dividerHeight;
}

QSize ItemRowPainter::pictureBox(int rowWidth) const {
    return {previewWidth(rowWidth), PreviewLayout::maxLines * lineSpacing_};
}

QRect ItemRowPainter::deleteButtonRect(const QRect& rowRect) {
    return QRect(rowRect.right() + 1 - horizontalPadding - controlSize,
                 rowRect.top() + verticalPadding, controlSize, controlSize);
}

QRect ItemRowPainter::menuButtonRect(const QRect& rowRect) {
    return deleteButtonRect(rowRect).translated(-(controlSize + controlSpacing), 0);
}

QRect ItemRowPainter::pinButtonRect(const QRect& rowRect, bool hasMenu) {
    const QRect before = hasMenu ? menuButtonRect(rowRect) : deleteButtonRect(rowRect);
    return before.translated(-(controlSize + controlSpacing), 0);
}

QRect ItemRowPainter::previewRect(const QRect& rect, qsizetype lineCount) const {
    return QRect(rect.left() + textLeft, rect.top() + verticalPadding, previewWidth(rect.width()),
                 static_cast<int>(lineCount) * lineSpacing_);
}

PreviewLayout::Position ItemRowPainter::positionAt(const QRect& rect, const QStringList& lines,
                                                   const QPoint& point) const {
    const QRect area = previewRect(rect, lines.size());
    if (lines.isEmpty() || point.y() < area.top()) {
        return {};
    }
    const int line = (point.y() - area.top()) / lineSpacing_;
    if (line >= lines.size()) {
        return {static_cast<int>(lines.size() - 1), static_cast<int>(lines.back().size())};
    }
    // The nearest boundary between graphemes: a selection never splits a character.
    const QString& text = lines[line];
    const QFontMetricsF metrics(previewFont_);
    const qreal x = point.x() - area.left();
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    int best = 0;
    qreal bestDistance = std::abs(x);
    for (qsizetype boundary = graphemes.toNextBoundary(); boundary > 0;
         boundary = graphemes.toNextBoundary()) {
        const qreal distance = std::abs(metrics.horizontalAdvance(text.left(boundary)) - x);
        if (distance > bestDistance) {
            break;
        }
        best = static_cast<int>(boundary);
        bestDistance = distance;
    }
    return {line, best};
}

void ItemRowPainter::paintSectionLabel(QPainter& painter, const QRect& band) const {
    const Theme theme = Theme::current();
    painter.save();
    painter.fillRect(band, theme.color(NamedColor::windowBackground));
    painter.setFont(sectionFont_);
    painter.setPen(theme.color(NamedColor::secondaryLabel));
    painter.drawText(band.adjusted(horizontalPadding, textSpacing, -horizontalPadding, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QStringLiteral("已置顶"));
    painter.restore();
}

void ItemRowPainter::paintSectionDivider(QPainter& painter, const QRect& band) {
    const Theme theme = Theme::current();
    painter.fillRect(band, theme.color(NamedColor::windowBackground));
    const int middle = band.top() + band.height() / 2;
    painter.fillRect(QRect(band.left(), middle, band.width(), dividerHeight),
                     theme.color(NamedColor::separator));
}

void ItemRowPainter::paintSelection(QPainter& painter, const QRect& rect,
                                    const RowContents& row) const {
    const auto& [from, to] = *row.selection;
    const QFontMetricsF metrics(previewFont_);
    const QRect area = previewRect(rect, row.previewLines.size());
    const QColor color = Theme::current().color(NamedColor::accent, 0.3);
    const int last = std::min<int>(to.line, static_cast<int>(row.previewLines.size()) - 1);
    for (int line = std::max(0, from.line); line <= last; ++line) {
        const QString& text = row.previewLines[line];
        const qreal left =
            line == from.line ? metrics.horizontalAdvance(text.left(from.column)) : 0;
        qreal right = metrics.horizontalAdvance(line == to.line ? text.left(to.column) : text);
        // A selected line end shows as a little room past the text.
        if (line != to.line) {
            right += metrics.averageCharWidth() / 2;
        }
        painter.fillRect(QRectF(area.left() + left, area.top() + line * lineSpacing_, right - left,
                                lineSpacing_),
                         color);
    }
}

void ItemRowPainter::paintPicture(QPainter& painter, const QRect& area, const RowPicture& picture,
                                  const Theme& theme) const {
    if (picture.lost) {
        painter.setFont(lostFont_);
        painter.setPen(theme.color(NamedColor::secondaryLabel));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         QStringLiteral("图片已丢失"));
        return;
    }
    if (picture.image.isNull()) {
        return;
    }
    const QRect shown(area.topLeft(), picture.image.deviceIndependentSize().toSize());
    // The squares show through where the picture is transparent.
    painter.fillRect(shown, theme.color(NamedColor::primaryLabel, 0.03));
    painter.save();
    painter.setClipRect(shown);
    const QColor square = theme.color(NamedColor::primaryLabel, 0.07);
    for (int y = shown.top(); y <= shown.bottom(); y += checkerCell) {
        const int row = (y - shown.top()) / checkerCell;
        for (int x = shown.left() + (row % 2) * checkerCell; x <= shown.right();
             x += 2 * checkerCell) {
            painter.fillRect(QRect(x, y, checkerCell, checkerCell), square);
        }
    }
    painter.restore();
    painter.drawImage(shown.topLeft(), picture.image);
}

void ItemRowPainter::paint(QPainter& painter, const QRect& rect, const RowContents& row) const {
    const Theme theme = Theme::current();
    const QRect area = rect.adjusted(0, 0, 0, -dividerHeight);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    if (row.copied) {
        painter.fillRect(area, theme.color(NamedColor::green, 0.12));
    } else if (row.selected) {
        painter.fillRect(area, theme.color(NamedColor::accent, 0.1));
    } else if (row.hovered) {
        painter.fillRect(area, theme.color(NamedColor::primaryLabel, 0.04));
    }
    painter.fillRect(QRect(rect.left(), area.bottom() + 1, rect.width(), dividerHeight),
                     theme.color(NamedColor::separator, 0.3));

    const TypeLook look = lookOf(row.type);
    const QRect badge(area.left() + horizontalPadding, area.top() + verticalPadding + badgeTopExtra,
                      badgeSize, badgeSize);
    paintControl(painter, badge, look.icon, 10, theme.color(look.color), 0.12);

    if (row.selection) {
        paintSelection(painter, area, row);
    }
    qreal baseline = area.top() + verticalPadding + previewAscent_;
    if (row.picture) {
        paintPicture(painter, previewRect(area, PreviewLayout::maxLines), *row.picture, theme);
        baseline += PreviewLayout::maxLines * lineSpacing_;
    } else {
        painter.setFont(previewFont_);
        painter.setPen(theme.color(NamedColor::primaryLabel));
        for (const QString& line : row.previewLines) {
            painter.drawText(QPointF(area.left() + textLeft, baseline), line);
            baseline += lineSpacing_;
        }
    }

    const qreal metaTop = baseline - previewAscent_ + textSpacing;
    painter.setFont(timeFont_);
    painter.setPen(theme.color(NamedColor::tertiaryLabel));
    const qreal timeWidth = QFontMetricsF(timeFont_).horizontalAdvance(row.time);
    painter.drawText(QRectF(area.left() + textLeft, metaTop, timeWidth + 1, metaHeight_),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, row.time);
    qreal metaRight = area.left() + textLeft + timeWidth;
    if (row.pinned) {
        const QRectF mark(metaRight + metaSpacing / 2.0, metaTop, pinMarkSize, metaHeight_);
        SymbolIcons::paint(painter, mark, u"pin.fill", pinMarkSize,
                           theme.color(NamedColor::orange));
        metaRight = mark.right();
    }
    if (row.source) {
        const qreal tagLeft = metaRight + metaSpacing;
        const qreal maxWidth = area.left() + textLeft + previewWidth(rect.width()) - tagLeft;
        paintTag(painter, QPointF(tagLeft, metaTop), metaHeight_, maxWidth,
                 row.source->left(maxShownNameLength), tagFont_, theme);
    }

    if (row.hovered) {
        // Set, the pin is drawn in full colour: the button also says the entry is pinned.
        paintControl(painter, pinButtonRect(area, row.hasMenu), u"pin.fill", 12,
                     theme.color(row.pinned ? NamedColor::orange : NamedColor::secondaryLabel),
                     row.pinned ? 0.2 : 0.1);
        if (row.hasMenu) {
            paintControl(painter, menuButtonRect(area), u"wand.and.stars", 12,
                         theme.color(NamedColor::accent), 0.12);
        }
        paintControl(painter, deleteButtonRect(area), u"trash", 11, theme.color(NamedColor::red),
                     0.1);
    }
    if (row.selected) {
        painter.setPen(QPen(theme.color(NamedColor::accent), focusRingWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(
            QRectF(area).adjusted(focusRingWidth, focusRingWidth, -focusRingWidth, -focusRingWidth),
            cornerRadius, cornerRadius);
    }
    painter.restore();
}

}  // namespace nimbrook
