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
// How long a look made at once (before a quit) waits for a change being read: enough for an
// owner that answers, and no hang for one that never does.
constexpr std::chrono::milliseconds announcedChangeBound{1000};

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
        services_.pasteboard.awaitAnnouncedChange(announcedChangeBound);
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
    if (auto image = imageBytes()) {
        postImageItem(std::move(*image), sourceApp);
    } else if (auto text = services_.pasteboard.string()) {
        postTextItem(std::move(*text), sourceApp);
    }
}

void ClipboardMonitor::post(std::function<void()> job,
                            std::shared_ptr<std::optional<ClipboardItem>> item,
                            std::function<void()> otherwise) {
    services_.workQueue.post(std::move(job), [this, item, otherwise = std::move(otherwise),
                                              alive = std::weak_ptr(lifetime_)] {
        if (alive.expired()) {
            return;
        }
        if (*item && onNewItem_) {
            onNewItem_(**item);
        } else if (!*item && otherwise) {
            otherwise();
        }
    });
}

std::optional<std::string> ClipboardMonitor::imageBytes() const {
    // No image is zero bytes long: an empty representation is an owner that failed to
    // deliver it, and recording it would leave an empty file and lose the text beside it.
    const auto hasBytes = [](const std::optional<std::string>& data) {
        return data && !data->empty();
    };
    auto bytes = services_.pasteboard.pngData();
    if (!hasBytes(bytes)) {
        bytes = services_.pasteboard.tiffData();
    }
    return hasBytes(bytes) ? std::move(bytes) : std::nullopt;
}

// The file is written on the worker: megabytes written on the owner's thread would hold the
// panel for as long. The entry reaches the owner only once the file is whole, so no save
// can name a file that is not there yet. When it cannot be written, the text of the same
// offer is recorded instead, if the offer is still the pasteboard's.
void ClipboardMonitor::postImageItem(std::string bytes,
                                     const std::optional<std::string>& sourceApp) {
    auto item = std::make_shared<std::optional<ClipboardItem>>();
    post(
        [item, &store = services_.imageStore,
         bytes = std::make_shared<std::string>(std::move(bytes)), now = services_.clock.now(),
         sourceApp] {
            if (auto path = store.store(*bytes, now)) {
                item->emplace(Uuid::random(), std::move(*path), ContentType::image, now, sourceApp);
            }
        },
        item,
        [this, count = lastChangeCount_, sourceApp] {
            if (services_.pasteboard.changeCount() != count) {
                return;
            }
            if (auto text = services_.pasteboard.string()) {
                postTextItem(std::move(*text), sourceApp);
            }
        });
}

// The text is checked, classified and made an entry (normalised and lower-cased for search)
// on the worker: for a text of megabytes each of these takes a while.
void ClipboardMonitor::postTextItem(std::string text, const std::optional<std::string>& sourceApp) {
    auto item = std::make_shared<std::optional<ClipboardItem>>();
    post([item, text = std::move(text), now = services_.clock.now(),
          sourceApp]() mutable { *item = textItem(std::move(text), now, sourceApp); },
         item);
}

std::optional<ClipboardItem> ClipboardMonitor::textItem(
    std::string text, Timestamp now, const std::optional<std::string>& sourceApp) {
    // The pasteboard promises valid UTF-8; every later Unicode service relies on it.
    if (!UnicodeText::isValidUtf8(text)) {
        text = UnicodeText::repairedUtf8(text);
    }
    if (CharacterSets::isBlank(text, CharacterSet::whitespaceAndNewlines)) {
        return std::nullopt;
    }
    const ContentType type = ContentDetector::detect(text);
    return ClipboardItem(Uuid::random(), std::move(text), type, now, sourceApp);
}

}  // namespace nimbrook
