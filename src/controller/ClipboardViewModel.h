#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/ClipboardMonitor.h"
#include "conversion/SmartConverter.h"
#include "model/ClipboardItem.h"

namespace nimbrook {

class ClipboardViewModelObserver;
class StorageService;

// The one state object of the program: the history newest first, capture, the delayed
// save, search, copying back, conversions and their short-lived feedback.
class ClipboardViewModel final {
public:
    struct Services {
        ClipboardMonitor::Services monitor;
        StorageService& storage;
    };

    // Loads the history and starts monitoring.
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

    void setSearchText(std::string text);
    // The entries matching searchText, in history order.
    std::vector<ClipboardItem> filteredItems() const;

    void toggleMonitoring();
    void deleteItem(const ClipboardItem& item);
    void clearAll();
    void copyToPasteboard(const ClipboardItem& item);
    void copyConverted(const ClipboardItem& item, SmartConverter::Conversion conversion);

    // Writes a pending save at once (an orderly end of the program); no-op when none is pending.
    void flushPendingSave();

    // Observers are not owned and must be removed before they are destroyed.
    void addObserver(ClipboardViewModelObserver& observer);
    void removeObserver(ClipboardViewModelObserver& observer);

private:
    Services services_;
    std::vector<ClipboardItem> items_;
    std::string searchText_;
    bool isMonitoring_ = true;
    std::optional<Uuid> copiedFlash_;
    std::optional<std::string> toastMessage_;
    std::vector<ClipboardViewModelObserver*> observers_;
};

}  // namespace nimbrook
