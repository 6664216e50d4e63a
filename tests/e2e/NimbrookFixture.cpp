#include "NimbrookFixture.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <regex>
#include <thread>

#include <nlohmann/json.hpp>
#include <pwd.h>
#include <unistd.h>

namespace nimbrook::e2e {
namespace {

std::string inherited(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(name) + "=" + value;
}

// The first socket of that kind in `folder`, or an empty path.
std::filesystem::path socketIn(const std::filesystem::path& folder, const std::string& prefix) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().starts_with(prefix) && entry.is_socket()) {
            return entry.path();
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

std::string pngBytes(std::size_t size) {
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (std::size_t i = 0; bytes.size() < size; ++i) {
        bytes += static_cast<char>((i * 7919) % 256);
    }
    return bytes;
}

NimbrookFixture::NimbrookFixture(Desktop desktop) {
    if (!folder_.isValid()) {
        return;
    }
    folder_.setAutoRemove(std::getenv("NIMBROOK_E2E_KEEP") == nullptr);
    for (const char* folder : {"home", "data", "config", "runtime", "tmp", "share"}) {
        std::filesystem::create_directory(root_ / folder);
    }
    std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all);
    if (desktop == Desktop::surrounding) {
        if (std::getenv("DISPLAY") != nullptr) {
            desktop_ = {inherited("DISPLAY"), inherited("XAUTHORITY"),
                        inherited("DBUS_SESSION_BUS_ADDRESS"), inherited("WAYLAND_DISPLAY")};
        }
        return;
    }
    // A busy machine (or another program's X server going away) can make a start fail;
    // a fresh server usually comes up.
    for (int attempt = 0; attempt < 3 && desktop_.empty(); ++attempt) {
        desktop == Desktop::sway   ? startSway()
        : desktop == Desktop::kwin ? startKWin()
                                   : startX11();
    }
}

bool NimbrookFixture::inSession(const std::string& name) {
    return inherited("NIMBROOK_E2E_SESSION") == "NIMBROOK_E2E_SESSION=" + name;
}

void NimbrookFixture::SetUp() {
    ASSERT_FALSE(desktop_.empty()) << "no desktop; server: " << readFile(root_ / "server.log")
                                   << "; window manager: " << readFile(root_ / "openbox.log");
    if (inSession("tray")) {
        keep({NIMBROOK_TRAY_WATCHER}, "watcher");
        const auto log = root_ / "watcher.log";
        ASSERT_TRUE(eventually([&] { return readFile(log).starts_with("ready\n"); }))
            << readFile(log);
    }
}

void NimbrookFixture::startX11() {
    helpers_.clear();
    // Xvfb picks a free display itself and writes its number to the descriptor it is given. A
    // server that neither writes nor dies within the deadline counts as not started.
    const auto number = root_ / "xvfb.display";
    std::filesystem::remove(number);
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen",
                                 "0", "1280x800x24"},
        std::vector<std::string>{inherited("PATH")}, number, root_ / "server.log");
    std::string display;
    eventually(
        [&] {
            display = readFile(number);
            return display.ends_with('\n') || server_->waitForExit(std::chrono::seconds(0));
        },
        std::chrono::seconds(30));
    if (!display.ends_with('\n')) {
        return;
    }
    desktop_ = {"DISPLAY=:" + display.substr(0, display.size() - 1), "QT_QPA_PLATFORM=xcb"};
    const auto shows = [this](const std::vector<std::string>& query, const std::string& needle) {
        return eventually([&] {
            const auto text = output(query);
            return text && text->find(needle) != std::string::npos;
        });
    };
    // Openbox needs its themes from the system's data folders; the program under test sees
    // only the sandbox's own. It is up once it has announced itself on the root window.
    keep({"/usr/bin/openbox", "--sm-disable"}, "openbox",
         {"XDG_DATA_DIRS=/usr/local/share:/usr/share"});
    const bool managed =
        shows({"/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, "window id");
    // A status area, as most desktops have, so the program lives in the tray and opens no
    // window of its own at start.
    keep({"/usr/bin/trayer", "--edge", "top", "--align", "right"}, "trayer");
    if (!managed || !shows({"/usr/bin/xdotool", "search", "--class", "trayer"}, "\n")) {
        desktop_.clear();
    }
}

// sway refuses to run as root, so it runs as `nobody` in a runtime folder of its own; clients,
// root included, reach it through the socket's absolute path.
void NimbrookFixture::startSway() {
    const auto runtime = root_ / ("sway-" + std::to_string(++files_));
    std::filesystem::create_directory(runtime);
    nimbrook::writeFile(runtime / "sway.conf", "xwayland disable\n");
    std::filesystem::permissions(root_, std::filesystem::perms(0711));
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::chown(runtime.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
        return;
    }
    launchSway(runtime, "server");
}

void NimbrookFixture::launchSway(const std::filesystem::path& runtime, const std::string& logName) {
    server_ = std::make_unique<ChildProcess>(
        // The change of user clears the parent-death signal; set again, it ends sway with a
        // test that crashed.
        std::vector<std::string>{"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup",
                                 "--clear-groups", "--pdeathsig=KILL", "/usr/bin/sway", "-c",
                                 (runtime / "sway.conf").string()},
        std::vector<std::string>{"PATH=/usr/bin:/bin", "HOME=" + runtime.string(),
                                 "XDG_RUNTIME_DIR=" + runtime.string(), "WLR_BACKENDS=headless",
                                 "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                                 "WLR_HEADLESS_OUTPUTS=1"},
        root_ / (logName + ".log"));
    std::filesystem::path display;
    std::filesystem::path ipc;
    eventually([&] {
        display = socketIn(runtime, "wayland-");
        ipc = socketIn(runtime, "sway-ipc");
        return !display.empty() && !ipc.empty();
    });
    // Mesa's driver, which the toolkit loads for EGL and unloads before exit, leaks a little
    // that the leak checker can no longer name: the programs draw in shared memory alone.
    waylandSocket_ = display.string();
    desktop_ = {"WAYLAND_DISPLAY=" + waylandSocket_, "SWAYSOCK=" + ipc.string(),
                "QT_WAYLAND_CLIENT_BUFFER_INTEGRATION=shm"};
    if (display.empty() || ipc.empty() || !eventually([&] {
            return output({"/usr/bin/swaymsg", "-t", "get_version"}).has_value();
        })) {
        desktop_.clear();
    }
}

// KWin's binary carries a file capability that this kind of machine's bounding set lacks,
// so that it will not start; a plain copy has none and runs.
void NimbrookFixture::startKWin() {
    helpers_.clear();
    const auto runtime = root_ / ("kwin-" + std::to_string(++files_));
    std::filesystem::create_directories(runtime / "home");
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    std::error_code error;
    std::filesystem::copy_file("/usr/bin/kwin_wayland", runtime / "kwin_wayland", error);
    const std::string bus = "unix:path=" + (runtime / "bus").string();
    keep({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + bus}, "kwin-bus");
    if (error || !eventually([&] { return !socketIn(runtime, "bus").empty(); })) {
        return;
    }
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{(runtime / "kwin_wayland").string(), "--virtual",
                                 "--no-lockscreen", "--width", "1280", "--height", "800",
                                 "--socket", "wayland-kwin"},
        std::vector<std::string>{"PATH=/usr/bin:/bin", "HOME=" + (runtime / "home").string(),
                                 "XDG_RUNTIME_DIR=" + runtime.string(),
                                 "XDG_DATA_HOME=" + (root_ / "share").string(),
                                 "DBUS_SESSION_BUS_ADDRESS=" + bus},
        root_ / "server.log");
    waylandSocket_ = (runtime / "wayland-kwin").string();
    desktop_ = {"WAYLAND_DISPLAY=" + waylandSocket_, "QT_WAYLAND_CLIENT_BUFFER_INTEGRATION=shm"};
    if (!eventually([&] { return output({"/usr/bin/wayland-info"}).has_value(); })) {
        desktop_.clear();
    }
}

bool NimbrookFixture::restartSway() {
    const std::filesystem::path socket = waylandSocket_;
    server_->signal(SIGKILL);
    server_->waitForExit(std::chrono::seconds(10));
    // Killed, sway leaves its sockets behind: only new ones tell that it is back.
    std::filesystem::remove(socket);
    for (const auto& file : std::filesystem::directory_iterator(socket.parent_path())) {
        if (file.path().filename().string().starts_with("sway-ipc")) {
            std::filesystem::remove(file.path());
        }
    }
    launchSway(socket.parent_path(), "server-again");
    return !desktop_.empty() && waylandSocket_ == socket.string();
}

std::string NimbrookFixture::display() const {
    const auto found = std::find_if(desktop_.begin(), desktop_.end(), [](const auto& setting) {
        return setting.starts_with("DISPLAY=");
    });
    return found == desktop_.end() ? std::string() : *found;
}

std::filesystem::path NimbrookFixture::legacyImageFolder() const {
    return root_ / "tmp" / ("com.quolla.nimbrook-" + std::to_string(::getuid()));
}

// Unset variables come out empty, which ChildProcess leaves out; a later setting wins.
std::vector<std::string> NimbrookFixture::environment(const std::vector<std::string>& extra) const {
    std::vector<std::string> environment{
        inherited("PATH"),
        "HOME=" + (root_ / "home").string(),
        "XDG_DATA_HOME=" + (root_ / "data").string(),
        "XDG_CONFIG_HOME=" + (root_ / "config").string(),
        "XDG_RUNTIME_DIR=" + (root_ / "runtime").string(),
        "XDG_DATA_DIRS=" + (root_ / "share").string(),
        "TMPDIR=" + (root_ / "tmp").string(),
        "LANG=C.UTF-8",
        "LSAN_OPTIONS=suppressions=" NIMBROOK_LSAN_SUPPRESSIONS,
        inherited("ASAN_OPTIONS"),
        inherited("UBSAN_OPTIONS"),
        inSession("tray") ? inherited("DBUS_SESSION_BUS_ADDRESS") : "",
    };
    environment.insert(environment.end(), desktop_.begin(), desktop_.end());
    environment.insert(environment.end(), extra.begin(), extra.end());
    return environment;
}

std::unique_ptr<ChildProcess> NimbrookFixture::start(const std::vector<std::string>& arguments,
                                                     const std::string& logName,
                                                     const std::vector<std::string>& extra) {
    return std::make_unique<ChildProcess>(arguments, environment(extra),
                                          root_ / (logName + ".log"));
}

void NimbrookFixture::keep(const std::vector<std::string>& arguments, const std::string& logName,
                           const std::vector<std::string>& extra) {
    helpers_.push_back(start(arguments, logName, extra));
}

CommandResult NimbrookFixture::run(const std::vector<std::string>& arguments) const {
    ChildProcess process(arguments, environment({}));
    const auto status = process.waitForExit(std::chrono::seconds(60));
    return {status, process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

std::optional<std::string> NimbrookFixture::output(
    const std::vector<std::string>& arguments) const {
    auto result = run(arguments);
    return result.status == 0 ? std::optional(std::move(result.output)) : std::nullopt;
}

CommandResult NimbrookFixture::nimbrook(const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& prefix) const {
    auto command = prefix;
    command.push_back(NIMBROOK_PROGRAM);
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command);
}

std::filesystem::path NimbrookFixture::writeFile(const std::string& bytes) {
    const auto path = root_ / ("file-" + std::to_string(++files_));
    nimbrook::writeFile(path, bytes);
    return path;
}

void NimbrookFixture::startProgram(const std::vector<std::string>& extraEnvironment,
                                   const std::vector<std::string>& prefix) {
    const auto socket = dataFolder() / "nimbrook.socket";
    std::filesystem::remove(socket);
    std::vector<std::string> arguments = prefix;
    arguments.emplace_back(NIMBROOK_PROGRAM);
    program_ = start(arguments, "nimbrook", extraEnvironment);
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(socket); }))
        << "the program did not come up";
}

