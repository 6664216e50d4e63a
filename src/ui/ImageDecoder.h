#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace nimbrook {

// What reading an image file gave: the picture, or why there is none.
struct DecodedImage {
    enum class Status { decoded, missing, tooLarge, undecodable };

    Status status = Status::undecodable;
    QImage image;
};

// Reads image files for the panel, on any thread. A file names its own size in a few header
// bytes; one that claims more than `maxPixels` is refused before a pixel is decoded, so a
// small file cannot make the program allocate gigabytes.
class ImageDecoder final {
public:
    // About an 8K screenshot and a half: 160 MB while it is decoded, then let go of.
    static constexpr qint64 maxPixels = 50'000'000;

    // The image at `path` scaled down to fit `box` (device pixels), its aspect kept and never
    // enlarged; `missing` when `path` names no regular file by an absolute path, `tooLarge` past
    // maxPixels.
    static DecodedImage decode(const QString& path, QSize box);
    // The size that fits `size` into `box`, aspect kept, never larger than `size`.
    static QSize fitted(QSize size, QSize box);
};

}  // namespace nimbrook
