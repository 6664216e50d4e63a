#include "ui/ClipboardItemRow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolTip>

#include "controller/ClipboardViewModel.h"
#include "model/HistoryLimit.h"
#include "ui/EntryChooser.h"
#include "ui/HistoryListModel.h"
#include "ui/ItemRowPainter.h"
#include "ui/PreviewLayout.h"
#include "ui/RowMenu.h"
#include "ui/RowSections.h"
#include "ui/RowToolTip.h"
#include "ui/ThumbnailCache.h"

namespace nimbrook {

namespace {

constexpr int defaultRowWidth = 400;
// Image rows this far above and below a painted one are read ahead, so that a scroll by a
// few rows finds their pictures ready.
constexpr int readAheadRows = 3;

ContentType typeOf(const QModelIndex& index) {
    return static_cast<ContentType>(index.data(HistoryListModel::ContentTypeRole).toInt());
}

}  // namespace

ClipboardItemRow::ClipboardItemRow(ClipboardViewModel& viewModel, const EntryChooser& chooser,
                                   QObject* parent)
    : QStyledItemDelegate(parent),
      viewModel_(viewModel),
      chooser_(chooser),
      thumbnails_(new ThumbnailCache(viewModel.workQueue(), this)) {
    connect(thumbnails_, &ThumbnailCache::decoded, this, [this] {
        if (view_ != nullptr) {
            view_->viewport()->update();
        }
    });
}

std::vector<SmartConverter::Conversion> ClipboardItemRow::conversionsFor(ContentType type) {
    return SmartConverter::offeredFor(type);
}

QRect ClipboardItemRow::deleteButtonRect(const QRect& rowRect) {
    return ItemRowPainter::deleteButtonRect(rowRect);
}

QRect ClipboardItemRow::menuButtonRect(const QRect& rowRect, ContentType type) {
    return conversionsFor(type).empty() ? QRect() : ItemRowPainter::menuButtonRect(rowRect);
}

QRect ClipboardItemRow::pinButtonRect(const QRect& rowRect, ContentType type) {
    return ItemRowPainter::pinButtonRect(rowRect, !conversionsFor(type).empty());
}

QRect ClipboardItemRow::entryRect(const QRect& rect, const QModelIndex& index) {
    return RowSections::entryRect(rect, index);
}

const QStringList& ClipboardItemRow::previewLines(const QModelIndex& index, int rowWidth) const {
    const int width = ItemRowPainter::previewWidth(rowWidth);
    if (width != previewCacheWidth_ ||
        previewCache_.size() > 4 * static_cast<qsizetype>(historyLimit)) {
        previewCache_.clear();
        previewCacheWidth_ = width;
    }
    // Keyed by the id's bytes: the whole list is measured after every insertion, so the key
    // must be cheap to make.
    const auto* model = qobject_cast<const HistoryListModel*>(index.model());
    const ClipboardItem* entry = model != nullptr ? model->item(index.row()) : nullptr;
    const QByteArray key =
        entry != nullptr ? QByteArray(reinterpret_cast<const char*>(entry->id().bytes().data()),
                                      static_cast<qsizetype>(entry->id().bytes().size()))
                         : index.data(HistoryListModel::IdRole).toString().toUtf8();
    auto found = previewCache_.find(key);
    if (found == previewCache_.end()) {
        const QString preview = index.data(HistoryListModel::PreviewRole).toString();
        found =
            previewCache_.insert(key, PreviewLayout::lines(preview, painter_.previewFont(), width));
    }
    return *found;
}

int ClipboardItemRow::rowWidth(const QStyleOptionViewItem& option) const {
    // The list measures rows with an option whose rectangle may be empty and paints them
    // with the real one: both must wrap at the same width, or every layout would wrap
    // every preview anew.
    if (view_ != nullptr) {
        return view_->viewport()->width();
    }
    return option.rect.width() > 0 ? option.rect.width() : defaultRowWidth;
}

QSize ClipboardItemRow::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const int width = rowWidth(option);
    // A picture takes the room of a whole preview.
    const qsizetype lines = typeOf(index) == ContentType::image ? PreviewLayout::maxLines
                                                                : previewLines(index, width).size();
    return QSize(width, painter_.rowHeight(lines) +
                            (inPinnedPart(index) ? RowSections::bandsHeight(index) : 0));
}

// The pinned rows lead the list, so no row past as many as there are pins is one: the whole
// list is measured after every change, and most rows need not be asked.
bool ClipboardItemRow::inPinnedPart(const QModelIndex& index) const {
    return static_cast<std::size_t>(index.row()) < viewModel_.pinnedCount();
}

bool ClipboardItemRow::showsControls(const QModelIndex& index) const {
    const bool menuOpenHere = menu_ != nullptr && menuIndex_ == index;
    return menuOpenHere || (hoveredIndex_.isValid() && hoveredIndex_ == index);
}

