#include "controller/ClipboardViewModel.h"

#include <algorithm>
#include <array>
#include <utility>

#include "capture/IgnoredApplications.h"
#include "controller/ClipboardViewModelObserver.h"
#include "controller/ImageCopy.h"
#include "controller/SubstringSearch.h"
#include "detection/ContentDetector.h"
#include "model/HistoryChange.h"
#include "model/HistoryLimit.h"
#include "model/PinnedOrder.h"
#include "platform/ActiveApplication.h"
#include "platform/CharacterSet.h"
#include "platform/Clock.h"
#include "platform/ImageStore.h"
#include "platform/Pasteboard.h"
#include "platform/Scheduler.h"
#include "platform/UnicodeText.h"
#include "platform/WorkQueue.h"

namespace nimbrook {

namespace {

// From this size on a conversion takes long enough for its row to show it.
constexpr std::size_t busyContentBytes = 16 * 1024;
constexpr std::chrono::milliseconds copiedFlashDuration{800};
constexpr std::chrono::milliseconds toastDuration{1500};

constexpr std::string_view convertedToast = "已转换并复制";
constexpr std::string_view emptyResultToast = "转换结果为空";
constexpr std::string_view unchangedToast = "转换无变化";
constexpr std::string_view pinLimitToast = "最多置顶 100 条";

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

// What a conversion's job leaves for its completion: the toast, and the entry that takes
// the converted one's place when the result is new and not blank.
struct ClipboardViewModel::ConversionOutcome {
    std::string_view toast;
    std::optional<ClipboardItem> replacement;
};

ClipboardViewModel::ClipboardViewModel(Services services)
    : services_(services),
      persistence_(
          {services.storage, services.journal, services.monitor.scheduler, services.monitor.clock,
           services.monitor.workQueue, services.monitor.imageStore},
          items_,
          [this] {
              notify([](ClipboardViewModelObserver& observer) { observer.saveErrorChanged(); });
          },
          [this] {
              notify([](ClipboardViewModelObserver& observer) { observer.imageFilesChanged(); });
          }),
      monitor_(services.monitor) {
    items_ = persistence_.load();
    monitor_.setOnNewItem([this](const ClipboardItem& item) { handleNewItem(item); });
    if (isMonitoring_) {
        monitor_.start();
    }
}

// Members cancel on destruction: the clearing tasks first, then the monitor's timer, then the
// pending save (nothing is written; the journal keeps the changes), so no callback reaches a
// destroyed controller.
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
    // `item` may be the very entry removed below.
    const Uuid id = item.id();
    for (std::size_t index = items_.size(); index-- > 0;) {
        if (items_[index].id() == id) {
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
            notify(
                [index](ClipboardViewModelObserver& observer) { observer.itemsRemoved(index, 1); });
        }
    }
    persistence_.record(HistoryChange::removal(id));
}

void ClipboardViewModel::clearAll() {
    const std::size_t pinned = pinnedCount();
    const std::size_t removed = items_.size() - pinned;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(pinned), items_.end());
    if (pinned == 0) {
        notify([](ClipboardViewModelObserver& observer) { observer.itemsReset(); });
    } else if (removed > 0) {
        notify([pinned, removed](ClipboardViewModelObserver& observer) {
            observer.itemsRemoved(pinned, removed);
        });
    }
    persistence_.record(HistoryChange::clearing());
}

std::size_t ClipboardViewModel::pinnedCount() const {
    return PinnedOrder::pinnedCount(items_);
}

bool ClipboardViewModel::setPinned(const ClipboardItem& item, bool pinned) {
    const auto found = std::ranges::find(items_, item.id(), &ClipboardItem::id);
    if (found == items_.end() || found->isPinned() == pinned) {
        return true;
    }
    if (pinned && pinnedCount() >= pinLimit) {
        showToast(std::string(pinLimitToast));
        return false;
    }
    const auto from = static_cast<std::size_t>(found - items_.begin());
    const Timestamp moment = now();
    const ClipboardItem changed = found->withPin(pinned ? std::optional(moment) : std::nullopt);
    items_.erase(found);
    const std::size_t to = pinned ? 0 : PinnedOrder::placeOf(items_, changed.timestamp());
    moveItem(from, to, changed);
    persistence_.record(pinned ? HistoryChange::pinning(changed.id(), moment)
                               : HistoryChange::unpinning(changed.id()));
    return true;
}

