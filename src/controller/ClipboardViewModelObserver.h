#pragma once

#include <cstddef>

namespace nimbrook {

// Told after each change of the controller's published state, so a view can
// relayout only what changed.
class ClipboardViewModelObserver {
public:
    virtual ~ClipboardViewModelObserver() = default;

    // `count` entries now stand at `first` .. `first + count - 1` of items().
    virtual void itemsInserted(std::size_t first, std::size_t count) = 0;
    // The entries that stood at `first` .. `first + count - 1` are gone.
    virtual void itemsRemoved(std::size_t first, std::size_t count) = 0;
    // The entry at `index` was replaced by another (a conversion).
    virtual void itemReplaced(std::size_t index) = 0;
    // Anything else about items() changed: read it anew.
    virtual void itemsReset() = 0;
    virtual void searchTextChanged() = 0;
    virtual void monitoringChanged() = 0;
    virtual void copiedFlashChanged() = 0;
    virtual void toastMessageChanged() = 0;
    // Only the views that show these need to follow them.
    // The entry at `index` started or stopped showing that a conversion runs on it.
    virtual void itemBusyChanged(std::size_t /*index*/) {}
    virtual void saveErrorChanged() {}
    virtual void ignoredApplicationsChanged() {}
    // Image files were added to or removed from the image store's folder.
    virtual void imageFilesChanged() {}
};

}  // namespace nimbrook
