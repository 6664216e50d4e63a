#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/ClipboardMonitor.h"
#include "controller/HistoryPersistence.h"
#include "conversion/SmartConverter.h"
#include "model/ClipboardItem.h"
#include "platform/Pasteboard.h"

namespace nimbrook {

class ClipboardViewModelObserver;
class HistoryJournal;
class ImageTranscoder;
class StorageService;
class TaskHandle;

// The one state object of the program: the history newest first, capture, keeping the
// history on disk (HistoryPersistence), search, copying back, conversions and their
// short-lived feedback. Saves and conversions run on the monitor's work queue, in the order
// asked, over snapshots that share the entries; their results are applied here, on the
// owner's thread.
class ClipboardViewModel final {
public:
    struct Services {
        ClipboardMonitor::Services monitor;
        StorageService& storage;
        HistoryJournal& journal;
        // Gives a TIFF entry copied back its PNG form; without it only the TIFF is offered.
        const ImageTranscoder* imageTranscoder = nullptr;
    };

    static constexpr std::string_view imageMissingToast = "图片已丢失，已复制路径";

    // Called with the toast that a conversion raised once its result is applied.
    using ConversionDone = std::function<void(const std::string& toast)>;

    // Loads the history (kept whole, even past the limit, until the next capture) with the
    // journal replayed onto it, and starts monitoring.
    explicit ClipboardViewModel(Services services);
    // Stops the monitor and drops a pending save (call flushPendingSave first to keep it);
    // results of the work queue that arrive later are dropped.
    ~ClipboardViewModel();
    ClipboardViewModel(const ClipboardViewModel&) = delete;
    ClipboardViewModel& operator=(const ClipboardViewModel&) = delete;

    // The history as shown: the pinned entries first, the latest pin first, then the others
    // newest first (PinnedOrder).
    const std::vector<ClipboardItem>& items() const { return items_; }
    // How many entries lead items() pinned.
    std::size_t pinnedCount() const;
    // The moment the clock the entries are stamped by reads.
    Timestamp now() const;
    const std::string& searchText() const { return searchText_; }
    bool isMonitoring() const { return isMonitoring_; }
    const std::optional<Uuid>& copiedFlash() const { return copiedFlash_; }
    const std::optional<std::string>& toastMessage() const { return toastMessage_; }
    // Why the last save failed, until one succeeds; saves are then retried on every change
    // and every 30 s.
    const std::optional<std::string>& saveError() const { return persistence_.saveError(); }
    // The queue that saves and conversions run on, for the views' own work off their thread.
    WorkQueue& workQueue() const { return services_.monitor.workQueue; }
    // Sums the sizes of the image files on the work queue and hands the bytes to `done` on
    // the owner's thread (never once the controller is gone).
    void measureImageFiles(std::function<void(std::uint64_t bytes)> done) const;
    // Whether the entry's row shows that it is busy: a conversion of its large text runs
    // or waits.
    bool isConverting(const Uuid& id) const;

    // Invalid UTF-8 is repaired; setting the same text again announces nothing.
    void setSearchText(std::string text);
    // The entries matching searchText, in the order of items(): all of items() when it is empty,
    // else those whose lower-cased NFC content, then type search label, then source name
    // contains the lower-cased NFC search text (blanks included, nothing trimmed).
    std::vector<ClipboardItem> filteredItems() const;
    // The positions in items() of the entries that `text` finds, by the rules of
    // filteredItems (the empty text finds every entry); invalid UTF-8 is repaired first.
    std::vector<std::size_t> indexesMatching(std::string_view text) const;

