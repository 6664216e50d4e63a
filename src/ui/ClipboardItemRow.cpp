#include "ui/ClipboardItemRow.h"

#include <QAbstractItemView>
#include <QCursor>
#include <QDateTime>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "controller/ClipboardViewModel.h"
#include "model/HistoryLimit.h"
#include "model/RelativeTimeFormatter.h"
#include "ui/AppMeta.h"
#include "ui/HistoryListModel.h"
#include "ui/PreviewLayout.h"
#include "ui/SymbolIcons.h"
#include "ui/Theme.h"

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
constexpr int dividerHeight = 1;
constexpr int defaultRowWidth = 400;
constexpr int cornerRadius = 4;
constexpr qreal previewSize = 12;
constexpr qreal timeSize = 10;
constexpr qreal tagIconSize = 8;
constexpr qreal tagTextSize = 10;
constexpr int tagHorizontalPadding = 6;
constexpr int tagVerticalPadding = 2;
constexpr int tagSpacing = 3;
// A window may carry any name; more than this never fits the tag and only costs time.
constexpr qsizetype maxShownNameLength = 256;

// The text column always leaves room for the hover controls, so a row keeps its height
// when the pointer enters it.
constexpr int textLeft = horizontalPadding + badgeSize + columnSpacing;
constexpr int controlsWidth = columnSpacing + 2 * controlSize + controlSpacing;

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

int previewWidth(int rowWidth) {
    return rowWidth - textLeft - controlsWidth - horizontalPadding;
}

ContentType typeOf(const QModelIndex& index) {
    return static_cast<ContentType>(index.data(HistoryListModel::ContentTypeRole).toInt());
}

