#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include "ControllerFixture.h"
#include "controller/ImageCopy.h"
#include "platform/ImageTranscoder.h"
#include "platform/PathText.h"

namespace nimbrook {
namespace {

namespace fs = std::filesystem;

const std::string png = std::string("\x89PNG\r\n\x1a\n") + "IHDR pixels";
const std::string tiff = std::string("II*\0", 4) + "pixels";
const std::string jpeg = "\xFF\xD8\xFF\xE0 jfif";

// Marks what it converts, and fails on bytes that say so.
class MarkingTranscoder final : public ImageTranscoder {
public:
    std::optional<std::string> pngFromTiff(std::string_view bytes) const override {
        if (bytes.ends_with("broken")) {
            return std::nullopt;
        }
        return "png of " + std::string(bytes);
    }
};

enum class Kind { file, none, folder, fifo };

struct OfferCase {
    std::string name;
    std::string fileName;
    Kind kind;
    std::string bytes;
    // "type bytes" of each picture offered; none when the path can only go as text.
    std::vector<std::string> images;
};

const OfferCase offerCases[] = {
    {"PngAsCaptured", "clipboard_1.png", Kind::file, png, {"image/png " + png}},
    {"TiffWithItsPngFirst",
     "clipboard_2.png",
     Kind::file,
     tiff,
     {"image/png png of " + tiff, "image/tiff " + tiff}},
    {"TiffThatDoesNotConvert",
     "clipboard_3.png",
     Kind::file,
     tiff + "broken",
     {"image/tiff " + tiff + "broken"}},
    {"JpegThatATextNamed", "照片 #1 100%.jpg", Kind::file, jpeg, {"image/jpeg " + jpeg}},
    {"Missing", "gone.png", Kind::none, "", {}},
    {"NotAPicture", "notes.png", Kind::file, "just text", {}},
    {"Empty", "empty.png", Kind::file, "", {}},
    {"Folder", "album.png", Kind::folder, "", {}},
    // Opening it for reading would wait for a writer forever.
    {"FifoNamedLikeAPicture", "pipe.png", Kind::fifo, "", {}},
};

class Offers : public testing::TestWithParam<OfferCase> {
protected:
    TemporaryFolder folder_;
};

TEST_P(Offers, PictureUrlAndPath) {
    const OfferCase& c = GetParam();
    const std::string path = (folder_.path() / c.fileName).string();
    if (c.kind == Kind::file) {
        writeFile(path, c.bytes);
    } else if (c.kind == Kind::folder) {
        fs::create_directory(path);
    } else if (c.kind == Kind::fifo) {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    }
    const MarkingTranscoder transcoder;
    const auto offer = ImageCopy::offerFor(path, &transcoder);
    ASSERT_EQ(offer.has_value(), !c.images.empty());
    if (!offer) {
        return;
    }
    std::vector<std::string> offered;
    for (const auto& image : offer->images) {
        offered.push_back(image.mimeType + " " + *image.bytes);
    }
    EXPECT_EQ(offered, c.images);
    EXPECT_EQ(offer->uriList, PathText::fileUrl(path) + "\r\n");
    EXPECT_EQ(offer->path, path);
}

INSTANTIATE_TEST_SUITE_P(ImageCopy, Offers, testing::ValuesIn(offerCases), nameOf);

TEST(ImageCopy, RelativePathGivesNoPicture) {
    EXPECT_FALSE(ImageCopy::offerFor("clipboard_1.png", nullptr).has_value());
}

struct CopyBackCase {
    std::string name;
    // The entry's file; nullopt when it is gone.
    std::optional<std::string> bytes;
    bool pictureOffered;
    // Read on the work queue rather than at once.
    bool queued = false;
    std::optional<std::string> toast = std::nullopt;
};

const CopyBackCase copyBackCases[] = {
    {"SmallPngAtOnce", png, true},
    {"LargePng", png + std::string(ImageCopy::readAtOnceBytes, 'x'), true, true},
    // A conversion takes a while at any size.
    {"SmallTiff", tiff, true, true},
    {"MissingFileGoesAsThePath", std::nullopt, false, false, "图片已丢失，已复制路径"},
    {"UnreadableBytesGoAsThePath", "garbage", false, false, "图片已丢失，已复制路径"},
};

class CopyBack : public ControllerFixture, public testing::WithParamInterface<CopyBackCase> {
protected:
    std::string path_ = (root_.path() / "clipboard_1700000000.png").string();
};

// Written as the picture, or as the path with the toast; either way the program's own write
// leaves no second entry and no file.
TEST_P(CopyBack, PictureOrPathAndNothingRecorded) {
    const CopyBackCase& c = GetParam();
    if (c.bytes) {
        writeFile(path_, *c.bytes);
    }
    writeHistory({makeItem(path_, ContentType::image), makeItem("text")});
    launch();
    workQueue_.hold();
    viewModel_->copyToPasteboard(viewModel_->items()[0]);
    EXPECT_EQ(viewModel_->copiedFlash(), viewModel_->items()[0].id());
    EXPECT_EQ(pasteboard_.writeCount(), c.queued ? 0 : 1);
    workQueue_.release();
    EXPECT_EQ(pasteboard_.image().has_value(), c.pictureOffered);
    if (pasteboard_.image()) {
        EXPECT_EQ(*pasteboard_.image()->images.at(0).bytes, *c.bytes);
    }
    EXPECT_EQ(pasteboard_.string(), path_);
    EXPECT_EQ(viewModel_->toastMessage(), c.toast);
    tick();
    tick();
    EXPECT_EQ(contents(), (Strings{path_, "text"}));
    EXPECT_TRUE(images_.files().empty());
    EXPECT_EQ(pasteboard_.writeCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(ImageCopy, CopyBack, testing::ValuesIn(copyBackCases), nameOf);

// The user clicked another entry while the large picture was read: that entry stays copied.
TEST_F(CopyBack, LaterCopyWinsOverAPictureStillRead) {
    writeFile(path_, png + std::string(ImageCopy::readAtOnceBytes, 'x'));
    writeHistory({makeItem(path_, ContentType::image), makeItem("text")});
    launch();
    workQueue_.hold();
    viewModel_->copyToPasteboard(viewModel_->items()[0]);
    viewModel_->copyToPasteboard(viewModel_->items()[1]);
    workQueue_.release();
    EXPECT_EQ(pasteboard_.string(), "text");
    EXPECT_FALSE(pasteboard_.image().has_value());
    EXPECT_EQ(pasteboard_.writeCount(), 1);
}

}  // namespace
}  // namespace nimbrook
