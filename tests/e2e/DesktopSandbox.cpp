#include "DesktopSandbox.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <unistd.h>

namespace nimbrook::e2e {
namespace {

std::string inherited(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(name) + "=" + value;
}

// Xvfb picks a free display itself and writes its number to the descriptor it is given.
std::string readDisplayNumber(int fd) {
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd request{fd, POLLIN, 0};
        if (::poll(&request, 1, 200) <= 0) {
            continue;
        }
        char buffer[16];
        const auto count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        number.append(buffer, static_cast<std::size_t>(count));
        if (number.find('\n') != std::string::npos) {
            return ":" + number.substr(0, number.find('\n'));
        }
    }
    return {};
}

}  // namespace

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

DesktopSandbox::DesktopSandbox() {
    std::string pattern = "/tmp/nimbrook-e2e-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    root_ = pattern;
    for (const char* folder : {"home", "data", "config", "runtime", "tmp", "share"}) {
        std::filesystem::create_directory(root_ / folder);
    }
    std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all);
    // A busy machine (or another program's X server going away) can make a start fail;
    // a fresh server on a fresh display usually comes up.
    for (int attempt = 0; attempt < 3 && display_.empty(); ++attempt) {
        startDesktop();
    }
}

void DesktopSandbox::startDesktop() {
    trayer_.reset();
    windowManager_.reset();
    server_.reset();
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        return;
    }
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen",
                                 "0", "1280x800x24"},
        std::vector<std::string>{inherited("PATH")}, root_ / "xvfb.log", pipe[1]);
    ::close(pipe[1]);
    display_ = readDisplayNumber(pipe[0]);
    ::close(pipe[0]);
    if (display_.empty()) {
        return;
    }
    // Openbox needs its themes from the system's data folders; the program under test sees
    // only the sandbox's own.
    windowManager_ = start({"/usr/bin/openbox", "--sm-disable"}, "openbox",
                           {"XDG_DATA_DIRS=/usr/local/share:/usr/share"});
    // The window manager is up once it has announced itself on the root window.
    const bool managed = eventually(
        [this] {
            const auto properties = output({"/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"});
            return properties && properties->find("window id") != std::string::npos;
        },
        std::chrono::seconds(15));
    // A status area, as most desktops have, so the program lives in the tray and opens no
    // window of its own at start.
    trayer_ = start({"/usr/bin/trayer", "--edge", "top", "--align", "right"}, "trayer");
    const bool trayShown =
        managed && eventually([this] {
            const auto windows = output({"/usr/bin/xdotool", "search", "--class", "trayer"});
            return windows && !windows->empty();
        });
    if (!trayShown) {
        display_.clear();
    }
}

DesktopSandbox::~DesktopSandbox() {
    trayer_.reset();
    windowManager_.reset();
    server_.reset();
    if (!root_.empty() && std::getenv("NIMBROOK_E2E_KEEP") == nullptr) {
        std::error_code error;
        std::filesystem::remove_all(root_, error);
    }
}

std::filesystem::path DesktopSandbox::dataFolder() const {
    return root_ / "data" / "com.quolla.nimbrook";
}

std::filesystem::path DesktopSandbox::historyFile() const {
    return dataFolder() / "clipboard_history.json";
}

std::filesystem::path DesktopSandbox::imageFolder() const {
    return root_ / "tmp" / ("com.quolla.nimbrook-" + std::to_string(::getuid()));
}

std::filesystem::path DesktopSandbox::applicationsFolder() const {
    return root_ / "data" / "applications";
}

std::vector<std::string> DesktopSandbox::environment(const std::vector<std::string>& extra) const {
    std::vector<std::string> environment{
        inherited("PATH"),
        "DISPLAY=" + display_,
        "HOME=" + (root_ / "home").string(),
        "XDG_DATA_HOME=" + (root_ / "data").string(),
        "XDG_CONFIG_HOME=" + (root_ / "config").string(),
        "XDG_RUNTIME_DIR=" + (root_ / "runtime").string(),
        "XDG_DATA_DIRS=" + (root_ / "share").string(),
        "TMPDIR=" + (root_ / "tmp").string(),
        "QT_QPA_PLATFORM=xcb",
        "LANG=C.UTF-8",
        "LSAN_OPTIONS=suppressions=" NIMBROOK_LSAN_SUPPRESSIONS,
    };
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (auto value = inherited(name); !value.empty()) {
            environment.push_back(value);
        }
    }
    for (const auto& setting : extra) {
        const auto name = setting.substr(0, setting.find('=') + 1);
        std::erase_if(environment, [&name](const std::string& s) { return s.starts_with(name); });
        environment.push_back(setting);
    }
    return environment;
}

std::unique_ptr<ChildProcess> DesktopSandbox::start(const std::vector<std::string>& arguments,
                                                    const std::string& logName,
                                                    const std::vector<std::string>& extra) {
    return std::make_unique<ChildProcess>(arguments, environment(extra),
                                          root_ / (logName + ".log"));
}

std::optional<std::string> DesktopSandbox::output(const std::vector<std::string>& arguments) {
    static int runs = 0;
    const auto file = root_ / ("output-" + std::to_string(++runs));
    ChildProcess process(arguments, environment(), file);
    const auto status = process.waitForExit(std::chrono::seconds(20));
    auto text = readFile(file);
    std::filesystem::remove(file);
    if (status != 0) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::vector<HistoryEntry>> DesktopSandbox::history() const {
    const auto json = nlohmann::json::parse(readFile(historyFile()), nullptr, false);
    if (!json.is_array()) {
        return std::nullopt;
    }
    std::vector<HistoryEntry> entries;
    for (const auto& object : json) {
        HistoryEntry entry{object.value("content", ""), object.value("contentType", ""), {}};
        if (object.contains("sourceApp") && object["sourceApp"].is_string()) {
            entry.sourceApp = object["sourceApp"].get<std::string>();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::filesystem::path> DesktopSandbox::imageFiles() const {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(imageFolder(), error), end; !error && it != end;
         it.increment(error)) {
        files.push_back(it->path());
    }
    return files;
}

std::filesystem::path DesktopSandbox::writeFile(const std::string& name,
                                                const std::string& bytes) const {
    const auto path = root_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

}  // namespace nimbrook::e2e