QString relativeTime(const QModelIndex& index) {
    const Timestamp moment{index.data(HistoryListModel::TimestampRole).toDouble()};
    const Timestamp now = Timestamp::fromUnixSeconds(QDateTime::currentMSecsSinceEpoch() / 1000.0);
    return QString::fromStdString(ClipboardItem::relativeFormatter().format(moment, now));
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

ClipboardItemRow::ClipboardItemRow(ClipboardViewModel& viewModel, QObject* parent)
    : QStyledItemDelegate(parent), viewModel_(viewModel), fonts_(makeFonts()) {}

ClipboardItemRow::Fonts ClipboardItemRow::makeFonts() {
    Fonts fonts{Theme::monospacedFont(previewSize), Theme::systemFont(timeSize),
                Theme::systemFont(tagTextSize, QFont::Medium)};
    const QFontMetricsF preview(fonts.preview);
    fonts.lineSpacing = qCeil(preview.lineSpacing());
    fonts.previewAscent = preview.ascent();
    const qreal tag = QFontMetricsF(fonts.tag).height() + 2 * tagVerticalPadding;
    fonts.metaHeight = qCeil(std::max(QFontMetricsF(fonts.time).height(), tag));
    return fonts;
}

std::vector<SmartConverter::Conversion> ClipboardItemRow::conversionsFor(ContentType type) {
    using C = SmartConverter::Conversion;
    switch (type) {
        case ContentType::json:
            return {C::prettifyJSON, C::minifyJSON, C::stripFormat};
        case ContentType::code:
        case ContentType::plainText:
            return {C::wrapCode, C::htmlToMarkdown, C::stripFormat};
        case ContentType::url:
            return {C::urlToMarkdown, C::stripFormat};
        case ContentType::markdown:
            return {C::stripFormat};
        case ContentType::image:
            return {};
    }
    return {};
}

QRect ClipboardItemRow::deleteButtonRect(const QRect& rowRect) {
    return QRect(rowRect.right() + 1 - horizontalPadding - controlSize,
                 rowRect.top() + verticalPadding, controlSize, controlSize);
}

QRect ClipboardItemRow::menuButtonRect(const QRect& rowRect, ContentType type) {
    if (conversionsFor(type).empty()) {
        return {};
    }
    return deleteButtonRect(rowRect).translated(-(controlSize + controlSpacing), 0);
}

const QStringList& ClipboardItemRow::previewLines(const QModelIndex& index, int rowWidth) const {
    const int width = previewWidth(rowWidth);
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
        found = previewCache_.insert(key, PreviewLayout::lines(preview, fonts_.preview, width));
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
    const auto lineCount = static_cast<int>(previewLines(index, width).size());
    const int column = lineCount * fonts_.lineSpacing + textSpacing + fonts_.metaHeight;
    const int content = std::max(badgeSize + badgeTopExtra, column);
    return QSize(width, 2 * verticalPadding + content + dividerHeight);
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
    QWidget* viewport = view_->viewport();
    const QPoint position = viewport->mapFromGlobal(QCursor::pos());
    setHovered(viewport->underMouse() && viewport->rect().contains(position)
                   ? view_->indexAt(position)
                   : QModelIndex());
}

bool ClipboardItemRow::eventFilter(QObject* watched, QEvent* event) {
    if (view_ != nullptr && watched == view_->viewport()) {
        switch (event->type()) {
            case QEvent::MouseMove:
                setHovered(view_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
                break;
            case QEvent::Leave:
            case QEvent::Hide:
                setHovered({});
                break;
            default:
                break;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void ClipboardItemRow::setHovered(const QModelIndex& index) {
    if (hoveredIndex_ == index) {
        return;
    }
    const QModelIndex previous = hoveredIndex_;
    hoveredIndex_ = index;
    if (view_ != nullptr) {
        view_->update(previous);
        view_->update(index);
    }
}

void ClipboardItemRow::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const Theme theme = Theme::current();
    const QRect row = option.rect.adjusted(0, 0, 0, -dividerHeight);
    const bool hovered = showsControls(index);
    const ContentType type = typeOf(index);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);

    if (index.data(HistoryListModel::CopiedRole).toBool()) {
        painter->fillRect(row, theme.color(NamedColor::green, 0.12));
    } else if (hovered) {
        painter->fillRect(row, theme.color(NamedColor::primaryLabel, 0.04));
    }
    painter->fillRect(
        QRect(option.rect.left(), row.bottom() + 1, option.rect.width(), dividerHeight),
        theme.color(NamedColor::separator, 0.3));

    const TypeLook look = lookOf(type);
    const QRect badge(row.left() + horizontalPadding, row.top() + verticalPadding + badgeTopExtra,
                      badgeSize, badgeSize);
    paintControl(*painter, badge, look.icon, 10, theme.color(look.color), 0.12);

    painter->setFont(fonts_.preview);
    painter->setPen(theme.color(NamedColor::primaryLabel));
    qreal baseline = row.top() + verticalPadding + fonts_.previewAscent;
    for (const QString& line : previewLines(index, rowWidth(option))) {
        painter->drawText(QPointF(row.left() + textLeft, baseline), line);
        baseline += fonts_.lineSpacing;
    }

    const qreal metaTop = baseline - fonts_.previewAscent + textSpacing;
    const qreal metaLineHeight = fonts_.metaHeight;
    const QString time = relativeTime(index);
    painter->setFont(fonts_.time);
    painter->setPen(theme.color(NamedColor::tertiaryLabel));
    const qreal timeWidth = QFontMetricsF(fonts_.time).horizontalAdvance(time);
    painter->drawText(QRectF(row.left() + textLeft, metaTop, timeWidth + 1, metaLineHeight),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, time);
    const QVariant source = index.data(HistoryListModel::SourceAppRole);
    if (source.isValid()) {
        const qreal tagLeft = row.left() + textLeft + timeWidth + metaSpacing;
        const qreal maxWidth = row.left() + textLeft + previewWidth(rowWidth(option)) - tagLeft;
        paintTag(*painter, QPointF(tagLeft, metaTop), metaLineHeight, maxWidth,
                 source.toString().left(maxShownNameLength), fonts_.tag, theme);
    }

    if (hovered) {
        if (const QRect menu = menuButtonRect(row, type); !menu.isNull()) {
            paintControl(*painter, menu, u"wand.and.stars", 12, theme.color(NamedColor::accent),
                         0.12);
        }
        paintControl(*painter, deleteButtonRect(row), u"trash", 11, theme.color(NamedColor::red),
                     0.1);
    }
    painter->restore();
}

ClipboardItemRow::Target ClipboardItemRow::targetAt(const QPoint& position,
                                                    const QModelIndex& index,
                                                    const QRect& rowRect) const {
    // Controls that are not drawn take no clicks: the row is then what the user clicked.
    if (!showsControls(index)) {
        return Target::row;
    }
    const QRect row = rowRect.adjusted(0, 0, 0, -dividerHeight);
    const ContentType type = typeOf(index);
    if (deleteButtonRect(row).contains(position)) {
        return Target::remove;
    }
    if (menuButtonRect(row, type).contains(position)) {
        return Target::menu;
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
    if (mouse->button() != Qt::LeftButton) {
        return true;
    }
    const Target target = targetAt(mouse->position().toPoint(), index, option.rect);
    if (isPress) {
        pressedIndex_ = index;
        pressedTarget_ = target;
        return true;
    }
    const bool sameControl = pressedIndex_ == index && pressedTarget_ == target;
    pressedIndex_ = QPersistentModelIndex();
    pressedTarget_.reset();
    const auto* listModel = qobject_cast<const HistoryListModel*>(model);
    const ClipboardItem* entry = listModel != nullptr ? listModel->item(index.row()) : nullptr;
    if (!sameControl || entry == nullptr) {
        return true;
    }
    // The action may change the model under this call, so it works on its own copy.
    const ClipboardItem item = *entry;
    switch (target) {
        case Target::row:
            viewModel_.copyToPasteboard(item);
            break;
        case Target::remove:
            viewModel_.deleteItem(item);
            break;
        case Target::menu:
            openConversionMenu(item, menuButtonRect(option.rect, typeOf(index)), index,
                               const_cast<QWidget*>(option.widget));
            break;
    }
    return true;
}

void ClipboardItemRow::openConversionMenu(const ClipboardItem& item, const QRect& buttonRect,
                                          const QModelIndex& index, QWidget* view) {
    if (menu_ != nullptr) {
        menu_->close();
    }
    auto* menu = new QMenu(view);
    menu->setObjectName(QStringLiteral("conversionMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const SmartConverter::Conversion conversion : conversionsFor(item.contentType())) {
        const std::string_view title = SmartConverter::title(conversion);
        QAction* action =
            menu->addAction(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
        connect(action, &QAction::triggered, this,
                [this, item, conversion] { viewModel_.copyConverted(item, conversion); });
    }
    menu_ = menu;
    menuIndex_ = index;
    auto* itemView = qobject_cast<QAbstractItemView*>(view);
    QWidget* surface = itemView != nullptr ? itemView->viewport() : view;
    connect(menu, &QMenu::aboutToHide, surface, [surface] { surface->update(); });
    // The menu hangs below the button and ends at its right edge, so that it opens over the
    // panel rather than past the panel's side.
    const QPoint corner = buttonRect.bottomRight() + QPoint(1 - menu->sizeHint().width(), 0);
    const QPoint anchor = surface != nullptr ? surface->mapToGlobal(corner) : corner;
    menu->popup(anchor + QPoint(0, 2));
}

bool ClipboardItemRow::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    switch (targetAt(event->pos(), index, option.rect)) {
        case Target::menu:
            QToolTip::showText(event->globalPos(), QStringLiteral("智能转换"), view);
            break;
        case Target::remove:
            QToolTip::showText(event->globalPos(), QStringLiteral("删除"), view);
            break;
        case Target::row:
            QToolTip::hideText();
            break;
    }
    return true;
}

}  // namespace nimbrook
