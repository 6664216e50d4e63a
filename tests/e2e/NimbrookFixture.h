#pragma once

#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "../support/Files.h"
#include "ChildProcess.h"

namespace nimbrook::e2e {

// One MIME type of a clipboard offer and its bytes.
using Flavour = std::pair<std::string, std::string>;

// What a program run to its end printed and how it ended (nullopt: it did not end).
struct CommandResult {
    std::optional<int> status;
    std::string output;
    std::string error;
};

struct HistoryEntry {
    std::string content;
    std::string contentType;
    std::optional<std::string> sourceApp;
};

// The desktops a test can run on: a private X server (Xvfb on a free display, no TCP) with a
// window manager and a system tray; a headless sway with one virtual output and a seat
// without input devices; a headless KWin with a session bus of its own, which grants its
// restricted interfaces through the desktop entries in the test's share/applications; or the
// one started around the test (its displays and session bus, the Wayland socket by its full
// path, no toolkit platform forced).
enum class Desktop { x11, sway, kwin, surrounding };

// The real program on a desktop, a fresh folder that stands in for the user's home, data and
// temporary folders, and the programs that copy things. In the session "tray"
// (NIMBROOK_E2E_SESSION) a tray's watcher waits on the private session bus as well.
class NimbrookFixture : public testing::Test {
protected:
    explicit NimbrookFixture(Desktop desktop = Desktop::x11);
    // Whether the test runs inside the session that its registration starts around it.
    static bool inSession(const std::string& name);
    void SetUp() override;

    // "DISPLAY=:n" of the private X server, or an empty text on another desktop.
    std::string display() const;
    std::filesystem::path dataFolder() const { return root_ / "data" / "com.quolla.nimbrook"; }
    std::filesystem::path historyFile() const { return dataFolder() / "clipboard_history.json"; }
    std::filesystem::path imageFolder() const { return dataFolder() / "images"; }
    // Where images were written before they were kept in the data folder.
    std::filesystem::path legacyImageFolder() const;

    // Starts a program on this desktop, with `extraEnvironment` ("NAME=value") added to its
    // environment; its output goes to <root>/<logName>.log.
    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments,
                                        const std::string& logName,
                                        const std::vector<std::string>& extraEnvironment = {});
    // The same, kept running until the test ends.
    void keep(const std::vector<std::string>& arguments, const std::string& logName,
              const std::vector<std::string>& extraEnvironment = {});
    // Runs a program to its end and returns its standard output, or nullopt on failure.
    std::optional<std::string> output(const std::vector<std::string>& arguments) const;
    // Runs build/nimbrook to its end, behind `prefix` (another user's setpriv, say).
    CommandResult nimbrook(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& prefix = {}) const;
    // Starts build/nimbrook, behind `prefix` (a program that execs it), and waits until it
    // captures (its socket is there).
    void startProgram(const std::vector<std::string>& extraEnvironment = {},
                      const std::vector<std::string>& prefix = {});
    // Offers one flavour with xclip, as any X program would.
    void copyWithXclip(const Flavour& flavour);
    // Offers all flavours at once through an owner `program`, started as: program argument
    // type=file...; by default the test's own X owner, whose argument is a WM_CLASS for a
    // window that is active before it copies ("-": no window), with `extraEnvironment`.
    // Returns the owner's log, where it names the types it handed out.
    std::filesystem::path copyWithOwner(const std::vector<Flavour>& flavours,
                                        const std::string& argument = "-",
                                        const std::string& program = NIMBROOK_OWNER,
                                        const std::vector<std::string>& extraEnvironment = {});
    // These wait: until the owner has handed `mimeType` to a reader, until the newest history
    // entry holds `content` (at most `deadline`), until the history holds `count` entries.
    bool served(const std::filesystem::path& ownerLog, const std::string& mimeType);
    bool newestIs(const std::string& content,
                  std::chrono::milliseconds deadline = std::chrono::seconds(20));
    bool holds(std::size_t count);
    // The bus name of the program's item in the session's tray, once registered (else empty).
    std::string trayItem();
    // Activates that item, as a click on its icon does.
    bool activateTrayItem();
    // The history file's entries, or nullopt while it is missing or unreadable.
    std::optional<std::vector<HistoryEntry>> history() const;
    std::filesystem::path writeFile(const std::string& bytes);
    // Kills sway and starts it again in its runtime folder; true when it answers again on
    // the same socket.
    bool restartSway();

    // In this order so that they end in reverse: the programs kept running (the window
    // manager and the copiers among them), the program, the desktop's server, the folder.
    QTemporaryDir folder_{"/tmp/nimbrook-e2e-XXXXXX"};
    const std::filesystem::path root_ = folder_.path().toStdString();
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> program_;
    std::vector<std::unique_ptr<ChildProcess>> helpers_;
    std::string waylandSocket_;

private:
    void startX11();
    void startSway();
    void launchSway(const std::filesystem::path& runtime, const std::string& logName);
    void startKWin();
    std::vector<std::string> environment(const std::vector<std::string>& extra) const;
    CommandResult run(const std::vector<std::string>& arguments) const;

    // The settings that put a program on the desktop; empty when it did not come up.
    std::vector<std::string> desktop_;
    int files_ = 0;
};

// Polls `condition` until it holds or the deadline passes; generous, for loaded machines
// and sanitizer builds. True when it held.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds deadline = std::chrono::seconds(20));

// `size` bytes that start as a PNG file does.
std::string pngBytes(std::size_t size);

}  // namespace nimbrook::e2e
