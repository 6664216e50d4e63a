#include "ui/ThumbnailCache.h"

#include <algorithm>

#include "platform/WorkQueue.h"

namespace nimbrook {

namespace {

// What a refusal costs in the cache: it holds no pixels, yet thousands of them must not pile up.
constexpr qsizetype refusalCost = 256;

}  // namespace

ThumbnailCache::ThumbnailCache(WorkQueue& workQueue, QObject* parent)
    : QObject(parent), workQueue_(workQueue), cache_(maxBytes) {}

ThumbnailCache::~ThumbnailCache() = default;

QString ThumbnailCache::keyOf(const QString& path, QSize box) {
    return QString::number(box.width()) + u'x' + QString::number(box.height()) + u' ' + path;
}

std::optional<DecodedImage> ThumbnailCache::find(const QString& path, QSize box) {
    const QString key = keyOf(path, box);
    if (const DecodedImage* found = cache_.object(key)) {
        return *found;
    }
    if (pending_.contains(key)) {
        return std::nullopt;
    }
    if (pending_.size() >= maxPending) {
        dropOldestRequest();
    }
    auto dropped = std::make_shared<std::atomic<bool>>(false);
    pending_.insert(key, Request{.dropped = dropped, .sequence = nextSequence_++});
    auto result = std::make_shared<DecodedImage>();
    workQueue_.post(
        [result, dropped, path, box] {
            if (!*dropped) {
                *result = ImageDecoder::decode(path, box);
            }
        },
        [this, alive = std::weak_ptr(lifetime_), dropped, result, key, path] {
            if (!alive.expired() && !*dropped) {
                store(key, path, std::move(*result));
            }
        });
    // A queue on this thread has read it already.
    if (const DecodedImage* found = cache_.object(key)) {
        return *found;
    }
    return std::nullopt;
}

void ThumbnailCache::dropOldestRequest() {
    auto oldest = std::min_element(
        pending_.begin(), pending_.end(),
        [](const Request& left, const Request& right) { return left.sequence < right.sequence; });
    *oldest->dropped = true;
    pending_.erase(oldest);
}

void ThumbnailCache::store(const QString& key, const QString& path, DecodedImage image) {
    pending_.remove(key);
    const qsizetype cost = std::max(refusalCost, qsizetype(image.image.sizeInBytes()));
    cache_.insert(key, new DecodedImage(std::move(image)), cost);
    emit decoded(path);
}

}  // namespace nimbrook
