#include "controller/HistoryPersistence.h"

#include <algorithm>
#include <utility>

#include "model/HistoryChange.h"
#include "model/HistoryJournal.h"
#include "model/StorageService.h"
#include "platform/Clock.h"
#include "platform/Scheduler.h"
#include "platform/WorkQueue.h"

namespace nimbrook {

namespace {

constexpr std::chrono::milliseconds saveDelay{1000};
// A stream of copies would postpone a save that waits for a quiet second for ever.
constexpr std::chrono::milliseconds longestSaveDelay{5000};
constexpr std::chrono::milliseconds saveRetryInterval{30000};

}  // namespace

HistoryPersistence::HistoryPersistence(Services services, const std::vector<ClipboardItem>& items,
                                       std::function<void()> saveErrorChanged)
    : services_(services), items_(items), saveErrorChanged_(std::move(saveErrorChanged)) {}

HistoryPersistence::~HistoryPersistence() = default;

std::vector<ClipboardItem> HistoryPersistence::load() {
    std::vector<ClipboardItem> items = services_.storage.load();
    if (services_.journal.replay(items) > 0) {
        debounceSave();
    }
    return items;
}

void HistoryPersistence::record(const HistoryChange& change) {
    services_.journal.append(change);
    debounceSave();
}

void HistoryPersistence::flush() {
    // Captures and conversions in flight land first, so that the last save holds them.
    services_.workQueue.drain();
    saveTask_.reset();
    if (savePending_ || saveError_) {
        startSave();
        services_.workQueue.drain();
    }
}

void HistoryPersistence::debounceSave() {
    saveTask_.reset();
    retryTask_.reset();
    const Timestamp now = services_.clock.now();
    if (!savePending_) {
        firstUnsavedChange_ = now;
    }
    savePending_ = true;
    saveTask_ = services_.scheduler.after(saveDelayAt(now), [this] { startSave(); });
}

std::chrono::milliseconds HistoryPersistence::saveDelayAt(Timestamp now) const {
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(
            now.secondsSinceReferenceDate - firstUnsavedChange_.secondsSinceReferenceDate));
    // A clock set back counts as no time waited.
    return std::clamp(longestSaveDelay - waited, std::chrono::milliseconds(0), saveDelay);
}

// The snapshot shares the entries, which never change, so the worker reads them while this
// thread goes on. Every change the snapshot holds was journaled on this thread before it
// was taken, and saves run one after another in the order they were started: the journal
// loses only changes that the file it has just written holds.
void HistoryPersistence::startSave() {
    savePending_ = false;
    auto error = std::make_shared<std::optional<std::string>>();
    services_.workQueue.post(
        [&storage = services_.storage, &journal = services_.journal, snapshot = items_,
         mark = services_.journal.mark(), error] {
            *error = storage.save(snapshot);
            if (!*error) {
                journal.discardThrough(mark);
            }
        },
        [this, alive = std::weak_ptr(lifetime_), error] {
            if (!alive.expired()) {
                saveFinished(std::move(*error));
            }
        });
}

void HistoryPersistence::saveFinished(std::optional<std::string> error) {
    if (error) {
        retryTask_ = services_.scheduler.after(saveRetryInterval, [this] { startSave(); });
    } else {
        retryTask_.reset();
    }
    if (error != saveError_) {
        saveError_ = std::move(error);
        saveErrorChanged_();
    }
}

}  // namespace nimbrook