// `moved` has left `from` already; the views are told of its removal and its arrival.
void ClipboardViewModel::moveItem(std::size_t from, std::size_t to, const ClipboardItem& moved) {
    notify([from](ClipboardViewModelObserver& observer) { observer.itemsRemoved(from, 1); });
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(to), moved);
    notify([to](ClipboardViewModelObserver& observer) { observer.itemsInserted(to, 1); });
}

void ClipboardViewModel::setIgnoredApplications(const std::vector<std::string>& names) {
    if (names == ignoredApplications_) {
        return;
    }
    ignoredApplications_ = names;
    monitor_.setIgnoredApplications(IgnoredApplications(names));
    notify([](ClipboardViewModelObserver& observer) { observer.ignoredApplicationsChanged(); });
}

bool ClipboardViewModel::isIgnored(const std::string& sourceApp) const {
    return IgnoredApplications(ignoredApplications_).contains(sourceApp);
}

bool ClipboardViewModel::knowsSourceApplications() const {
    return services_.monitor.activeApplication.reportsApplications();
}

std::vector<std::string> ClipboardViewModel::sourceApplications() const {
    std::vector<std::string> names;
    for (const ClipboardItem& item : items_) {
        const auto& source = item.sourceApp();
        if (source && !source->empty() && std::ranges::find(names, *source) == names.end()) {
            names.push_back(*source);
        }
    }
    return names;
}

void ClipboardViewModel::copyToPasteboard(const ClipboardItem& item) {
    const std::string& path = item.content();
    const ImageTranscoder* transcoder = services_.imageTranscoder;
    if (item.contentType() != ContentType::image) {
        writeToPasteboard(item);
    } else if (ImageCopy::readsAtOnce(path)) {
        writeImage(item, ImageCopy::offerFor(path, transcoder));
    } else {
        auto offer = std::make_shared<std::optional<Pasteboard::ImageOffer>>();
        services_.monitor.workQueue.post(
            [offer, path, transcoder] { *offer = ImageCopy::offerFor(path, transcoder); },
            [this, offer, item, copy = ++copies_, alive = std::weak_ptr(lifetime_)] {
                if (!alive.expired() && copy == copies_) {
                    writeImage(item, *offer);
                }
            });
        copyBeingRead_ = copies_;
    }
    flashCopied(item.id());
}

Timestamp ClipboardViewModel::now() const {
    return services_.monitor.clock.now();
}

void ClipboardViewModel::measureImageFiles(std::function<void(std::uint64_t)> done) const {
    auto bytes = std::make_shared<std::uint64_t>(0);
    services_.monitor.workQueue.post(
        [&images = services_.monitor.imageStore, bytes] { *bytes = images.totalBytes(); },
        [alive = std::weak_ptr(lifetime_), bytes, done = std::move(done)] {
            if (!alive.expired()) {
                done(*bytes);
            }
        });
}

bool ClipboardViewModel::isConverting(const Uuid& id) const {
    return std::ranges::any_of(
        conversions_, [&id](const ConversionChain& chain) { return chain.busy && chain.id == id; });
}

void ClipboardViewModel::copyConverted(const ClipboardItem& item,
                                       SmartConverter::Conversion conversion, ConversionDone done) {
    ConversionRequest request{conversion, std::move(done)};
    const auto chain = std::ranges::find(conversions_, item.id(), &ConversionChain::id);
    if (chain != conversions_.end()) {
        chain->waiting.push_back(std::move(request));
        return;
    }
    const bool busy = item.content().size() >= busyContentBytes;
    conversions_.push_back(ConversionChain{item.id(), busy, {}});
    if (busy) {
        notifyBusy(item.id());
    }
    startConversion(item, std::move(request));
}

// The job builds the whole replacement (normalised, classified, lower-cased for search), so
// that applying it costs the owner's thread no more than for a short text.
void ClipboardViewModel::startConversion(const ClipboardItem& item, ConversionRequest request) {
    auto outcome = std::make_shared<ConversionOutcome>();
    const SmartConverter::Conversion conversion = request.conversion;
    services_.monitor.workQueue.post(
        [outcome, item, conversion, now = services_.monitor.clock.now()] {
            std::string result = validUtf8(SmartConverter::convert(item.content(), conversion));
            if (UnicodeText::nfc(result) == item.canonicalContent()) {
                outcome->toast = unchangedToast;
            } else if (CharacterSets::isBlank(result, CharacterSet::whitespaceAndNewlines)) {
                outcome->toast = emptyResultToast;
            } else {
                const ContentType type = ContentDetector::detect(result);
                outcome->replacement.emplace(Uuid::random(), std::move(result), type, now,
                                             item.sourceApp());
                outcome->toast = convertedToast;
            }
        },
        [this, alive = std::weak_ptr(lifetime_), item, request = std::move(request), outcome] {
            if (!alive.expired()) {
                finishConversion(item, request, *outcome);
            }
        });
}

