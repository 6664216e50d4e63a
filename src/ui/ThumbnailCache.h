#pragma once

#include <QCache>
#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>

#include "ui/ImageDecoder.h"

namespace nimbrook {

class WorkQueue;

// Image files decoded on the work queue to fit a box, kept while they fit the byte budget.
// The panel asks only for what it draws, so only rows on the screen (and the few around
// them) are ever decoded.
class ThumbnailCache final : public QObject {
    Q_OBJECT

public:
    // Pixels kept at most: a page of rows many times over, at any screen resolution (a
    // thumbnail of a 400-point row is about 55 KB, at twice the resolution 220 KB).
    static constexpr qsizetype maxBytes = 8 << 20;
    // Readings waiting at most: the work queue also saves the history, and a quick scroll
    // over hundreds of pictures must not queue a reading for every row it passed. The
    // oldest request is dropped, as its row has most likely left the screen.
    static constexpr qsizetype maxPending = 24;

    explicit ThumbnailCache(WorkQueue& workQueue, QObject* parent = nullptr);
    ~ThumbnailCache() override;
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // The file at `path` fitted into `box` (device pixels), or nullopt while it is read: the
    // first ask queues the reading, and `decoded` tells when it is done.
    std::optional<DecodedImage> find(const QString& path, QSize box);
    // The pixels held now, refusals counted as a few bytes.
    qsizetype heldBytes() const { return cache_.totalCost(); }

signals:
    void decoded(const QString& path);

private:
    static QString keyOf(const QString& path, QSize box);
    void dropOldestRequest();
    void store(const QString& key, const QString& path, DecodedImage image);

    WorkQueue& workQueue_;
    QCache<QString, DecodedImage> cache_;
    struct Request {
        std::shared_ptr<std::atomic<bool>> dropped;
        quint64 sequence = 0;
    };
    QHash<QString, Request> pending_;
    quint64 nextSequence_ = 0;
    // Completions of the work queue hold it weakly: they do nothing once the cache is gone.
    std::shared_ptr<const bool> lifetime_ = std::make_shared<const bool>(true);
};

}  // namespace nimbrook
