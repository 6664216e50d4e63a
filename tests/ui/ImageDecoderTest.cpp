#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestImages.h"
#include "ui/ImageDecoder.h"

namespace nimbrook {
namespace {

using Status = DecodedImage::Status;

struct FitCase {
    const char* name;
    QSize size;
    QSize box;
    QSize fitted;
};

const FitCase fitCases[] = {
    {"smallerIsNeverEnlarged", {64, 32}, {280, 45}, {64, 32}},
    {"wideFitsTheWidth", {1000, 100}, {280, 45}, {280, 28}},
    {"tallFitsTheHeight", {100, 1000}, {280, 45}, {4, 45}},
    {"aHairlineKeepsAPixel", {100000, 1}, {280, 45}, {280, 1}},
    {"emptyImage", {0, 10}, {280, 45}, {}},
    {"emptyBox", {64, 32}, {0, 45}, {}},
};

TEST(ImageDecoderTest, fitsInsideTheBox) {
    for (const auto& [name, size, box, fitted] : fitCases) {
        EXPECT_EQ(ImageDecoder::fitted(size, box), fitted) << name;
    }
}

// What a file holds: "solid:WxH" a PNG of the test colour, "claims:WxH" a bomb's header,
// "bytes:..." those bytes, "fifo" a named pipe, "folder" a folder, "none" nothing.
struct DecodeCase {
    const char* name;
    const char* file;
    Status status;
    QSize size = {0, 0};
};

const DecodeCase decodeCases[] = {
    {"smallPicture", "solid:64x32", Status::decoded, {64, 32}},
    {"largePictureIsScaledDown", "solid:1200x600", Status::decoded, {90, 45}},
    {"bombOf20000By20000", "claims:20000x20000", Status::tooLarge},
    {"bombJustPastTheLimit", "claims:10000x5001", Status::tooLarge},
    {"widthTheReaderRejects", "claims:2147483647x2147483647", Status::undecodable},
    {"truncatedPng", "bytes:\x89PNG\r\n", Status::undecodable},
    {"notAnImage", "bytes:hello", Status::undecodable},
    {"emptyFile", "bytes:", Status::undecodable},
    {"missingFile", "none", Status::missing},
    {"folder", "folder", Status::missing},
    {"namedPipeIsNeverOpened", "fifo", Status::missing},
};

QSize sizeIn(const QString& text) {
    const QString dimensions = text.section(u':', 1);
    return {dimensions.section(u'x', 0, 0).toInt(), dimensions.section(u'x', 1).toInt()};
}

void make(const QString& path, const QString& file) {
    if (file.startsWith(u"solid:")) {
        ASSERT_TRUE(testImages::writeSolidPng(path, sizeIn(file)));
    } else if (file.startsWith(u"claims:")) {
        const QString dimensions = file.section(u':', 1);
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(testImages::pngClaiming(dimensions.section(u'x', 0, 0).toUInt(),
                                          dimensions.section(u'x', 1).toUInt()));
    } else if (file.startsWith(u"bytes:")) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(file.section(u':', 1).toLatin1());
    } else if (file == u"fifo") {
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (file == u"folder") {
        ASSERT_TRUE(QDir().mkdir(path));
    }
}

TEST(ImageDecoderTest, decodesOrSaysWhyNot) {
    for (const auto& [name, file, status, size] : decodeCases) {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("clipboard_1.png"));
        make(path, QString::fromLatin1(file));
        const DecodedImage decoded = ImageDecoder::decode(path, QSize(280, 45));
        EXPECT_EQ(decoded.status, status) << name;
        EXPECT_EQ(decoded.image.size(), size) << name;
        if (status == Status::decoded) {
            EXPECT_EQ(decoded.image.pixelColor(size.width() / 2, size.height() / 2),
                      testImages::solid)
                << name;
        }
    }
}

TEST(ImageDecoderTest, aRelativePathNamesNothing) {
    QTemporaryDir folder;
    ASSERT_TRUE(testImages::writeSolidPng(folder.filePath(QStringLiteral("a.png")), {8, 8}));
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    EXPECT_EQ(ImageDecoder::decode(QStringLiteral("a.png"), {280, 45}).status, Status::missing);
}

}  // namespace
}  // namespace nimbrook