void ClipboardViewModel::finishConversion(const ClipboardItem& item,
                                          const ConversionRequest& request,
                                          const ConversionOutcome& outcome) {
    const auto chain = std::ranges::find(conversions_, item.id(), &ConversionChain::id);
    ConversionChain rest = std::move(*chain);
    conversions_.erase(chain);
    const std::optional<ClipboardItem> replacement = applyConversion(item, outcome);
    showToast(std::string(outcome.toast));
    if (request.done) {
        request.done(std::string(outcome.toast));
    }
    if (rest.waiting.empty()) {
        if (rest.busy && !replacement) {
            notifyBusy(item.id());
        }
        return;
    }
    // The next request converts whatever now stands for the row.
    const ClipboardItem current = replacement ? *replacement : item;
    ConversionRequest next = std::move(rest.waiting.front());
    rest.waiting.pop_front();
    rest.id = current.id();
    const bool busy = rest.busy;
    conversions_.push_back(std::move(rest));
    if (busy) {
        notifyBusy(current.id());
    }
    startConversion(current, std::move(next));
}

// The replacement when it took the entry's place; nullopt when nothing replaced it (an
// unchanged or blank result, or an entry removed meanwhile).
std::optional<ClipboardItem> ClipboardViewModel::applyConversion(const ClipboardItem& item,
                                                                 const ConversionOutcome& outcome) {
    if (!outcome.replacement) {
        return std::nullopt;
    }
    writeToPasteboard(*outcome.replacement);
    const auto found = std::ranges::find(items_, item.id(), &ClipboardItem::id);
    if (found == items_.end()) {
        return std::nullopt;
    }
    // The result keeps the converted entry's pin and place.
    *found = outcome.replacement->withPin(found->isPinned() ? std::optional(found->pinnedAt())
                                                            : std::nullopt);
    const auto index = static_cast<std::size_t>(found - items_.begin());
    notify([index](ClipboardViewModelObserver& observer) { observer.itemReplaced(index); });
    persistence_.record(HistoryChange::replacement(item.id(), *found));
    return *found;
}

void ClipboardViewModel::notifyBusy(const Uuid& id) {
    const auto found = std::ranges::find(items_, id, &ClipboardItem::id);
    if (found != items_.end()) {
        const auto index = static_cast<std::size_t>(found - items_.begin());
        notify([index](ClipboardViewModelObserver& observer) { observer.itemBusyChanged(index); });
    }
}

void ClipboardViewModel::flushPendingSave() {
    // A copy the pasteboard already holds is not left to the next tick, which may never come.
    monitor_.pollNow();
    persistence_.flush();
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
    const std::size_t top = pinnedCount();
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(top), item);
    notify([top](ClipboardViewModelObserver& observer) { observer.itemsInserted(top, 1); });
    trimIfNeeded();
    persistence_.record(HistoryChange::insertion(item));
    if (item.contentType() == ContentType::image) {
        notify([](ClipboardViewModelObserver& observer) { observer.imageFilesChanged(); });
    }
}

bool ClipboardViewModel::contains(const std::string& canonicalContent) const {
    return std::ranges::any_of(items_, [&canonicalContent](const ClipboardItem& each) {
        return each.canonicalContent() == canonicalContent;
    });
}

void ClipboardViewModel::trimIfNeeded() {
    const std::size_t removed = PinnedOrder::trim(items_);
    if (removed > 0) {
        notify([first = items_.size(), removed](ClipboardViewModelObserver& observer) {
            observer.itemsRemoved(first, removed);
        });
    }
}

void ClipboardViewModel::writeToPasteboard(const ClipboardItem& item) {
    markOwnWrite(item);
    services_.monitor.pasteboard.clearAndSetString(item.content());
}

// A write ends any copy still read, and is dropped when the pasteboard reports it back.
void ClipboardViewModel::markOwnWrite(const ClipboardItem& item) {
    ++copies_;
    lastCopiedContent_ = item.canonicalContent();
}

// Read back, the image write is the path as text, dropped as the program's own as any text is.
void ClipboardViewModel::writeImage(const ClipboardItem& item,
                                    const std::optional<Pasteboard::ImageOffer>& offer) {
    if (!offer) {
        writeToPasteboard(item);
        showToast(std::string(imageMissingToast));
        return;
    }
    markOwnWrite(item);
    services_.monitor.pasteboard.clearAndSetImage(*offer);
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
