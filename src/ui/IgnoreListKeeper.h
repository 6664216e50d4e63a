#pragma once

#include "controller/ClipboardViewModelObserver.h"

namespace nimbrook {

class ClipboardViewModel;
class Preferences;

// Keeps the controller's ignored programs in the preferences: hands the saved list to the
// controller when made, and saves the list whenever it changes, from the settings window or
// from a row's menu alike.
class IgnoreListKeeper final : private ClipboardViewModelObserver {
public:
    IgnoreListKeeper(ClipboardViewModel& viewModel, Preferences& preferences);
    ~IgnoreListKeeper() override;
    IgnoreListKeeper(const IgnoreListKeeper&) = delete;
    IgnoreListKeeper& operator=(const IgnoreListKeeper&) = delete;

private:
    void itemsInserted(std::size_t, std::size_t) override {}
    void itemsRemoved(std::size_t, std::size_t) override {}
    void itemReplaced(std::size_t) override {}
    void itemsReset() override {}
    void searchTextChanged() override {}
    void monitoringChanged() override {}
    void copiedFlashChanged() override {}
    void toastMessageChanged() override {}
    void ignoredApplicationsChanged() override;

    ClipboardViewModel& viewModel_;
    Preferences& preferences_;
};

}  // namespace nimbrook
