#include "ControllerFixture.h"

#include <cstdlib>
#include <fstream>

#include "model/HistoryCodec.h"
#include "model/Uuid.h"

namespace nimbrook {

namespace fs = std::filesystem;

void ControllerFixture::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "controller-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    folder_ = root_ / "com.quolla.nimbrook";
    storage_ = std::make_unique<StorageService>(
        folder_, [this](const std::string& line) { console_.push_back(line); });
}

void ControllerFixture::TearDown() {
    viewModel_.reset();
    fs::remove_all(root_);
    EXPECT_TRUE(console_.empty()) << console_.front();
}

void ControllerFixture::launch() {
    viewModel_ = std::make_unique<ClipboardViewModel>(ClipboardViewModel::Services{
        {pasteboard_, activeApplication_, images_, scheduler_, clock_, workQueue_}, *storage_});
}

void ControllerFixture::capture(const std::string& text) {
    pasteboard_.copyText(text);
    tick();
}

void ControllerFixture::writeHistory(const std::vector<ClipboardItem>& items) {
    fs::create_directories(folder_);
    std::ofstream(storage_->fileURL(), std::ios::binary) << HistoryCodec::encode(items);
}

void ControllerFixture::writeNumberedHistory(std::size_t count) {
    std::vector<ClipboardItem> items;
    for (std::size_t i = 0; i < count; ++i) {
        items.push_back(makeItem("entry " + std::to_string(i)));
    }
    writeHistory(items);
}

ClipboardItem ControllerFixture::makeItem(std::string content, ContentType type,
                                          std::optional<std::string> sourceApp) const {
    return ClipboardItem(Uuid::random(), std::move(content), type,
                         Timestamp::fromUnixSeconds(1700000000.0), std::move(sourceApp));
}

std::vector<std::string> ControllerFixture::contents() const {
    std::vector<std::string> result;
    for (const ClipboardItem& item : viewModel_->items()) {
        result.push_back(item.content());
    }
    return result;
}

std::optional<std::vector<std::string>> ControllerFixture::savedContents() const {
    if (!fs::exists(storage_->fileURL())) {
        return std::nullopt;
    }
    std::vector<std::string> result;
    for (const ClipboardItem& item : StorageService(folder_).load()) {
        result.push_back(item.content());
    }
    return result;
}

}  // namespace nimbrook
