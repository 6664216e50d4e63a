#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "model/ClipboardItem.h"

namespace nimbrook {

class ActiveApplication;
class Clock;
class ImageStore;
class Pasteboard;
class Scheduler;
class TaskHandle;

// Polls the pasteboard twice a second and turns each change into at most one item.
class ClipboardMonitor final {
public:
    struct Services {
        Pasteboard& pasteboard;
        ActiveApplication& activeApplication;
        ImageStore& imageStore;
        Scheduler& scheduler;
        Clock& clock;
    };

    explicit ClipboardMonitor(Services services);
    ~ClipboardMonitor();
    ClipboardMonitor(const ClipboardMonitor&) = delete;
    ClipboardMonitor& operator=(const ClipboardMonitor&) = delete;

    void setOnNewItem(std::function<void(const ClipboardItem&)> callback);
    // Idempotent: a second start neither adds a timer nor resets anything.
    void start();
    void stop();
    bool isRunning() const { return isRunning_; }

private:
    void poll();

    Services services_;
    std::function<void(const ClipboardItem&)> onNewItem_;
    std::int64_t lastChangeCount_ = 0;
    std::unique_ptr<TaskHandle> timer_;
    bool isRunning_ = false;
};

}  // namespace nimbrook
