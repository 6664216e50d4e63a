#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/ClipboardItem.h"

namespace nimbrook {

class ActiveApplication;
class Clock;
class ImageStore;
class Pasteboard;
class Scheduler;
class TaskHandle;

// Polls the pasteboard twice a second and turns each change into at most one item: an
// image (PNG, else TIFF) written through the ImageStore and recorded by its path, else a
// non-blank text, untrimmed. Offers marked secret are consumed without an item or a file.
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

    // Called synchronously inside a tick, at most once per tick.
    void setOnNewItem(std::function<void(const ClipboardItem&)> callback);
    // Idempotent: a second start neither adds a timer nor resets anything. Whatever was
    // copied before the start is never captured.
    void start();
    // Cancels the timer; safe at any time. Destruction stops too.
    void stop();
    bool isRunning() const { return isRunning_; }

private:
    void poll();
    std::optional<ClipboardItem> imageItem(const std::optional<std::string>& sourceApp);
    std::optional<ClipboardItem> textItem(const std::optional<std::string>& sourceApp);

    Services services_;
    std::function<void(const ClipboardItem&)> onNewItem_;
    std::int64_t lastChangeCount_ = 0;
    std::unique_ptr<TaskHandle> timer_;
    bool isRunning_ = false;
};

}  // namespace nimbrook