void NimbrookFixture::copyWithXclip(const Flavour& flavour) {
    // -quiet keeps xclip in the foreground, serving until another program owns the clipboard.
    keep({"/usr/bin/xclip", "-quiet", "-selection", "clipboard", "-target", flavour.first, "-in",
          writeFile(flavour.second).string()},
         "xclip");
}

std::filesystem::path NimbrookFixture::copyWithOwner(const std::vector<Flavour>& flavours,
                                                     const std::string& argument,
                                                     const std::string& program,
                                                     const std::vector<std::string>& extra) {
    const auto name = "owner-" + std::to_string(++files_);
    std::vector<std::string> arguments{program, argument};
    for (const auto& [type, bytes] : flavours) {
        arguments.push_back(type + "=" + writeFile(bytes).string());
    }
    keep(arguments, name, extra);
    return root_ / (name + ".log");
}

bool NimbrookFixture::served(const std::filesystem::path& ownerLog, const std::string& mimeType) {
    return eventually(
        [&] { return readFile(ownerLog).find("served " + mimeType + "\n") != std::string::npos; });
}

bool NimbrookFixture::newestIs(const std::string& content, std::chrono::milliseconds deadline) {
    return eventually(
        [&] {
            const auto entries = history();
            return entries && !entries->empty() && entries->front().content == content;
        },
        deadline);
}

