#include "ui/HistoryListModel.h"

#include "controller/ClipboardViewModel.h"
#include "model/RelativeTimeFormatter.h"

namespace nimbrook {

namespace {

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString typeName(ContentType type) {
    switch (type) {
        case ContentType::json:
            return QStringLiteral("JSON");
        case ContentType::code:
            return QStringLiteral("代码");
        case ContentType::url:
            return QStringLiteral("链接");
        case ContentType::markdown:
            return QStringLiteral("Markdown");
        case ContentType::plainText:
            return QStringLiteral("纯文本");
        case ContentType::image:
            return QStringLiteral("图片");
    }
    return {};
}

QString relativeTime(const ClipboardItem& entry, Timestamp now) {
    return toQString(ClipboardItem::relativeFormatter().format(entry.timestamp(), now));
}

// What a screen reader says of a row: pin, type, preview, time, application.
QString spokenRow(const ClipboardItem& entry, Timestamp now) {
    QStringList parts{typeName(entry.contentType()), toQString(entry.preview()),
                      relativeTime(entry, now)};
    if (entry.isPinned()) {
        parts.prepend(QStringLiteral("已置顶"));
    }
    if (entry.sourceApp() && !entry.sourceApp()->empty()) {
        parts << toQString(*entry.sourceApp());
    }
    return parts.join(u"，");
}

}  // namespace

HistoryListModel::HistoryListModel(ClipboardViewModel& viewModel, QObject* parent)
    : QAbstractListModel(parent), viewModel_(viewModel), now_(viewModel.now()) {
    flashedId_ = viewModel_.copiedFlash();
    if (isFiltering()) {
        filtered_ = viewModel_.filteredItems();
        rowCount_ = filtered_.size();
    } else {
        rowCount_ = viewModel_.items().size();
    }
    viewModel_.addObserver(*this);
}

HistoryListModel::~HistoryListModel() {
    viewModel_.removeObserver(*this);
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rowCount_);
}

const ClipboardItem* HistoryListModel::item(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rowCount_) {
        return nullptr;
    }
    const auto& rows = isFiltering() ? filtered_ : viewModel_.items();
    auto index = static_cast<std::size_t>(row);
    if (pending_ && index >= pending_->first) {
        if (pending_->inserted) {
            index += pending_->count;
        } else if (index < pending_->first + pending_->count) {
            return nullptr;
        } else {
            index -= pending_->count;
        }
    }
    return index < rows.size() ? &rows[index] : nullptr;
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const ClipboardItem* entry = item(index.row());
    if (entry == nullptr) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case PreviewRole:
            return toQString(entry->preview());
        case IdRole:
            return toQString(entry->id().text());
        case ContentTypeRole:
            return static_cast<int>(entry->contentType());
        case SourceAppRole:
            return entry->sourceApp() ? QVariant(toQString(*entry->sourceApp())) : QVariant();
        case CopiedRole:
            return flashedId_.has_value() && *flashedId_ == entry->id();
        case RelativeTimeRole:
            return relativeTime(*entry, now_);
        case Qt::AccessibleTextRole:
            return spokenRow(*entry, now_);
        case BusyRole:
            return viewModel_.isConverting(entry->id());
        case PinnedRole:
            return entry->isPinned();
        default:
            return {};
    }
}

QHash<int, QByteArray> HistoryListModel::roleNames() const {
    auto names = QAbstractListModel::roleNames();
    names.insert(IdRole, "id");
    names.insert(PreviewRole, "preview");
    names.insert(ContentTypeRole, "contentType");
    names.insert(SourceAppRole, "sourceApp");
    names.insert(CopiedRole, "copied");
    names.insert(RelativeTimeRole, "relativeTime");
    names.insert(BusyRole, "busy");
    names.insert(PinnedRole, "pinned");
    return names;
}

void HistoryListModel::refreshNow() {
    now_ = viewModel_.now();
}

bool HistoryListModel::isFiltering() const {
    return !viewModel_.searchText().empty();
}

void HistoryListModel::reset() {
    refreshNow();
    beginResetModel();
    filtered_.clear();
    if (isFiltering()) {
        filtered_ = viewModel_.filteredItems();
        rowCount_ = filtered_.size();
    } else {
        rowCount_ = viewModel_.items().size();
    }
    endResetModel();
}

void HistoryListModel::itemsInserted(std::size_t first, std::size_t count) {
    if (isFiltering() || first > rowCount_ || count == 0) {
        reset();
        return;
    }
    refreshNow();
    pending_ = PendingChange{first, count, true};
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
    pending_.reset();
    rowCount_ += count;
    endInsertRows();
}

void HistoryListModel::itemsRemoved(std::size_t first, std::size_t count) {
    if (isFiltering() || count == 0 || first + count > rowCount_) {
        reset();
        return;
    }
    refreshNow();
    pending_ = PendingChange{first, count, false};
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
    pending_.reset();
    rowCount_ -= count;
    endRemoveRows();
}

void HistoryListModel::itemReplaced(std::size_t index) {
    if (isFiltering() || index >= rowCount_) {
        reset();
        return;
    }
    const QModelIndex changed = this->index(static_cast<int>(index));
    emit dataChanged(changed, changed);
}

void HistoryListModel::itemsReset() {
    reset();
}

void HistoryListModel::searchTextChanged() {
    reset();
}

void HistoryListModel::emitChanged(const std::optional<Uuid>& id, int role) {
    if (!id) {
        return;
    }
    // Entries of a hand-edited history may share an id; each of them shows the change.
    for (int row = 0; row < static_cast<int>(rowCount_); ++row) {
        const ClipboardItem* entry = item(row);
        if (entry != nullptr && entry->id() == *id) {
            const QModelIndex changed = index(row);
            emit dataChanged(changed, changed, {role});
        }
    }
}

void HistoryListModel::itemBusyChanged(std::size_t index) {
    if (index < viewModel_.items().size()) {
        emitChanged(viewModel_.items()[index].id(), BusyRole);
    }
}

void HistoryListModel::copiedFlashChanged() {
    const std::optional<Uuid> previous = flashedId_;
    flashedId_ = viewModel_.copiedFlash();
    emitChanged(previous, CopiedRole);
    if (flashedId_ != previous) {
        emitChanged(flashedId_, CopiedRole);
    }
}

}  // namespace nimbrook
