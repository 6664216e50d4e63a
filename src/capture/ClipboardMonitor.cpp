#include "capture/ClipboardMonitor.h"

#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "detection/ContentDetector.h"
#include "model/Uuid.h"
#include "platform/ActiveApplication.h"
#include "platform/CharacterSet.h"
#include "platform/Clock.h"
#include "platform/ImageStore.h"
#include "platform/Pasteboard.h"
#include "platform/Scheduler.h"
#include "platform/UnicodeText.h"
#include "platform/WorkQueue.h"

namespace nimbrook {

namespace {

constexpr std::chrono::milliseconds pollInterval{500};

}  // namespace

ClipboardMonitor::ClipboardMonitor(Services services)
    : services_(services), lastChangeCount_(services.pasteboard.changeCount()) {}

// timer_ is destroyed with the monitor, which cancels it: no tick reaches a dead monitor.
ClipboardMonitor::~ClipboardMonitor() = default;

void ClipboardMonitor::setOnNewItem(std::function<void(const ClipboardItem&)> callback) {
    onNewItem_ = std::move(callback);
}

void ClipboardMonitor::start() {
    if (isRunning_) {
        return;
    }
    isRunning_ = true;
    lastChangeCount_ = services_.pasteboard.changeCount();
    timer_ = services_.scheduler.repeat(pollInterval, [this] { poll(); });
}

void ClipboardMonitor::stop() {
    timer_.reset();
    isRunning_ = false;
}

void ClipboardMonitor::pollNow() {
    if (isRunning_) {
        poll();
    }
}

void ClipboardMonitor::poll() {
    const std::int64_t changeCount = services_.pasteboard.changeCount();
    if (changeCount == lastChangeCount_) {
        return;
    }
    lastChangeCount_ = changeCount;
    // A password manager's offer leaves no trace: no entry, no file, not even the app name.
    if (services_.pasteboard.isSecret()) {
        return;
    }
    const auto sourceApp = services_.activeApplication.frontmostName();
    // As for a secret: the ignored program's copy is read no further, so no file is made.
    if (ignored_.contains(sourceApp)) {
        return;
    }
    if (auto image = imageItem(sourceApp)) {
        // Through the queue all the same, so that it comes after a text copied before it.
        post([] {}, std::make_shared<std::optional<ClipboardItem>>(std::move(image)));
    } else {
        postTextItem(sourceApp);
    }
}

void ClipboardMonitor::post(std::function<void()> job,
                            std::shared_ptr<std::optional<ClipboardItem>> item) {
    services_.workQueue.post(std::move(job), [this, item, alive = std::weak_ptr(lifetime_)] {
        if (!alive.expired() && *item && onNewItem_) {
            onNewItem_(**item);
        }
    });
}

std::optional<ClipboardItem> ClipboardMonitor::imageItem(
    const std::optional<std::string>& sourceApp) {
    // No image is zero bytes long: an empty representation is an owner that failed to
    // deliver it, and recording it would leave an empty file and lose the text beside it.
    const auto hasBytes = [](const std::optional<std::string>& data) {
        return data && !data->empty();
    };
    auto bytes = services_.pasteboard.pngData();
    if (!hasBytes(bytes)) {
        bytes = services_.pasteboard.tiffData();
    }
    if (!hasBytes(bytes)) {
        return std::nullopt;
    }
    const Timestamp now = services_.clock.now();
    auto path = services_.imageStore.store(*bytes, now);
    if (!path) {
        return std::nullopt;
    }
    return ClipboardItem(Uuid::random(), std::move(*path), ContentType::image, now, sourceApp);
}

// The text is checked, classified and made an entry (normalised and lower-cased for search)
// on the worker: for a text of megabytes each of these takes a while.
void ClipboardMonitor::postTextItem(const std::optional<std::string>& sourceApp) {
    auto text = services_.pasteboard.string();
    if (!text) {
        return;
    }
    auto item = std::make_shared<std::optional<ClipboardItem>>();
    post(
        [item, text = std::move(*text), now = services_.clock.now(), sourceApp]() mutable {
            // The pasteboard promises valid UTF-8; every later Unicode service relies on it.
            if (!UnicodeText::isValidUtf8(text)) {
                text = UnicodeText::repairedUtf8(text);
            }
            if (CharacterSets::isBlank(text, CharacterSet::whitespaceAndNewlines)) {
                return;
            }
            const ContentType type = ContentDetector::detect(text);
            item->emplace(Uuid::random(), std::move(text), type, now, sourceApp);
        },
        item);
}

}  // namespace nimbrook
