#include "controller/ImageCopy.h"

#include <memory>
#include <utility>

#include "platform/ImageFile.h"
#include "platform/ImageTranscoder.h"
#include "platform/PathText.h"

namespace nimbrook {

std::optional<Pasteboard::ImageOffer> ImageCopy::offerFor(const std::string& path,
                                                          const ImageTranscoder* transcoder) {
    auto bytes = ImageFile::read(path, Pasteboard::maximumRepresentationBytes);
    if (!bytes) {
        return std::nullopt;
    }
    const std::string_view type = ImageFile::mimeTypeOf(*bytes);
    if (type.empty()) {
        return std::nullopt;
    }
    Pasteboard::ImageOffer offer{
        .images = {}, .uriList = PathText::fileUrl(path) + "\r\n", .path = path};
    // Few programs read TIFF; nearly all read PNG.
    if (type == "image/tiff" && transcoder != nullptr) {
        if (auto png = transcoder->pngFromTiff(*bytes)) {
            offer.images.push_back(
                {"image/png", std::make_shared<const std::string>(std::move(*png))});
        }
    }
    offer.images.push_back(
        {std::string(type), std::make_shared<const std::string>(std::move(*bytes))});
    return offer;
}

bool ImageCopy::readsAtOnce(const std::string& path) {
    const auto summary = ImageFile::summary(path);
    return !summary || (summary->size <= readAtOnceBytes && summary->mimeType != "image/tiff");
}

}  // namespace nimbrook
