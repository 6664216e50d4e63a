#pragma once

#include <QAbstractItemView>
#include <QHash>
#include <QMenu>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>
#include <optional>
#include <vector>

#include "conversion/SmartConverter.h"
#include "model/ContentType.h"
#include "ui/ImageDecoder.h"
#include "ui/ItemRowPainter.h"

class QResizeEvent;

namespace nimbrook {

class ClipboardItem;
class ClipboardViewModel;
class EntryChooser;
class HistoryListModel;
class ThumbnailCache;

// Paints one history entry of a HistoryListModel: type badge, preview of at most three
// lines (for an image, its thumbnail), relative time, pin mark and source tag, and, for the
// hovered row only, the pin button, the conversion menu button and the delete button. The first
// pinned row carries the section label above it, the last one the divider below it. A click on
// the row copies the entry; the controls run only their own action; a press and drag on the
// preview selects text instead; a right click opens the row's menu.
class ClipboardItemRow final : public QStyledItemDelegate {
    Q_OBJECT

public:
    // A click chooses the entry through `chooser`, a Shift+click pastes it.
    ClipboardItemRow(ClipboardViewModel& viewModel, const EntryChooser& chooser,
                     QObject* parent = nullptr);

    // The conversions the menu offers for `type`, in menu order; empty for images.
    static std::vector<SmartConverter::Conversion> conversionsFor(ContentType type);
    // Where the conversion menu button of a hovered row with `rowRect` sits; an empty
    // rectangle for a type without conversions.
    static QRect menuButtonRect(const QRect& rowRect, ContentType type);
    // Where the delete button of a hovered row with `rowRect` sits.
    static QRect deleteButtonRect(const QRect& rowRect);
    // Where the pin button of a hovered row with `rowRect` sits.
    static QRect pinButtonRect(const QRect& rowRect, ContentType type);
    // The part of the row at `index`, whose whole rectangle is `rect`, that shows the entry:
    // without the section label above it or the section divider below it.
    static QRect entryRect(const QRect& rect, const QModelIndex& index);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // Follows the pointer over the viewport of `view`, the view this delegate paints for, so
    // that only the row under the pointer shows its controls.
    void trackHover(QAbstractItemView& view);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The row the keyboard selected, drawn ringed; an invalid index for none. It stays on
    // its entry while other rows come and go.
    void setSelected(const QModelIndex& index);
    QModelIndex selected() const { return selectedIndex_; }
    // Opens the row menu of `index` (its conversions, then "不再记录此应用" for an entry with
    // a source application not ignored yet) from the keyboard, its first item active; false
    // when the menu would be empty.
    bool openConversionMenu(const QModelIndex& index);

    // The conversion menu open right now, or nullptr.
    QMenu* openMenu() const { return menu_; }
    // The preview text selected with the pointer; empty when nothing is.
    QString selectedText() const;

private:
    enum class Target { row, pin, menu, remove };

    int rowWidth(const QStyleOptionViewItem& option) const;
    const QStringList& previewLines(const QModelIndex& index, int rowWidth) const;
    // The picture of an image row; the image rows just above and below are read ahead.
    RowPicture pictureOf(const QModelIndex& index, int rowWidth, qreal pixelRatio) const;
    std::optional<DecodedImage> thumbnailOf(const QModelIndex& index, QSize box) const;
    bool showsControls(const QModelIndex& index) const;
    bool inPinnedPart(const QModelIndex& index) const;
    void relayOutOnNewWidth(const QResizeEvent& event);
    void setHovered(const QModelIndex& index);
    // Moves the hover or the selection to `index`, repainting the row it leaves and the one
    // it reaches.
    void moveMark(QPersistentModelIndex& mark, const QModelIndex& index);
    Target targetAt(const QPoint& position, const QModelIndex& index, const QRect& rowRect) const;
    void hoverAtCursor();
    void openConversionMenu(const ClipboardItem& item, const QRect& buttonRect,
                            const QModelIndex& index, QWidget* view);
    void menuClosed();
    void dragTo(const QPoint& position);
    void setSelection(const QModelIndex& index, PreviewLayout::Position anchor,
                      PreviewLayout::Position end);
    void clearSelection();

    ClipboardViewModel& viewModel_;
    const EntryChooser& chooser_;
    ItemRowPainter painter_;
    ThumbnailCache* thumbnails_ = nullptr;
    // Entries never change, so a row's wrapped preview is kept by id for the current width.
    mutable QHash<QByteArray, QStringList> previewCache_;
    mutable int previewCacheWidth_ = -1;
    QPointer<QAbstractItemView> view_;
    QPersistentModelIndex hoveredIndex_;
    QPersistentModelIndex selectedIndex_;
    QPersistentModelIndex pressedIndex_;
    std::optional<Target> pressedTarget_;
    QPoint pressedAt_;
    // A press on the preview that has moved far enough is a selection, not a click.
    bool selecting_ = false;
    QPersistentModelIndex selectionIndex_;
    PreviewLayout::Position selectionAnchor_;
    PreviewLayout::Position selectionEnd_;
    QPointer<QMenu> menu_;
    QPersistentModelIndex menuIndex_;
};

}  // namespace nimbrook
