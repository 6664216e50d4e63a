#include "controller/ClipboardViewModel.h"

#include <algorithm>
#include <array>
#include <utility>

#include "controller/ClipboardViewModelObserver.h"
#include "controller/SubstringSearch.h"
#include "detection/ContentDetector.h"
#include "model/HistoryLimit.h"
#include "model/StorageService.h"
#include "platform/CharacterSet.h"
#include "platform/Clock.h"
#include "platform/Pasteboard.h"
#include "platform/Scheduler.h"
#include "platform/UnicodeText.h"

namespace nimbrook {

namespace {

constexpr std::chrono::milliseconds saveDelay{1000};
constexpr std::chrono::milliseconds copiedFlashDuration{800};
constexpr std::chrono::milliseconds toastDuration{1500};

constexpr std::string_view convertedToast = "已转换并复制";
constexpr std::string_view emptyResultToast = "转换结果为空";
constexpr std::string_view unchangedToast = "转换无变化";

// The search labels are ASCII words, so their lower-case forms can be made once.
const std::string& lowercasedSearchLabel(ContentType type) {
    static const auto labels = [] {
        std::array<std::string, allContentTypes.size()> result;
        for (const ContentType each : allContentTypes) {
            result[static_cast<std::size_t>(each)] = UnicodeText::lowercased(searchLabel(each));
        }
        return result;
    }();
    return labels[static_cast<std::size_t>(type)];
}

std::string validUtf8(std::string text) {
    return UnicodeText::isValidUtf8(text) ? std::move(text) : UnicodeText::repairedUtf8(text);
}

}  // namespace

ClipboardViewModel::ClipboardViewModel(Services services)
    : services_(services), monitor_(services.monitor) {
    items_ = services_.storage.load();
    monitor_.setOnNewItem([this](const ClipboardItem& item) { handleNewItem(item); });
    if (isMonitoring_) {
        monitor_.start();
    }
}

// Members cancel on destruction: the clearing tasks and the pending save first (nothing is
// written), then the monitor's timer, so no callback reaches a destroyed controller.
ClipboardViewModel::~ClipboardViewModel() = default;

void ClipboardViewModel::setSearchText(std::string text) {
    text = validUtf8(std::move(text));
    if (text == searchText_) {
        return;
    }
    searchText_ = std::move(text);
    notify([](ClipboardViewModelObserver& observer) { observer.searchTextChanged(); });
}

std::vector<ClipboardItem> ClipboardViewModel::filteredItems() const {
    if (searchText_.empty()) {
        return items_;
    }
    std::vector<ClipboardItem> result;
    for (const std::size_t index : indexesMatching(searchText_)) {
        result.push_back(items_[index]);
    }
    return result;
}

std::vector<std::size_t> ClipboardViewModel::indexesMatching(std::string_view text) const {
    const std::string query =
        UnicodeText::lowercasedNfc(UnicodeText::nfc(validUtf8(std::string(text))));
    std::vector<std::size_t> result;
    for (std::size_t index = 0; index < items_.size(); ++index) {
        const ClipboardItem& item = items_[index];
        if (SubstringSearch::containsIgnoringAsciiCase(item.searchableContent(), query) ||
            SubstringSearch::contains(lowercasedSearchLabel(item.contentType()), query) ||
            SubstringSearch::containsIgnoringAsciiCase(item.searchableSourceApp(), query)) {
            result.push_back(index);
        }
    }
    return result;
}

void ClipboardViewModel::toggleMonitoring() {
    isMonitoring_ = !isMonitoring_;
    if (isMonitoring_) {
        monitor_.start();
    } else {
        monitor_.stop();
    }
    notify([](ClipboardViewModelObserver& observer) { observer.monitoringChanged(); });
}

void ClipboardViewModel::deleteItem(const ClipboardItem& item) {
    for (std::size_t index = items_.size(); index-- > 0;) {
        if (items_[index].id() == item.id()) {
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
            notify(
                [index](ClipboardViewModelObserver& observer) { observer.itemsRemoved(index, 1); });
        }
    }
    debounceSave();
}

void ClipboardViewModel::clearAll() {
    items_.clear();
    notify([](ClipboardViewModelObserver& observer) { observer.itemsReset(); });
    debounceSave();
}

void ClipboardViewModel::copyToPasteboard(const ClipboardItem& item) {
    writeToPasteboard(item.content());
    flashCopied(item.id());
}

void ClipboardViewModel::copyConverted(const ClipboardItem& item,
                                       SmartConverter::Conversion conversion) {
    std::string result = validUtf8(SmartConverter::convert(item.content(), conversion));
    if (UnicodeText::nfc(result) == item.canonicalContent()) {
        showToast(std::string(unchangedToast));
        return;
    }
    if (CharacterSets::isBlank(result, CharacterSet::whitespaceAndNewlines)) {
        showToast(std::string(emptyResultToast));
        return;
    }
    const auto found = std::ranges::find(items_, item.id(), &ClipboardItem::id);
    if (found != items_.end()) {
        *found = ClipboardItem(Uuid::random(), result, ContentDetector::detect(result),
                               services_.monitor.clock.now(), item.sourceApp());
        const auto index = static_cast<std::size_t>(found - items_.begin());
        notify([index](ClipboardViewModelObserver& observer) { observer.itemReplaced(index); });
        debounceSave();
    }
    writeToPasteboard(result);
    showToast(std::string(convertedToast));
}

void ClipboardViewModel::flushPendingSave() {
    saveTask_.reset();
    writePendingSave();
}

void ClipboardViewModel::addObserver(ClipboardViewModelObserver& observer) {
    if (std::ranges::find(observers_, &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void ClipboardViewModel::removeObserver(ClipboardViewModelObserver& observer) {
    std::erase(observers_, &observer);
}

void ClipboardViewModel::handleNewItem(const ClipboardItem& item) {
    if (lastCopiedContent_ && *lastCopiedContent_ == item.canonicalContent()) {
        lastCopiedContent_.reset();
        return;
    }
    if (contains(item.canonicalContent())) {
        return;
    }
    items_.insert(items_.begin(), item);
    notify([](ClipboardViewModelObserver& observer) { observer.itemsInserted(0, 1); });
    trimIfNeeded();
    debounceSave();
}

bool ClipboardViewModel::contains(const std::string& canonicalContent) const {
    return std::ranges::any_of(items_, [&canonicalContent](const ClipboardItem& each) {
        return each.canonicalContent() == canonicalContent;
    });
}

void ClipboardViewModel::trimIfNeeded() {
    if (items_.size() <= historyLimit) {
        return;
    }
    const std::size_t removed = items_.size() - historyLimit;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(historyLimit), items_.end());
    notify([removed](ClipboardViewModelObserver& observer) {
        observer.itemsRemoved(historyLimit, removed);
    });
}

void ClipboardViewModel::debounceSave() {
    saveTask_.reset();
    pendingSave_ = items_;
    saveTask_ = services_.monitor.scheduler.after(saveDelay, [this] { writePendingSave(); });
}

void ClipboardViewModel::writePendingSave() {
    if (!pendingSave_) {
        return;
    }
    const std::vector<ClipboardItem> snapshot = std::move(*pendingSave_);
    pendingSave_.reset();
    services_.storage.save(snapshot);
}

void ClipboardViewModel::writeToPasteboard(const std::string& text) {
    lastCopiedContent_ = UnicodeText::nfc(text);
    services_.monitor.pasteboard.clearAndSetString(text);
}

void ClipboardViewModel::flashCopied(const Uuid& id) {
    copiedFlash_ = id;
    notify([](ClipboardViewModelObserver& observer) { observer.copiedFlashChanged(); });
    scheduleClearing(copiedFlashDuration, [this, id] {
        if (copiedFlash_ == id) {
            copiedFlash_.reset();
            notify([](ClipboardViewModelObserver& observer) { observer.copiedFlashChanged(); });
        }
    });
}

void ClipboardViewModel::showToast(std::string text) {
    toastMessage_ = text;
    notify([](ClipboardViewModelObserver& observer) { observer.toastMessageChanged(); });
    scheduleClearing(toastDuration, [this, text = std::move(text)] {
        if (toastMessage_ == text) {
            toastMessage_.reset();
            notify([](ClipboardViewModelObserver& observer) { observer.toastMessageChanged(); });
        }
    });
}

// Each clearing runs on its own (a newer value must not cancel an older task, which clears
// only its own value); their handles are kept so that destruction cancels them.
void ClipboardViewModel::scheduleClearing(std::chrono::milliseconds delay,
                                          std::function<void()> action) {
    std::erase_if(clearingTasks_, [](const ClearingTask& task) { return *task.hasRun; });
    auto hasRun = std::make_shared<bool>(false);
    auto handle = services_.monitor.scheduler.after(delay, [hasRun, action = std::move(action)] {
        *hasRun = true;
        action();
    });
    clearingTasks_.push_back(ClearingTask{std::move(hasRun), std::move(handle)});
}

template <typename Notification>
void ClipboardViewModel::notify(Notification notification) {
    // Walks a copy, so an observer may add or remove observers while being told; one
    // removed meanwhile is not told.
    const auto observers = observers_;
    for (ClipboardViewModelObserver* observer : observers) {
        if (std::ranges::find(observers_, observer) != observers_.end()) {
            notification(*observer);
        }
    }
}

}  // namespace nimbrook