void ClipboardItemRow::trackHover(QAbstractItemView& view) {
    view_ = &view;
    view.setMouseTracking(true);
    view.viewport()->setMouseTracking(true);
    view.viewport()->installEventFilter(this);
    // Rows move under a resting pointer when entries come or go; the controls follow the
    // pointer, not the entry that was under it.
    if (QAbstractItemModel* model = view.model()) {
        const auto refresh = [this] {
            QMetaObject::invokeMethod(this, &ClipboardItemRow::hoverAtCursor, Qt::QueuedConnection);
        };
        connect(model, &QAbstractItemModel::rowsInserted, this, refresh);
        connect(model, &QAbstractItemModel::rowsRemoved, this, refresh);
        connect(model, &QAbstractItemModel::modelReset, this, refresh);
    }
}

void ClipboardItemRow::hoverAtCursor() {
    if (view_ == nullptr) {
        return;
    }
    // Asked of the window system, not of the enter and leave events: a closed popup menu
    // leaves the pointer over the row without a new enter event.
    QWidget* viewport = view_->viewport();
    const QPoint position = viewport->mapFromGlobal(QCursor::pos());
    setHovered(QApplication::widgetAt(QCursor::pos()) == viewport ? view_->indexAt(position)
                                                                  : QModelIndex());
}

