#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QtEndian>
#include <cstdint>

namespace nimbrook::testImages {

// The colour of the test pictures: no colour of the panel's palettes comes near it.
inline const QColor solid(200, 30, 160);

inline bool writeSolidPng(const QString& path, QSize size, QColor color = solid) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    return image.save(path, "PNG");
}

inline std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

inline QByteArray chunk(const char* type, const QByteArray& data) {
    QByteArray length(4, '\0');
    qToBigEndian(static_cast<std::uint32_t>(data.size()), length.data());
    const QByteArray body = QByteArray(type) + data;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(body), crc.data());
    return length + body + crc;
}

// A well-formed PNG that claims `width` x `height` RGBA pixels and holds a few bytes of them:
// a decompression bomb's header.
inline QByteArray pngClaiming(std::uint32_t width, std::uint32_t height) {
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8;  // bits per channel
    header[9] = 6;  // RGBA
    // qCompress puts the length before the zlib stream.
    const QByteArray pixels = qCompress(QByteArray(4096, '\0')).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", pixels) +
           chunk("IEND", {});
}

}  // namespace nimbrook::testImages