bool NimbrookFixture::holds(std::size_t count) {
    return eventually(
        [&] { return history().value_or(std::vector<HistoryEntry>{}).size() == count; });
}

std::string NimbrookFixture::trayItem() {
    std::string log;
    std::smatch registered;
    eventually([&] {
        log = readFile(root_ / "watcher.log");
        return std::regex_search(log, registered, std::regex(R"(item (\S+)\n)"));
    });
    return registered.empty() ? std::string() : registered[1].str();
}

bool NimbrookFixture::activateTrayItem() {
    const auto item = trayItem();
    return !item.empty() && output({"/usr/bin/dbus-send", "--session", "--print-reply",
                                    "--dest=" + item, "/StatusNotifierItem",
                                    "org.kde.StatusNotifierItem.Activate", "int32:0", "int32:0"});
}

std::optional<std::vector<HistoryEntry>> NimbrookFixture::history() const {
    const auto json = nlohmann::json::parse(readFile(historyFile()), nullptr, false);
    if (!json.is_array()) {
        return std::nullopt;
    }
    std::vector<HistoryEntry> entries;
    for (const auto& object : json) {
        const auto source = object.find("sourceApp");
        entries.push_back({object.value("content", ""), object.value("contentType", ""),
                           source != object.end() && source->is_string()
                               ? std::optional(source->get<std::string>())
                               : std::nullopt});
    }
    return entries;
}

}  // namespace nimbrook::e2e