    // Flips isMonitoring and starts or stops the monitor.
    void toggleMonitoring();
    // Removes the entry with the item's id (nothing when absent) and schedules a save.
    void deleteItem(const ClipboardItem& item);
    // Removes every entry that is not pinned and schedules a save.
    void clearAll();
    // Pins the entry on top of the pinned ones, or unpins it back to where its time places it
    // among the others, and schedules a save; nothing when it is absent or already so. Pinning
    // past pinLimit entries only raises the toast "最多置顶 100 条" and returns false.
    bool setPinned(const ClipboardItem& item, bool pinned);
    // Copies whose source application has one of these names (by the rules of
    // IgnoredApplications) leave no trace from now on. Observers are told when the list
    // changes.
    void setIgnoredApplications(const std::vector<std::string>& names);
    const std::vector<std::string>& ignoredApplications() const { return ignoredApplications_; }
    // Whether a copy from `sourceApp` is not recorded.
    bool isIgnored(const std::string& sourceApp) const;
    // The source applications the history names, each once, in the order first found.
    std::vector<std::string> sourceApplications() const;
    // False where the desktop never names the source of a copy.
    bool knowsSourceApplications() const;
    // Puts the item's content on the pasteboard as plain text (the monitor's report of it
    // is dropped) and highlights the item for 0.8 s. An image entry goes as its picture, its
    // file's URL and its path (ImageCopy), a large file read on the work queue; a later copy
    // wins over one still read. Without a picture it goes as the path, with the toast
    // imageMissingToast.
    void copyToPasteboard(const ClipboardItem& item);
    // Whether the last copy is a picture still read on the work queue: not on the pasteboard yet.
    bool isCopyInFlight() const { return copyBeingRead_ == copies_; }
    // Converts the content on the work queue; unchanged or blank results only raise a toast.
    // Otherwise the entry is replaced in place by a new one holding the result, the result is
    // copied and "已转换并复制" shows for 1.5 s (also when the entry has gone meanwhile). A
    // request for an entry whose conversion still runs waits for it and then converts the
    // entry that took its place.
    void copyConverted(const ClipboardItem& item, SmartConverter::Conversion conversion,
                       ConversionDone done = {});

    // Shows `text` as the toast for 1.5 s (a paste that could only copy says so).
    void showToast(std::string text);

    // An orderly end of the program: takes a last look at the pasteboard, waits for the work
    // queue, then writes a pending save, or retries a failing one, and waits for that too.
    void flushPendingSave();

    // Observers are not owned and must be removed before they are destroyed.
    void addObserver(ClipboardViewModelObserver& observer);
    void removeObserver(ClipboardViewModelObserver& observer);

private:
    // A clearing task of the highlight or the toast, forgotten once it has run.
    struct ClearingTask {
        std::shared_ptr<bool> hasRun;
        std::unique_ptr<TaskHandle> handle;
    };

    struct ConversionRequest {
        SmartConverter::Conversion conversion;
        ConversionDone done;
    };
    // The conversions of one row: the one running on `id` and those waiting for it.
    struct ConversionChain {
        Uuid id;
        bool busy = false;
        std::deque<ConversionRequest> waiting;
    };
    struct ConversionOutcome;

    void handleNewItem(const ClipboardItem& item);
    bool contains(const std::string& canonicalContent) const;
    void trimIfNeeded();
    void moveItem(std::size_t from, std::size_t to, const ClipboardItem& moved);
    void startConversion(const ClipboardItem& item, ConversionRequest request);
    void finishConversion(const ClipboardItem& item, const ConversionRequest& request,
                          const ConversionOutcome& outcome);
    std::optional<ClipboardItem> applyConversion(const ClipboardItem& item,
                                                 const ConversionOutcome& outcome);
    void notifyBusy(const Uuid& id);
    void writeToPasteboard(const ClipboardItem& item);
    void markOwnWrite(const ClipboardItem& item);
    void writeImage(const ClipboardItem& item, const std::optional<Pasteboard::ImageOffer>& offer);
    void flashCopied(const Uuid& id);
    void scheduleClearing(std::chrono::milliseconds delay, std::function<void()> action);
    template <typename Notification>
    void notify(Notification notification);

    Services services_;
    std::vector<ClipboardItem> items_;
    HistoryPersistence persistence_;
    std::string searchText_;
    bool isMonitoring_ = true;
    std::optional<Uuid> copiedFlash_;
    std::optional<std::string> toastMessage_;
    std::vector<ClipboardViewModelObserver*> observers_;
    ClipboardMonitor monitor_;
    // NFC form of the text this program last wrote to the pasteboard.
    std::optional<std::string> lastCopiedContent_;
    // Counts the writes asked for: an image read on the work queue is written only when no
    // other write was asked for after it.
    std::uint64_t copies_ = 0;
    // The number of the copy whose picture is read on the work queue; any later write moves
    // copies_ past it.
    std::optional<std::uint64_t> copyBeingRead_;
    std::vector<ConversionChain> conversions_;
    std::vector<std::string> ignoredApplications_;
    std::vector<ClearingTask> clearingTasks_;
    // Completions of the work queue hold it weakly: they do nothing once the controller is gone.
    std::shared_ptr<const bool> lifetime_ = std::make_shared<const bool>(true);
};

}  // namespace nimbrook
