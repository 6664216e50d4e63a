#include "ControllerFixture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>

#include "model/HistoryCodec.h"
#include "model/Uuid.h"

namespace nimbrook {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> texts(const std::string& list) {
    std::vector<std::string> result;
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = std::min(list.find('|', start), list.size());
        result.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

std::optional<std::string> text(const std::string& argument) {
    return argument == "-" ? std::nullopt : std::optional(argument);
}

}  // namespace

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

void ControllerFixture::play(const std::vector<std::string>& steps) {
    for (const std::string& step : steps) {
        SCOPED_TRACE(step);
        const std::size_t space = std::min(step.find(' '), step.size());
        take(step.substr(0, space), step.substr(std::min(space + 1, step.size())));
    }
}

void ControllerFixture::take(const std::string& verb, const std::string& argument) {
    const std::map<std::string, std::function<void()>> verbs = {
        {"copy", [&] { capture(argument); }},
        {"offer", [&] { pasteboard_.copyText(argument); }},
        {"wait", [&] { clock_.advance(std::chrono::milliseconds(std::stoi(argument))); }},
        {"convert",
         [&] {
             const std::size_t space = argument.find(' ');
             viewModel_->copyConverted(
                 item(argument.substr(0, space)),
                 SmartConverter::fromRawValue(argument.substr(space + 1)).value());
         }},
        {"delete", [&] { viewModel_->deleteItem(item(argument)); }},
        {"copyback", [&] { viewModel_->copyToPasteboard(item(argument)); }},
        {"search", [&] { viewModel_->setSearchText(argument); }},
        {"toggle", [&] { viewModel_->toggleMonitoring(); }},
        {"clear", [&] { viewModel_->clearAll(); }},
        {"flush", [&] { viewModel_->flushPendingSave(); }},
        {"unlink", [&] { fs::remove(storage_->fileURL()); }},
        {"hold", [&] { workQueue_.hold(); }},
        {"run",
         [&] {
             ASSERT_TRUE(workQueue_.runNextJob());
             workQueue_.deliver();
         }},
        {"release", [&] { workQueue_.release(); }},
        {"items", [&] { EXPECT_EQ(contents(), texts(argument)); }},
        {"saved", [&] { EXPECT_EQ(savedContents(), texts(argument)); }},
        {"unsaved", [&] { EXPECT_EQ(savedContents(), std::nullopt); }},
        {"pasteboard", [&] { EXPECT_EQ(pasteboard_.string(), text(argument)); }},
        {"toast", [&] { EXPECT_EQ(viewModel_->toastMessage(), text(argument)); }},
        {"flash",
         [&] {
             EXPECT_EQ(viewModel_->copiedFlash(),
                       text(argument) ? std::optional(item(argument).id()) : std::nullopt);
         }},
        {"monitoring",
         [&] {
             EXPECT_EQ(viewModel_->isMonitoring(), argument == "on");
             EXPECT_EQ(scheduler_.activeRepeatingCount(), argument == "on" ? 1u : 0u);
         }},
        {"failures", [&] { EXPECT_EQ(console_.size(), std::stoul(argument)); }},
    };
    const auto found = verbs.find(verb);
    ASSERT_NE(found, verbs.end()) << "no such step";
    found->second();
}

ClipboardItem ControllerFixture::item(const std::string& index) const {
    return viewModel_->items().at(std::stoul(index));
}

}  // namespace nimbrook
