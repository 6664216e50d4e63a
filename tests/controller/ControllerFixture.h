#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controller/ClipboardViewModel.h"
#include "model/HistoryJournal.h"
#include "model/NamedCase.h"
#include "model/StorageService.h"
#include "support/Files.h"
#include "support/InMemoryActiveApplication.h"
#include "support/InMemoryImageStore.h"
#include "support/InMemoryPasteboard.h"
#include "support/ManualClock.h"
#include "support/ManualScheduler.h"
#include "support/ManualWorkQueue.h"
#include "support/Steps.h"
#include "support/TemporaryFolder.h"

namespace nimbrook {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// A controller on the in-memory platform, with a real history file in a fresh folder.
class ControllerFixture : public testing::Test {
protected:
    void TearDown() override;

    // Stands for the program's start: loads what is in the history file.
    void launch();
    // The program is killed, which leaves no time for a save, and started again.
    void restart();
    // Another program copies `text`; the next tick picks it up.
    void capture(const std::string& text);
    void tick() { clock_.advance(500ms); }

    void writeHistory(const std::vector<ClipboardItem>& items);
    // Entries "entry 0" (newest) .. "entry <count - 1>", written without the limit.
    void writeNumberedHistory(std::size_t count);
    ClipboardItem makeItem(std::string content, ContentType type = ContentType::plainText,
                           std::optional<std::string> sourceApp = std::nullopt) const;

    std::vector<std::string> contents() const;
    // nullopt when no history file exists.
    std::optional<std::vector<std::string>> savedContents() const;

    // Takes each step in turn: a verb (see verbs()) and its argument, which lists texts
    // separated by "|" and stands for nothing when it is "-". "copy" includes the tick that
    // picks the text up, "flush" stands for quitting, "restart" for a kill and a new start,
    // "run" lets the held worker run one job and applies its result, "failures" counts the
    // lines on the console, "journaled" the lines in the journal, "pinned" lists the pinned
    // entries, "refused" pins and expects the pin limit, "from" names the application in
    // front, "image" copies PNG bytes, "files" counts the image files and "images" names
    // them, "blocksave" fails the saves until its argument is "-".
    void play(const std::vector<std::string>& steps) {
        playSteps(steps, [this](const std::string& argument) { return verbs(argument); });
    }

    InMemoryPasteboard pasteboard_;
    InMemoryActiveApplication activeApplication_;
    InMemoryImageStore images_;
    ManualClock clock_;
    ManualScheduler scheduler_{clock_};
    ManualWorkQueue workQueue_;
    TemporaryFolder root_;
    std::filesystem::path folder_ = root_.path() / "com.quolla.nimbrook";
    std::vector<std::string> console_;
    std::unique_ptr<StorageService> storage_ = std::make_unique<StorageService>(
        folder_, [this](const std::string& line) { console_.push_back(line); });
    // Its own console, so that the saves' failures are counted alone.
    std::vector<std::string> journalConsole_;
    std::unique_ptr<HistoryJournal> journal_ = makeJournal();
    std::unique_ptr<ClipboardViewModel> viewModel_;
    const ImageTranscoder* transcoder_ = nullptr;

private:
    std::unique_ptr<HistoryJournal> makeJournal();
    StepVerbs verbs(const std::string& argument);
    ClipboardItem item(const std::string& index) const;
};

// Steps taken from a history, whose file is removed once loaded so that "unsaved" tells
// that nothing was written since.
struct Script {
    std::string name;
    std::vector<std::string> steps;
    std::vector<std::string> history = {};
};

class Scripted : public ControllerFixture, public testing::WithParamInterface<Script> {};

class Controller : public ControllerFixture {};

}  // namespace nimbrook
