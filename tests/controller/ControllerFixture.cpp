#include "ControllerFixture.h"

#include <algorithm>
#include <ranges>

#include "model/HistoryCodec.h"
#include "model/Uuid.h"

namespace nimbrook {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> texts(const std::string& list) {
    std::vector<std::string> result;
    for (const auto text : std::views::split(list, '|')) {
        result.emplace_back(text.begin(), text.end());
    }
    return result;
}

std::vector<std::string> contentsOf(const std::vector<ClipboardItem>& items) {
    std::vector<std::string> result(items.size());
    std::ranges::transform(items, result.begin(), &ClipboardItem::content);
    return result;
}

std::optional<std::string> text(const std::string& argument) {
    return argument == "-" ? std::nullopt : std::optional(argument);
}

}  // namespace

void ControllerFixture::TearDown() {
    viewModel_.reset();
    EXPECT_TRUE(console_.empty()) << console_.front();
    EXPECT_TRUE(journalConsole_.empty()) << journalConsole_.front();
}

void ControllerFixture::launch() {
    viewModel_ = std::make_unique<ClipboardViewModel>(ClipboardViewModel::Services{
        {pasteboard_, activeApplication_, images_, scheduler_, clock_, workQueue_},
        *storage_,
        *journal_,
        transcoder_});
}

void ControllerFixture::restart() {
    viewModel_.reset();
    journal_ = makeJournal();
    launch();
}

std::unique_ptr<HistoryJournal> ControllerFixture::makeJournal() {
    return std::make_unique<HistoryJournal>(
        folder_, [this](const std::string& line) { journalConsole_.push_back(line); });
}

void ControllerFixture::capture(const std::string& text) {
    pasteboard_.copyText(text);
    tick();
}

void ControllerFixture::writeHistory(const std::vector<ClipboardItem>& items) {
    fs::create_directories(folder_);
    writeFile(storage_->fileURL(), HistoryCodec::encode(items));
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
    return contentsOf(viewModel_->items());
}

std::optional<std::vector<std::string>> ControllerFixture::savedContents() const {
    if (!fs::exists(storage_->fileURL())) {
        return std::nullopt;
    }
    return contentsOf(StorageService(folder_).load());
}

StepVerbs ControllerFixture::verbs(const std::string& argument) {
    return {
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
        {"pin", [&] { EXPECT_TRUE(viewModel_->setPinned(item(argument), true)); }},
        {"refused", [&] { EXPECT_FALSE(viewModel_->setPinned(item(argument), true)); }},
        {"unpin", [&] { viewModel_->setPinned(item(argument), false); }},
        {"pinned",
         [&] {
             std::vector<std::string> pinned = contents();
             pinned.resize(viewModel_->pinnedCount());
             EXPECT_EQ(pinned, texts(argument));
         }},
        {"from", [&] { activeApplication_.setFrontmostName(text(argument)); }},
        {"ignore", [&] { viewModel_->setIgnoredApplications(texts(argument)); }},
        {"image",
         [&] {
             pasteboard_.copy({.png = argument});
             tick();
         }},
        {"files", [&] { EXPECT_EQ(images_.files().size(), std::stoul(argument)); }},
        {"images",
         [&] {
             std::vector<std::string> names;
             for (const auto& [path, bytes] : images_.files()) {
                 names.push_back(fs::path(path).filename().string());
             }
             EXPECT_EQ(names, text(argument) ? texts(argument) : Strings{});
         }},
        // A folder in the history file's place fails every save until it goes ("-").
        {"blocksave",
         [&] {
             fs::remove(storage_->fileURL());
             if (text(argument)) {
                 fs::create_directory(storage_->fileURL());
             }
         }},
        {"copyback", [&] { viewModel_->copyToPasteboard(item(argument)); }},
        {"search", [&] { viewModel_->setSearchText(argument); }},
        {"toggle", [&] { viewModel_->toggleMonitoring(); }},
        {"clear", [&] { viewModel_->clearAll(); }},
        {"flush", [&] { viewModel_->flushPendingSave(); }},
        {"restart", [&] { restart(); }},
        {"unlink", [&] { fs::remove(storage_->fileURL()); }},
        {"hold", [&] { workQueue_.hold(); }},
        {"run",
         [&] {
             ASSERT_TRUE(workQueue_.runNextJob());
             workQueue_.deliver();
         }},
        {"release", [&] { workQueue_.release(); }},
        {"items", [&] { EXPECT_EQ(contents(), texts(argument)); }},
        {"count", [&] { EXPECT_EQ(viewModel_->items().size(), std::stoul(argument)); }},
        {"saved", [&] { EXPECT_EQ(savedContents(), texts(argument)); }},
        {"stored",
         [&] {
             const auto stored = HistoryCodec::decode(readFile(storage_->fileURL()));
             ASSERT_TRUE(stored.has_value());
             EXPECT_EQ(contentsOf(*stored), texts(argument));
         }},
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
        {"journaled",
         [&] {
             EXPECT_EQ(std::ranges::count(readFile(journal_->fileURL()), '\n'),
                       std::stol(argument));
         }},
    };
}

ClipboardItem ControllerFixture::item(const std::string& index) const {
    return viewModel_->items().at(std::stoul(index));
}

}  // namespace nimbrook
