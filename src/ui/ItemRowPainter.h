#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

#include "model/ContentType.h"
#include "ui/PreviewLayout.h"
#include "ui/Theme.h"

class QPainter;

namespace nimbrook {

// An image entry's picture, shown in place of its preview lines: the thumbnail (a null image
// while it is read), or `lost` when the file is missing or cannot be read.
struct RowPicture {
    QImage image;
    bool lost = false;
};

// What one history row shows.
struct RowContents {
    ContentType type = ContentType::plainText;
    QStringList previewLines;
    QString time;
    // The source application as recorded; absent means no tag at all.
    std::optional<QString> source;
    bool copied = false;
    // A pin mark beside the time, and the pin button drawn set.
    bool pinned = false;
    // The hover fill and the controls; the menu button only with `hasMenu`.
    bool hovered = false;
    bool hasMenu = false;
    // The row the keyboard moved to: a tinted fill inside an accent ring.
    bool selected = false;
    // Selected preview text, from the first position to the second.
    std::optional<std::pair<PreviewLayout::Position, PreviewLayout::Position>> selection;
    std::optional<RowPicture> picture;
};

// Draws a history row: type badge, preview lines, relative time and source tag, and the
// hover controls; and knows where those parts sit in a row's rectangle.
class ItemRowPainter final {
public:
    static constexpr int dividerHeight = 1;
    // The band above the first pinned row that holds "已置顶", and the one below the last
    // pinned row that holds the line parting them from the others.
    static constexpr int sectionLabelHeight = 22;
    static constexpr int sectionDividerHeight = 7;

    ItemRowPainter();

    const QFont& previewFont() const { return previewFont_; }
    // How wide preview lines may be in a row `rowWidth` wide. The controls' room is always
    // kept free, so a row keeps its height when the pointer enters it.
    static int previewWidth(int rowWidth);
    // The height of a row with `lineCount` preview lines, its divider included.
    int rowHeight(qsizetype lineCount) const;
    // The room of an image row's picture, in a row `rowWidth` wide: the text column's width,
    // as high as the most preview lines.
    QSize pictureBox(int rowWidth) const;
    // The controls of a row whose rectangle (without its divider) is `rowRect`.
    static QRect deleteButtonRect(const QRect& rowRect);
    static QRect menuButtonRect(const QRect& rowRect);
    // Before the menu button, or in its place in a row without one.
    static QRect pinButtonRect(const QRect& rowRect, bool hasMenu);
    // Where `lineCount` preview lines sit in the row with the rectangle `rect`.
    QRect previewRect(const QRect& rect, qsizetype lineCount) const;
    // The place between characters of `lines` nearest to `point`, for a row with the
    // rectangle `rect`; above the lines it is their start, below them their end.
    PreviewLayout::Position positionAt(const QRect& rect, const QStringList& lines,
                                       const QPoint& point) const;

    // Paints `row` into `rect`, the row's whole rectangle with its divider.
    void paint(QPainter& painter, const QRect& rect, const RowContents& row) const;
    // "已置顶" in `band`, a row's top sectionLabelHeight pixels.
    void paintSectionLabel(QPainter& painter, const QRect& band) const;
    // The line in `band`, a row's bottom sectionDividerHeight pixels.
    static void paintSectionDivider(QPainter& painter, const QRect& band);

private:
    void paintPicture(QPainter& painter, const QRect& area, const RowPicture& picture,
                      const Theme& theme) const;
    void paintSelection(QPainter& painter, const QRect& rect, const RowContents& row) const;

    QFont previewFont_ = Theme::monospacedFont(12);
    QFont lostFont_ = Theme::systemFont(12);
    QFont timeFont_ = Theme::systemFont(10);
    QFont tagFont_ = Theme::systemFont(10, QFont::Medium);
    QFont sectionFont_ = Theme::systemFont(10, QFont::DemiBold);
    int lineSpacing_ = 0;
    qreal previewAscent_ = 0;
    int metaHeight_ = 0;
};

}  // namespace nimbrook
