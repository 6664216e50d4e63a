#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ChildProcess.h"

namespace nimbrook::e2e {

// One MIME type of a clipboard offer and its bytes.
using Flavour = std::pair<std::string, std::string>;

// One entry of the history file as the tests see it.
struct HistoryEntry {
    std::string content;
    std::string contentType;
    std::optional<std::string> sourceApp;
};

// What a run of the command line printed and how it ended (nullopt: it did not end).
struct CommandResult {
    std::optional<int> status;
    std::string output;
    std::string error;
};

// The real program on a desktop of its own: a private X server (Xvfb on a free display, no
// TCP) with a window manager and a system tray, a fresh folder that stands in for the
// user's home, data and temporary folders, and the programs that copy things.
class NimbrookFixture : public testing::Test {
protected:
    NimbrookFixture();
    // On a desktop the test brought itself instead: the environment entries that reach it,
    // none when it did not come up.
    explicit NimbrookFixture(std::vector<std::string> desktop);
    // The desktop the test runs in (a compositor started around the test): its displays and
    // session bus, and no toolkit platform forced.
    static std::vector<std::string> surroundingDesktop();
    ~NimbrookFixture() override;
    void SetUp() override;

    std::filesystem::path dataFolder() const { return root_ / "data" / "com.quolla.nimbrook"; }
    std::filesystem::path historyFile() const { return dataFolder() / "clipboard_history.json"; }
    std::filesystem::path imageFolder() const;

    // Starts a program on this desktop, with `extraEnvironment` ("NAME=value") added to its
    // environment; its output goes to <root>/<logName>.log.
    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments,
                                        const std::string& logName,
                                        const std::vector<std::string>& extraEnvironment = {});
    // Runs a program to its end and returns its standard output, or nullopt on failure.
    std::optional<std::string> output(const std::vector<std::string>& arguments);
    // Starts build/nimbrook, behind `prefix` (a program that execs it), and waits until it
    // captures (its socket is there).
    void startProgram(const std::vector<std::string>& extraEnvironment = {},
                      const std::vector<std::string>& prefix = {});
    // Offers one flavour with xclip, as any X program would.
    void copyWithXclip(const Flavour& flavour);
    // Offers all flavours at once through the test's own clipboard owner; with a class, from
    // a window of that WM_CLASS that is active. Returns the owner's log of fetched types.
    std::filesystem::path copyWithOwner(const std::vector<Flavour>& flavours,
                                        const std::string& windowClass = {});
    // The same through another owner `program`, started as: program log argument type=file...
    std::filesystem::path offerFrom(const std::string& program, const std::string& argument,
                                    const std::vector<Flavour>& flavours);
    // Waits until the owner has handed `mimeType` to a reader.
    bool served(const std::filesystem::path& ownerLog, const std::string& mimeType);
    // Waits until the newest history entry holds `content`.
    bool newestIs(const std::string& content);
    // Runs build/nimbrook with `arguments` to its end, behind `prefix` (another user's
    // setpriv, say), in this desktop's environment.
    CommandResult nimbrook(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& prefix = {});
    // The history file's entries, or nullopt while it is missing or unreadable.
    std::optional<std::vector<HistoryEntry>> history() const;
    std::size_t imageFileCount() const;

    std::filesystem::path root_;
    std::unique_ptr<ChildProcess> program_;

private:
    bool createRoot();
    void startDesktop();
    std::vector<std::string> environment(const std::vector<std::string>& extra) const;
    std::filesystem::path writeFile(const std::string& name, const std::string& bytes) const;

    // The settings that put a program on the desktop; empty when it did not come up.
    std::vector<std::string> desktop_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> windowManager_;
    std::unique_ptr<ChildProcess> trayer_;
    std::vector<std::unique_ptr<ChildProcess>> copiers_;
    int copies_ = 0;
    int outputs_ = 0;
};

// Polls `condition` until it holds or the deadline passes; generous, for loaded machines
// and sanitizer builds. True when it held.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds deadline = std::chrono::seconds(20));

std::string readFile(const std::filesystem::path& path);
// `size` bytes that start as a PNG file does.
std::string pngBytes(std::size_t size);
// Sends one request (the command line's words) to a running program's socket and waits for
// its answer; true when the request succeeded.
bool requestTo(const std::filesystem::path& socket, const std::vector<std::string>& words);
// The entries of a history file, or nullopt while it is missing or unreadable.
std::optional<std::vector<HistoryEntry>> historyIn(const std::filesystem::path& file);

}  // namespace nimbrook::e2e
