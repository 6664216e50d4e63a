#pragma once

#include <QCache>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
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
    void store(const QString& key, const QString& path, DecodedImage image);

    WorkQueue& workQueue_;
    QCache<QString, DecodedImage> cache_;
    QSet<QString> pending_;
    // Completions of the work queue hold it weakly: they do nothing once the cache is gone.
    std::shared_ptr<const bool> lifetime_ = std::make_shared<const bool>(true);
};

}  // namespace nimbrook
