#include "controller/HistoryPersistence.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "model/HistoryChange.h"
#include "model/HistoryJournal.h"
#include "model/ImageReferences.h"
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
                                       std::function<void()> saveErrorChanged,
                                       std::function<void()> imageFilesChanged)
    : services_(services),
      items_(items),
      saveErrorChanged_(std::move(saveErrorChanged)),
      imageFilesChanged_(std::move(imageFilesChanged)) {}

HistoryPersistence::~HistoryPersistence() = default;

std::vector<ClipboardItem> HistoryPersistence::load() {
    std::vector<ClipboardItem> items = services_.storage.load();
    // An entry the journal removed is still in the history file until the next save.
    imageNames_ = ImageReferences::of(items);
    if (services_.journal.replay(items) > 0) {
        imageNames_.merge(ImageReferences::of(items));
        debounceSave();
    }
    sweepImages(imageNames_);
    return items;
}

void HistoryPersistence::record(const HistoryChange& change) {
    services_.journal.append(change);
    if (change.item()) {
        if (const auto name = ImageReferences::nameIn(change.item()->content()); !name.empty()) {
            imageNames_.emplace(name);
        }
    }
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
    ImageStore::Names named = ImageReferences::of(items_);
    ImageStore::Names released;
    std::set_difference(imageNames_.begin(), imageNames_.end(), named.begin(), named.end(),
                        std::inserter(released, released.end()));
    imageNames_ = std::move(named);
    auto error = std::make_shared<std::optional<std::string>>();
    services_.workQueue.post(
        [&storage = services_.storage, &journal = services_.journal, snapshot = items_,
         mark = services_.journal.mark(), error] {
            *error = storage.save(snapshot);
            if (!*error) {
                journal.discardThrough(mark);
            }
        },
        [this, alive = std::weak_ptr(lifetime_), error, released = std::move(released)]() mutable {
            if (!alive.expired()) {
                saveFinished(std::move(*error), std::move(released));
            }
        });
}

void HistoryPersistence::saveFinished(std::optional<std::string> error,
                                      ImageStore::Names released) {
    if (error) {
        // The file on disk may still name them: they go with the save that succeeds.
        imageNames_.merge(released);
        retryTask_ = services_.scheduler.after(saveRetryInterval, [this] { startSave(); });
    } else {
        retryTask_.reset();
        removeImages(std::move(released));
    }
    if (error != saveError_) {
        saveError_ = std::move(error);
        saveErrorChanged_();
    }
}

// Posted before any capture, so that a file being written for a new entry is not among those
// listed. Nothing goes while a history that could not be read is kept, or one set aside
// cannot be read: they may name any file.
void HistoryPersistence::sweepImages(const ImageStore::Names& kept) {
    services_.workQueue.post(
        [&images = services_.images, kept, undecoded = services_.storage.undecodedFiles()] {
            ImageStore::Names names = kept;
            for (const auto& file : undecoded) {
                if (!ImageReferences::addFoundIn(file, names)) {
                    return;
                }
            }
            images.removeAllBut(names);
        },
        imageFilesChangedOnceDone());
}

// Only the files that no entry has named again since the save started (a text equal to the
// path copied anew): those are in imageNames_ once more.
void HistoryPersistence::removeImages(ImageStore::Names released) {
    std::erase_if(released, [this](const std::string& name) { return imageNames_.contains(name); });
    if (released.empty()) {
        return;
    }
    services_.workQueue.post(
        [&images = services_.images, released = std::move(released)] { images.remove(released); },
        imageFilesChangedOnceDone());
}

std::function<void()> HistoryPersistence::imageFilesChangedOnceDone() {
    return [this, alive = std::weak_ptr(lifetime_)] {
        if (!alive.expired() && imageFilesChanged_) {
            imageFilesChanged_();
        }
    };
}

}  // namespace nimbrook
