#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/ClipboardItem.h"
#include "model/Timestamp.h"
#include "platform/ImageStore.h"

namespace nimbrook {

class Clock;
class HistoryChange;
class HistoryJournal;
class Scheduler;
class StorageService;
class TaskHandle;
class WorkQueue;

// Keeps the controller's history on disk. Each change goes to the journal as it is made, on
// the owner's thread, so that a kill loses nothing the panel or the command line has shown.
// The whole list goes to the history file on the work queue a second after the last change,
// and at the latest five seconds after the first change the file does not hold yet; a save
// that succeeds then empties the journal of the changes it holds, one that fails is retried
// every 30 s and on every change.
//
// The image files go with the entries: one that no entry names any more is removed once a
// save that does not name it either has succeeded, so that neither the file nor the journal
// can bring back an entry without its file; at start, the files that neither the history nor
// the journal names are removed (none while a history that could not be read may name them).
class HistoryPersistence final {
public:
    struct Services {
        StorageService& storage;
        HistoryJournal& journal;
        Scheduler& scheduler;
        Clock& clock;
        WorkQueue& workQueue;
        ImageStore& images;
    };

    // `items` is the history kept, read when a save starts; `saveErrorChanged` is called
    // whenever saveError() changes, `imageFilesChanged` after image files were removed.
    HistoryPersistence(Services services, const std::vector<ClipboardItem>& items,
                       std::function<void()> saveErrorChanged,
                       std::function<void()> imageFilesChanged = {});
    // Drops a pending save and cancels the retries; saves already on the work queue still
    // run, their results are dropped.
    ~HistoryPersistence();
    HistoryPersistence(const HistoryPersistence&) = delete;
    HistoryPersistence& operator=(const HistoryPersistence&) = delete;

    // The history file (kept whole, even past the limit) with the journal replayed onto it;
    // when the journal held changes, they are saved as if just made. Removes, on the work
    // queue, the image files that neither names.
    std::vector<ClipboardItem> load();
    // Journals a change just made to the items and schedules the save.
    void record(const HistoryChange& change);
    // Waits for the work queue, then writes a pending save, or retries a failing one, and
    // waits for that too.
    void flush();

    // Why the last save failed, until one succeeds.
    const std::optional<std::string>& saveError() const { return saveError_; }

private:
    void debounceSave();
    std::chrono::milliseconds saveDelayAt(Timestamp now) const;
    void startSave();
    void saveFinished(std::optional<std::string> error, ImageStore::Names released);
    void sweepImages(const ImageStore::Names& kept);
    void removeImages(ImageStore::Names released);
    // The completion of a job that removed image files.
    std::function<void()> imageFilesChangedOnceDone();

    Services services_;
    const std::vector<ClipboardItem>& items_;
    std::function<void()> saveErrorChanged_;
    std::function<void()> imageFilesChanged_;
    bool savePending_ = false;
    Timestamp firstUnsavedChange_;
    std::unique_ptr<TaskHandle> saveTask_;
    std::unique_ptr<TaskHandle> retryTask_;
    std::optional<std::string> saveError_;
    // The image files that the history file or the items may name: all but these have gone,
    // or go with a save that has started.
    ImageStore::Names imageNames_;
    // Completions of the work queue hold it weakly: they do nothing once this is gone.
    std::shared_ptr<const bool> lifetime_ = std::make_shared<const bool>(true);
};

}  // namespace nimbrook
