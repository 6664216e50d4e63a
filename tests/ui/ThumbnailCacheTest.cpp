#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "support/ManualWorkQueue.h"
#include "ui/ThumbnailCache.h"

namespace nimbrook {
namespace {

const QSize box(280, 45);

struct ThumbnailCacheTest : testing::Test {
    QTemporaryDir folder;
    ManualWorkQueue queue;

    QString picture(int number, QSize size = box) {
        const QString path = folder.filePath(QStringLiteral("clipboard_%1.png").arg(number));
        EXPECT_TRUE(testImages::writeSolidPng(path, size));
        return path;
    }
};

TEST_F(ThumbnailCacheTest, readsEachFileOnceOffTheCallersTurn) {
    ThumbnailCache cache(queue);
    QSignalSpy decoded(&cache, &ThumbnailCache::decoded);
    const QString path = picture(1);
    queue.hold();
    EXPECT_FALSE(cache.find(path, box));
    EXPECT_FALSE(cache.find(path, box));
    EXPECT_TRUE(queue.runNextJob());
    EXPECT_FALSE(queue.runNextJob());
    EXPECT_FALSE(cache.find(path, box));
    queue.deliver();
    ASSERT_EQ(decoded.size(), 1);
    EXPECT_EQ(decoded.front().front().toString(), path);
    const auto found = cache.find(path, box);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->image.size(), box);
    // Another box is another reading.
    EXPECT_FALSE(cache.find(path, box / 2));
}

TEST_F(ThumbnailCacheTest, keepsNoMoreThanItsBudget) {
    ThumbnailCache cache(queue);
    const QString path = picture(1, {600, 600});
    qsizetype largest = 0;
    // Squares of 40 to 239 pixels: together more than twice the budget.
    for (int height = 40; height < 240; ++height) {
        const auto found = cache.find(path, {600, height});
        ASSERT_TRUE(found);
        EXPECT_EQ(found->status, DecodedImage::Status::decoded);
        largest = std::max(largest, cache.heldBytes());
    }
    EXPECT_LE(largest, ThumbnailCache::maxBytes);
    EXPECT_GT(largest, ThumbnailCache::maxBytes / 2);
}

TEST_F(ThumbnailCacheTest, aQuickScrollReadsOnlyTheLatestRows) {
    ThumbnailCache cache(queue);
    QSignalSpy decoded(&cache, &ThumbnailCache::decoded);
    queue.hold();
    QStringList paths;
    for (int number = 0; number < ThumbnailCache::maxPending + 6; ++number) {
        paths << picture(number, {8, 8});
        cache.find(paths.back(), box);
    }
    queue.release();
    ASSERT_EQ(decoded.size(), ThumbnailCache::maxPending);
    EXPECT_EQ(decoded.front().front().toString(), paths[6]);
    // A dropped row asked again is read then.
    EXPECT_TRUE(cache.find(paths[0], box));
}

TEST_F(ThumbnailCacheTest, aReadingDoneAfterTheCacheIsGoneIsDropped) {
    const QString path = picture(1);
    queue.hold();
    {
        ThumbnailCache cache(queue);
        cache.find(path, box);
    }
    queue.release();
    EXPECT_FALSE(queue.runNextJob());
}

}  // namespace
}  // namespace nimbrook
