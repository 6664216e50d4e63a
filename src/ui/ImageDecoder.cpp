#include "ui/ImageDecoder.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

namespace nimbrook {

QSize ImageDecoder::fitted(QSize size, QSize box) {
    if (size.isEmpty() || box.isEmpty()) {
        return {};
    }
    if (size.width() <= box.width() && size.height() <= box.height()) {
        return size;
    }
    return size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

DecodedImage ImageDecoder::decode(const QString& path, QSize box) {
    // Only regular files: a pipe named like a picture would keep the worker waiting forever,
    // and a relative path would name a file of wherever the program was started.
    if (!QDir::isAbsolutePath(path) || !QFileInfo(path).isFile()) {
        return {.status = DecodedImage::Status::missing, .image = {}};
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (qint64(size.width()) * size.height() > maxPixels) {
        return {.status = DecodedImage::Status::tooLarge, .image = {}};
    }
    // A format that names no size is held by the reader's own allocation limit instead.
    if (size.isValid()) {
        reader.setScaledSize(fitted(size, box));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        return {.status = DecodedImage::Status::undecodable, .image = {}};
    }
    if (!size.isValid()) {
        image =
            image.scaled(fitted(image.size(), box), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return {.status = DecodedImage::Status::decoded, .image = std::move(image)};
}

}  // namespace nimbrook