bool ClipboardItemRow::eventFilter(QObject* watched, QEvent* event) {
    if (view_ != nullptr && watched == view_->viewport()) {
        switch (event->type()) {
            case QEvent::MouseMove: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                const QPoint position = mouse->position().toPoint();
                setHovered(view_->indexAt(position));
                if (pressedTarget_ == Target::row && (mouse->buttons() & Qt::LeftButton)) {
                    dragTo(position);
                }
                break;
            }
            case QEvent::Resize:
                relayOutOnNewWidth(*static_cast<QResizeEvent*>(event));
                break;
            case QEvent::Leave:
                setHovered({});
                break;
            case QEvent::Hide:
                setHovered({});
                clearSelection();
                break;
            default:
                break;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void ClipboardItemRow::relayOutOnNewWidth(const QResizeEvent& event) {
    // The list lays its rows out anew only when its height changes. A scroll bar that comes
    // or goes changes the width the previews wrap at, and so the rows' heights: measured at
    // the old width, a row would be painted over the next one.
    if (event.size().width() != event.oldSize().width()) {
        view_->doItemsLayout();
    }
}

void ClipboardItemRow::setHovered(const QModelIndex& index) {
    moveMark(hoveredIndex_, index);
}

void ClipboardItemRow::setSelected(const QModelIndex& index) {
    moveMark(selectedIndex_, index);
}

void ClipboardItemRow::moveMark(QPersistentModelIndex& mark, const QModelIndex& index) {
    if (mark == index) {
        return;
    }
    const QModelIndex previous = mark;
    mark = index;
    if (view_ != nullptr) {
        view_->update(previous);
        view_->update(index);
    }
}

bool ClipboardItemRow::openConversionMenu(const QModelIndex& index) {
    const auto* model = qobject_cast<const HistoryListModel*>(index.model());
    const ClipboardItem* entry = model != nullptr ? model->item(index.row()) : nullptr;
    if (entry == nullptr || view_ == nullptr || !RowMenu::offersAnything(viewModel_, *entry)) {
        return false;
    }
    const QRect row = entryRect(view_->visualRect(index), index)
                          .adjusted(0, 0, 0, -ItemRowPainter::dividerHeight);
    // An entry without conversions has no menu button: its menu hangs from the pin button.
    const QRect button = conversionsFor(entry->contentType()).empty()
                             ? pinButtonRect(row, entry->contentType())
                             : menuButtonRect(row, entry->contentType());
    openConversionMenu(*entry, button, index, view_);
    menu_->setActiveAction(menu_->actions().value(0));
    return true;
}

void ClipboardItemRow::dragTo(const QPoint& position) {
    if (view_ == nullptr || !pressedIndex_.isValid()) {
        return;
    }
    // A picture has no text to select: a press on it is a click.
    if (typeOf(pressedIndex_) == ContentType::image) {
        return;
    }
    const QRect row = view_->visualRect(pressedIndex_);
    const QStringList& lines = previewLines(pressedIndex_, view_->viewport()->width());
    if (!selecting_) {
        // A press beside the text, or a hand that shook a little, is still a click.
        if (!painter_.previewRect(row, lines.size()).contains(pressedAt_) ||
            (position - pressedAt_).manhattanLength() < QApplication::startDragDistance()) {
            return;
        }
        selecting_ = true;
        selectionAnchor_ = painter_.positionAt(row, lines, pressedAt_);
    }
    setSelection(pressedIndex_, selectionAnchor_, painter_.positionAt(row, lines, position));
}

void ClipboardItemRow::setSelection(const QModelIndex& index, PreviewLayout::Position anchor,
                                    PreviewLayout::Position end) {
    if (selectionIndex_ == index && selectionAnchor_ == anchor && selectionEnd_ == end) {
        return;
    }
    selectionIndex_ = index;
    selectionAnchor_ = anchor;
    selectionEnd_ = end;
    if (view_ != nullptr) {
        view_->update(index);
    }
}

void ClipboardItemRow::clearSelection() {
    if (!selectionIndex_.isValid()) {
        return;
    }
    const QModelIndex previous = selectionIndex_;
    selectionIndex_ = QPersistentModelIndex();
    if (view_ != nullptr) {
        view_->update(previous);
    }
}

QString ClipboardItemRow::selectedText() const {
    if (!selectionIndex_.isValid() || selectionAnchor_ == selectionEnd_ || view_ == nullptr) {
        return {};
    }
    return PreviewLayout::textBetween(
        selectionIndex_.data(HistoryListModel::PreviewRole).toString(), painter_.previewFont(),
        ItemRowPainter::previewWidth(view_->viewport()->width()), selectionAnchor_, selectionEnd_);
}

std::optional<DecodedImage> ClipboardItemRow::thumbnailOf(const QModelIndex& index,
                                                          QSize box) const {
    return thumbnails_->find(index.data(HistoryListModel::PreviewRole).toString(), box);
}

RowPicture ClipboardItemRow::pictureOf(const QModelIndex& index, int rowWidth,
                                       qreal pixelRatio) const {
    const QSize box = painter_.pictureBox(rowWidth) * pixelRatio;
    const std::optional<DecodedImage> found = thumbnailOf(index, box);
    for (int step = -readAheadRows; step <= readAheadRows; ++step) {
        const QModelIndex near = index.siblingAtRow(index.row() + step);
        if (step != 0 && near.isValid() && typeOf(near) == ContentType::image) {
            thumbnailOf(near, box);
        }
    }
    if (!found) {
        return {};
    }
    if (found->status != DecodedImage::Status::decoded) {
        return {.image = {}, .lost = true};
    }
    QImage image = found->image;
    image.setDevicePixelRatio(pixelRatio);
    return {.image = image, .lost = false};
}

void ClipboardItemRow::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QVariant source = index.data(HistoryListModel::SourceAppRole);
    const ContentType type = typeOf(index);
    RowContents row{
        .type = type,
        .previewLines = previewLines(index, rowWidth(option)),
        .time = index.data(HistoryListModel::BusyRole).toBool()
                    ? QStringLiteral("转换中…")
                    : index.data(HistoryListModel::RelativeTimeRole).toString(),
        .source = source.isValid() ? std::optional(source.toString()) : std::nullopt,
        .copied = index.data(HistoryListModel::CopiedRole).toBool(),
        .pinned = inPinnedPart(index) && RowSections::isPinned(index),
        .hovered = showsControls(index),
        .hasMenu = !conversionsFor(type).empty(),
        .selected = selectedIndex_.isValid() && selectedIndex_ == index,
        .selection = std::nullopt,
        .picture = std::nullopt,
    };
    if (selectionIndex_ == index && selectionAnchor_ != selectionEnd_) {
        row.selection = std::minmax(selectionAnchor_, selectionEnd_);
    }
    if (type == ContentType::image) {
        row.picture = pictureOf(index, rowWidth(option), painter->device()->devicePixelRatioF());
    }
    painter_.paint(
        *painter,
        row.pinned ? RowSections::paintBands(*painter, painter_, option.rect, index) : option.rect,
        row);
}

ClipboardItemRow::Target ClipboardItemRow::targetAt(const QPoint& position,
                                                    const QModelIndex& index,
                                                    const QRect& rowRect) const {
    // Controls that are not drawn take no clicks: the row is then what the user clicked.
    if (!showsControls(index)) {
        return Target::row;
    }
    const QRect row = entryRect(rowRect, index).adjusted(0, 0, 0, -ItemRowPainter::dividerHeight);
    const ContentType type = typeOf(index);
    if (deleteButtonRect(row).contains(position)) {
        return Target::remove;
    }
    if (menuButtonRect(row, type).contains(position)) {
        return Target::menu;
    }
    if (pinButtonRect(row, type).contains(position)) {
        return Target::pin;
    }
    return Target::row;
}

bool ClipboardItemRow::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    const bool isPress = event->type() == QEvent::MouseButtonPress;
    const bool isRelease = event->type() == QEvent::MouseButtonRelease;
    if (event->type() == QEvent::MouseButtonDblClick) {
        // The first click of the pair already copied; a double click is not a second copy.
        return true;
    }
    if (!isPress && !isRelease) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton && isRelease) {
        const auto* listModel = qobject_cast<const HistoryListModel*>(model);
        const ClipboardItem* entry = listModel != nullptr ? listModel->item(index.row()) : nullptr;
        if (entry != nullptr && RowMenu::offersAnything(viewModel_, *entry)) {
            const QPoint at = mouse->position().toPoint();
            openConversionMenu(*entry, QRect(at, at), index, const_cast<QWidget*>(option.widget));
        }
    }
    if (mouse->button() != Qt::LeftButton) {
        return true;
    }
    const Target target = targetAt(mouse->position().toPoint(), index, option.rect);
    if (isPress) {
        clearSelection();
        selecting_ = false;
        pressedIndex_ = index;
        pressedTarget_ = target;
        pressedAt_ = mouse->position().toPoint();
        return true;
    }
    const bool sameControl = pressedIndex_ == index && pressedTarget_ == target && !selecting_;
    pressedIndex_ = QPersistentModelIndex();
    pressedTarget_.reset();
    selecting_ = false;
    const auto* listModel = qobject_cast<const HistoryListModel*>(model);
    const ClipboardItem* entry = listModel != nullptr ? listModel->item(index.row()) : nullptr;
    if (!sameControl || entry == nullptr) {
        return true;
    }
    // The action may change the model under this call, so it works on its own copy.
    const ClipboardItem item = *entry;
    switch (target) {
        case Target::row:
            chooser_.choose(item, mouse->modifiers() == Qt::ShiftModifier
                                      ? EntryChooser::Intent::paste
                                      : EntryChooser::Intent::choose);
            break;
        case Target::remove:
            viewModel_.deleteItem(item);
            break;
        case Target::pin:
            viewModel_.setPinned(item, !item.isPinned());
            break;
        case Target::menu:
            openConversionMenu(item, menuButtonRect(entryRect(option.rect, index), typeOf(index)),
                               index, const_cast<QWidget*>(option.widget));
            break;
    }
    return true;
}

