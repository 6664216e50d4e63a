#include "platform/qt/QtImageTranscoder.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

namespace nimbrook {

std::optional<std::string> QtImageTranscoder::pngFromTiff(std::string_view bytes) const {
    QByteArray input = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer source(&input);
    QImageReader reader(&source, "tiff");
    const QSize size = reader.size();
    if (!size.isValid() || static_cast<long long>(size.width()) * size.height() > maxPixels) {
        return std::nullopt;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    QByteArray png;
    QBuffer target(&png);
    QImageWriter writer(&target, "png");
    if (!writer.write(image)) {
        return std::nullopt;
    }
    return png.toStdString();
}

}  // namespace nimbrook
