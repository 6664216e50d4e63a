#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "capture/IgnoredApplications.h"
#include "model/ClipboardItem.h"
#include "model/Timestamp.h"

namespace nimbrook {

class ActiveApplication;
class Clock;
class ImageStore;
class Pasteboard;
class Scheduler;
class TaskHandle;
class WorkQueue;

// Polls the pasteboard twice a second and turns each change into at most one item: an
// image (PNG, else TIFF) written through the ImageStore and recorded by its path, else a
// non-blank text, untrimmed. Offers marked secret, and copies made in an ignored
// application, are consumed without an item or a file.
// Images are written and texts classified on the work queue, so that neither a large image
// nor a large text holds the owner's thread.
class ClipboardMonitor final {
public:
    struct Services {
        Pasteboard& pasteboard;
        ActiveApplication& activeApplication;
        ImageStore& imageStore;
        Scheduler& scheduler;
        Clock& clock;
        WorkQueue& workQueue;
    };

    explicit ClipboardMonitor(Services services);
    ~ClipboardMonitor();
    ClipboardMonitor(const ClipboardMonitor&) = delete;
    ClipboardMonitor& operator=(const ClipboardMonitor&) = delete;

    // Called on the owner's thread as the work queue completes the item, at most once per
    // tick and in the order of the ticks; never after the monitor is gone.
    void setOnNewItem(std::function<void(const ClipboardItem&)> callback);
    // Idempotent: a second start neither adds a timer nor resets anything. Whatever was
    // copied before the start is never captured.
    void start();
    // Cancels the timer; safe at any time. Destruction stops too.
    void stop();
    bool isRunning() const { return isRunning_; }
    // From the next change on.
    void setIgnoredApplications(IgnoredApplications ignored) { ignored_ = std::move(ignored); }
    // Looks at the pasteboard at once, as a tick does, after a change being read has been
    // read (at most a second); nothing while stopped.
    void pollNow();

private:
    void poll();
    std::optional<std::string> imageBytes() const;
    void postImageItem(std::string bytes, const std::optional<std::string>& sourceApp);
    void postTextItem(std::string text, const std::optional<std::string>& sourceApp);
    // The completion hands the item to the owner, or when the job made none, runs `otherwise`.
    void post(std::function<void()> job, std::shared_ptr<std::optional<ClipboardItem>> item,
              std::function<void()> otherwise = {});
    // The entry of a copied text; nullopt when it is blank.
    static std::optional<ClipboardItem> textItem(std::string text, Timestamp now,
                                                 const std::optional<std::string>& sourceApp);

    Services services_;
    std::function<void(const ClipboardItem&)> onNewItem_;
    IgnoredApplications ignored_;
    std::int64_t lastChangeCount_ = 0;
    std::unique_ptr<TaskHandle> timer_;
    bool isRunning_ = false;
    // Completions hold it weakly: one that arrives after the monitor is gone does nothing.
    std::shared_ptr<const bool> lifetime_ = std::make_shared<const bool>(true);
};

}  // namespace nimbrook
