#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/ClipboardMonitor.h"
#include "conversion/SmartConverter.h"
#include "model/ClipboardItem.h"

namespace nimbrook {

class ClipboardViewModelObserver;
class StorageService;
class TaskHandle;

// The one state object of the program: the history newest first, capture, the delayed
// save, search, copying back, conversions and their short-lived feedback.
class ClipboardViewModel final {
public:
    struct Services {
        ClipboardMonitor::Services monitor;
        StorageService& storage;
    };

    // Loads the history (kept whole, even past the limit, until the next capture) and
    // starts monitoring.
    explicit ClipboardViewModel(Services services);
    // Stops the monitor and drops a pending save (call flushPendingSave first to keep it).
    ~ClipboardViewModel();
    ClipboardViewModel(const ClipboardViewModel&) = delete;
    ClipboardViewModel& operator=(const ClipboardViewModel&) = delete;

    const std::vector<ClipboardItem>& items() const { return items_; }
    const std::string& searchText() const { return searchText_; }
    bool isMonitoring() const { return isMonitoring_; }
    const std::optional<Uuid>& copiedFlash() const { return copiedFlash_; }
    const std::optional<std::string>& toastMessage() const { return toastMessage_; }

    // Invalid UTF-8 is repaired; setting the same text again announces nothing.
    void setSearchText(std::string text);
    // The entries matching searchText, in history order: all of items() when it is empty,
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
    // Empties the history and schedules a save.
    void clearAll();
    // Puts the item's content on the pasteboard as plain text (the monitor's report of it
    // is dropped) and highlights the item for 0.8 s.
    void copyToPasteboard(const ClipboardItem& item);
    // Converts the content; unchanged or blank results only raise a toast. Otherwise the
    // entry is replaced in place by a new one holding the result, the result is copied and
    // "已转换并复制" shows for 1.5 s (also when the entry has gone meanwhile).
    void copyConverted(const ClipboardItem& item, SmartConverter::Conversion conversion);

    // Writes a pending save at once (an orderly end of the program); no-op when none is pending.
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

    void handleNewItem(const ClipboardItem& item);
    bool contains(const std::string& canonicalContent) const;
    void trimIfNeeded();
    void debounceSave();
    void writePendingSave();
    void writeToPasteboard(const std::string& text);
    void flashCopied(const Uuid& id);
    void showToast(std::string text);
    void scheduleClearing(std::chrono::milliseconds delay, std::function<void()> action);
    template <typename Notification>
    void notify(Notification notification);

    Services services_;
    std::vector<ClipboardItem> items_;
    std::string searchText_;
    bool isMonitoring_ = true;
    std::optional<Uuid> copiedFlash_;
    std::optional<std::string> toastMessage_;
    std::vector<ClipboardViewModelObserver*> observers_;
    ClipboardMonitor monitor_;
    // NFC form of the text this program last wrote to the pasteboard.
    std::optional<std::string> lastCopiedContent_;
    std::optional<std::vector<ClipboardItem>> pendingSave_;
    std::unique_ptr<TaskHandle> saveTask_;
    std::vector<ClearingTask> clearingTasks_;
};

}  // namespace nimbrook
