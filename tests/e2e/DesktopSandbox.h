#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace nimbrook::e2e {

// One entry of the history file as the tests see it.
struct HistoryEntry {
    std::string content;
    std::string contentType;
    std::optional<std::string> sourceApp;
};

// A private X server (Xvfb on a free display, no TCP) with a window manager and a system
// tray, and a fresh
// folder that stands in for the user's home, data and temporary folders.
class DesktopSandbox final {
public:
    DesktopSandbox();
    ~DesktopSandbox();
    DesktopSandbox(const DesktopSandbox&) = delete;
    DesktopSandbox& operator=(const DesktopSandbox&) = delete;

    // Empty when the X server or the window manager did not come up.
    const std::string& display() const { return display_; }
    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path dataFolder() const;
    std::filesystem::path historyFile() const;
    std::filesystem::path imageFolder() const;
    std::filesystem::path applicationsFolder() const;

    // The environment of a program on this desktop, plus `extra` ("NAME=value").
    std::vector<std::string> environment(const std::vector<std::string>& extra = {}) const;
    // Starts a program on this desktop; its output goes to <root>/<logName>.log.
    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments,
                                        const std::string& logName,
                                        const std::vector<std::string>& extraEnvironment = {});
    // Runs a program to its end and returns its standard output, or nullopt on failure.
    std::optional<std::string> output(const std::vector<std::string>& arguments);

    // The history file's entries, or nullopt while it is missing or unreadable.
    std::optional<std::vector<HistoryEntry>> history() const;
    // The files of the image folder.
    std::vector<std::filesystem::path> imageFiles() const;
    // Writes `bytes` to a new file under the root and returns its path.
    std::filesystem::path writeFile(const std::string& name, const std::string& bytes) const;

private:
    void startDesktop();

    std::filesystem::path root_;
    std::string display_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> windowManager_;
    std::unique_ptr<ChildProcess> trayer_;
};

// Polls `condition` until it holds or the deadline passes; generous, for loaded machines
// and sanitizer builds. True when it held.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds deadline = std::chrono::seconds(20));

std::string readFile(const std::filesystem::path& path);

}  // namespace nimbrook::e2e
