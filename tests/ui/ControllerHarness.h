#pragma once

#include <QTemporaryDir>
#include <chrono>
#include <string>

#include "controller/ClipboardViewModel.h"
#include "model/HistoryJournal.h"
#include "model/StorageService.h"
#include "support/InMemoryActiveApplication.h"
#include "support/InMemoryImageStore.h"
#include "support/InMemoryPasteboard.h"
#include "support/ManualClock.h"
#include "support/ManualScheduler.h"
#include "support/ManualWorkQueue.h"

namespace nimbrook {

// A real controller over the in-memory platform, its history file in a temporary folder.
struct ControllerHarness {
    explicit ControllerHarness(Timestamp start = ManualClock::defaultStart) : clock(start) {}

    QTemporaryDir folder;
    ManualClock clock;
    ManualScheduler scheduler{clock};
    ManualWorkQueue workQueue;
    InMemoryPasteboard pasteboard;
    InMemoryActiveApplication activeApplication;
    InMemoryImageStore imageStore;
    StorageService storage{folder.path().toStdString(), [](const std::string&) {}};
    HistoryJournal journal{folder.path().toStdString(), [](const std::string&) {}};
    ClipboardViewModel viewModel{
        {{pasteboard, activeApplication, imageStore, scheduler, clock, workQueue},
         storage,
         journal}};

    // Another program copies `text`, and the next tick of the monitor sees it.
    void copy(const std::string& text) {
        pasteboard.copyText(text);
        clock.advance(std::chrono::milliseconds(500));
    }
};

}  // namespace nimbrook
