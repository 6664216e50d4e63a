#include <optional>
#include <string>
#include <vector>

#include "ControllerFixture.h"

namespace nimbrook {
namespace {

// A history (contents, newest first; those in "/memory/" are images) or bytes in the history
// file's place, image files that were there before the start (by their second), and steps.
struct ImageScript {
    std::string name;
    std::vector<std::string> history;
    std::vector<int> files;
    std::vector<std::string> steps;
    std::optional<std::string> undecodable = std::nullopt;
};

class ImageFiles : public ControllerFixture, public testing::WithParamInterface<ImageScript> {};

TEST_P(ImageFiles, FollowTheEntries) {
    const ImageScript& script = GetParam();
    if (script.undecodable) {
        std::filesystem::create_directories(folder_);
        writeFile(storage_->fileURL(), *script.undecodable);
    } else if (!script.history.empty()) {
        std::vector<ClipboardItem> items;
        for (const std::string& content : script.history) {
            items.push_back(makeItem(content, content.starts_with("/memory/")
                                                  ? ContentType::image
                                                  : ContentType::plainText));
        }
        writeHistory(items);
    }
    for (const int second : script.files) {
        images_.store("image", Timestamp::fromUnixSeconds(second));
    }
    launch();
    play(script.steps);
    // The steps count the saves that failed, and the undecodable file's move aside.
    console_.clear();
}

std::vector<std::string> fullHistoryEndingIn(const std::string& oldest) {
    std::vector<std::string> contents;
    for (std::size_t i = 0; i + 1 < 500; ++i) {
        contents.push_back("entry " + std::to_string(i));
    }
    contents.push_back(oldest);
    return contents;
}

// Captures at 0.5 s and 1 s are clipboard_1733400000.png and clipboard_1733400001.png.
const ImageScript scripts[] = {
    {"AFileGoesOnceASaveNoLongerNamesIt",
     {},
     {},
     {"image a", "image b", "wait 1000", "delete 0", "files 2", "wait 999", "files 2", "wait 1",
      "images clipboard_1733400000.png"}},
    {"ClearingKeepsThePinnedEntrysFile",
     {},
     {},
     {"image a", "image b", "pin 1", "clear", "wait 1000", "images clipboard_1733400000.png"}},
    {"TrimmingPastTheLimitDropsTheOldestFile",
     fullHistoryEndingIn("/memory/clipboard_5.png"),
     {5},
     {"files 1", "copy new", "files 1", "wait 1000", "files 0"}},
    // The history file names the entry that the journal removed: both must forget it first.
    {"AKillBeforeTheSaveKeepsTheFile",
     {},
     {},
     {"image a", "wait 1000", "delete 0", "restart", "items", "files 1", "wait 1000", "files 0"}},
    {"AFailedSaveKeepsTheFileUntilASaveSucceeds",
     {},
     {},
     {"image a", "wait 1000", "blocksave on", "delete 0", "wait 1000", "failures 1", "files 1",
      "blocksave -", "wait 30000", "files 0"}},
    {"TwoEntriesNamingOneFileKeepItWhileOneRemains",
     {"/memory/clipboard_5.png", "/memory/clipboard_5.png"},
     {5},
     {"delete 0", "wait 1000", "files 1", "delete 0", "wait 1000", "files 0"}},
    // The name decides, whatever the folder: a file is kept too long rather than lost.
    {"AStartRemovesTheFilesNoEntryNames",
     {"/memory/clipboard_5.png", "/elsewhere/clipboard_7.png", "/home/me/photo.png"},
     {5, 6, 7, 8},
     {"images clipboard_5.png|clipboard_7.png",
      "items /memory/clipboard_5.png|"
      "/elsewhere/clipboard_7.png|/home/me/photo.png"}},
    // Killed before any save: only the journal knows the entries, and b was deleted.
    {"AStartKeepsTheFilesTheJournalNames",
     {},
     {},
     {"image a", "image b", "delete 0", "restart", "images clipboard_1733400000.png"}},
    // The undecodable history is set aside by the first save; its names keep their files.
    {"AnUndecodableHistoryKeepsTheFilesItNames",
     {},
     {5, 6},
     {"images clipboard_5.png", "image a", "wait 1000", "restart",
      "images clipboard_1733400000.png|clipboard_5.png"},
     R"([{"content":"\/memory\/clipboard_5.png","contentType":)"},
};

INSTANTIATE_TEST_SUITE_P(Images, ImageFiles, testing::ValuesIn(scripts), nameOf);

}  // namespace
}  // namespace nimbrook