void ClipboardItemRow::openConversionMenu(const ClipboardItem& item, const QRect& buttonRect,
                                          const QModelIndex& index, QWidget* view) {
    if (menu_ != nullptr) {
        menu_->close();
    }
    auto* menu = new RowMenu(viewModel_, item, view);
    menu_ = menu;
    menuIndex_ = index;
    auto* itemView = qobject_cast<QAbstractItemView*>(view);
    QWidget* surface = itemView != nullptr ? itemView->viewport() : view;
    connect(menu, &QMenu::aboutToHide, this, &ClipboardItemRow::menuClosed);
    // The menu hangs below the button and ends at its right edge, so that it opens over the
    // panel rather than past the panel's side.
    const QPoint corner = buttonRect.bottomRight() + QPoint(1 - menu->sizeHint().width(), 0);
    const QPoint anchor = surface != nullptr ? surface->mapToGlobal(corner) : corner;
    menu->popup(anchor + QPoint(0, 2));
}

void ClipboardItemRow::menuClosed() {
    if (menuIndex_.isValid() && view_ != nullptr) {
        view_->update(menuIndex_);
    }
    menuIndex_ = QPersistentModelIndex();
    // The menu took the pointer while it was open; the row under it now is hovered,
    // once the menu is really gone.
    QMetaObject::invokeMethod(this, &ClipboardItemRow::hoverAtCursor, Qt::QueuedConnection);
}

bool ClipboardItemRow::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    const QRect row =
        entryRect(option.rect, index).adjusted(0, 0, 0, -ItemRowPainter::dividerHeight);
    switch (targetAt(event->pos(), index, option.rect)) {
        case Target::pin:
            RowToolTip::show(
                RowSections::isPinned(index) ? QStringLiteral("取消置顶") : QStringLiteral("置顶"),
                pinButtonRect(row, typeOf(index)), event->globalPos(), *view->viewport());
            break;
        case Target::menu:
            RowToolTip::show(QStringLiteral("智能转换"), menuButtonRect(row, typeOf(index)),
                             event->globalPos(), *view->viewport());
            break;
        case Target::remove:
            RowToolTip::show(QStringLiteral("删除"), deleteButtonRect(row), event->globalPos(),
                             *view->viewport());
            break;
        case Target::row:
            // The picture stands in for the path, which the tip still tells.
            if (typeOf(index) == ContentType::image) {
                RowToolTip::show(index.data(HistoryListModel::PreviewRole).toString(), row,
                                 event->globalPos(), *view->viewport());
            } else {
                QToolTip::hideText();
            }
            break;
    }
    return true;
}

}  // namespace nimbrook
