#include "NimbrookFixture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace nimbrook::e2e {
namespace {

std::string inherited(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(name) + "=" + value;
}

// Xvfb picks a free display itself and writes its number to the descriptor it is given. A
// server that neither writes nor dies within the deadline counts as not started.
std::string readDisplayNumber(int fd) {
    std::string number;
    char buffer[16];
    pollfd request{fd, POLLIN, 0};
    while (number.find('\n') == std::string::npos && ::poll(&request, 1, 30'000) > 0) {
        const auto count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        number.append(buffer, static_cast<std::size_t>(count));
    }
    const auto end = number.find('\n');
    return end == std::string::npos ? std::string() : ":" + number.substr(0, end);
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

std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

NimbrookFixture::NimbrookFixture() {
    if (!createRoot()) {
        return;
    }
    // A busy machine (or another program's X server going away) can make a start fail;
    // a fresh server on a fresh display usually comes up.
    for (int attempt = 0; attempt < 3 && desktop_.empty(); ++attempt) {
        startDesktop();
    }
}

NimbrookFixture::NimbrookFixture(std::vector<std::string> desktop) {
    if (createRoot()) {
        desktop_ = std::move(desktop);
    }
}

std::vector<std::string> NimbrookFixture::surroundingDesktop() {
    std::vector<std::string> desktop;
    for (const char* name : {"DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS"}) {
        if (auto value = inherited(name); !value.empty()) {
            desktop.push_back(value);
        }
    }
    // A socket name alone is looked up in the runtime folder, and the programs get a
    // private one.
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY")) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        desktop.push_back("WAYLAND_DISPLAY=" +
                          (wayland[0] == '/' || runtime == nullptr
                               ? std::string(wayland)
                               : (std::filesystem::path(runtime) / wayland).string()));
    }
    return std::getenv("DISPLAY") == nullptr ? std::vector<std::string>() : desktop;
}

NimbrookFixture::~NimbrookFixture() {
    // The desktop's clients end before the desktop does.
    copiers_.clear();
    program_.reset();
    trayer_.reset();
    windowManager_.reset();
    server_.reset();
    if (!root_.empty() && std::getenv("NIMBROOK_E2E_KEEP") == nullptr) {
        std::error_code error;
        std::filesystem::remove_all(root_, error);
    }
}

bool NimbrookFixture::createRoot() {
    std::string pattern = "/tmp/nimbrook-e2e-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return false;
    }
    root_ = pattern;
    for (const char* folder : {"home", "data", "config", "runtime", "tmp", "share"}) {
        std::filesystem::create_directory(root_ / folder);
    }
    std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all);
    return true;
}

void NimbrookFixture::SetUp() {
    ASSERT_FALSE(desktop_.empty()) << "no desktop; X server: " << readFile(root_ / "xvfb.log")
                                   << "; window manager: " << readFile(root_ / "openbox.log");
}

void NimbrookFixture::startDesktop() {
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
    const auto display = readDisplayNumber(pipe[0]);
    ::close(pipe[0]);
    if (display.empty()) {
        return;
    }
    desktop_ = {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb"};
    const auto shows = [this](const std::vector<std::string>& query, const std::string& needle) {
        return eventually([&] {
            const auto text = output(query);
            return text && text->find(needle) != std::string::npos;
        });
    };
    // Openbox needs its themes from the system's data folders; the program under test sees
    // only the sandbox's own. It is up once it has announced itself on the root window.
    windowManager_ = start({"/usr/bin/openbox", "--sm-disable"}, "openbox",
                           {"XDG_DATA_DIRS=/usr/local/share:/usr/share"});
    const bool managed =
        shows({"/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, "window id");
    // A status area, as most desktops have, so the program lives in the tray and opens no
    // window of its own at start.
    trayer_ = start({"/usr/bin/trayer", "--edge", "top", "--align", "right"}, "trayer");
    if (!managed || !shows({"/usr/bin/xdotool", "search", "--class", "trayer"}, "\n")) {
        desktop_.clear();
    }
}

std::filesystem::path NimbrookFixture::imageFolder() const {
    return root_ / "tmp" / ("com.quolla.nimbrook-" + std::to_string(::getuid()));
}

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
    };
    environment.insert(environment.end(), desktop_.begin(), desktop_.end());
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

std::unique_ptr<ChildProcess> NimbrookFixture::start(const std::vector<std::string>& arguments,
                                                     const std::string& logName,
                                                     const std::vector<std::string>& extra) {
    return std::make_unique<ChildProcess>(arguments, environment(extra),
                                          root_ / (logName + ".log"));
}

std::optional<std::string> NimbrookFixture::output(const std::vector<std::string>& arguments) {
    const auto file = root_ / ("output-" + std::to_string(++outputs_));
    ChildProcess process(arguments, environment({}), file);
    const auto status = process.waitForExit(std::chrono::seconds(20));
    auto text = readFile(file);
    std::filesystem::remove(file);
    return status == 0 ? std::optional(std::move(text)) : std::nullopt;
}

std::filesystem::path NimbrookFixture::writeFile(const std::string& name,
                                                 const std::string& bytes) const {
    const auto path = root_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
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
    const auto file = writeFile("copy-" + std::to_string(++copies_), flavour.second);
    // -quiet keeps xclip in the foreground, serving until another program owns the clipboard.
    copiers_.push_back(start({"/usr/bin/xclip", "-quiet", "-selection", "clipboard", "-target",
                              flavour.first, "-in", file.string()},
                             "xclip"));
}

std::filesystem::path NimbrookFixture::copyWithOwner(const std::vector<Flavour>& flavours,
                                                     const std::string& windowClass) {
    return offerFrom(NIMBROOK_OWNER, windowClass.empty() ? "-" : windowClass, flavours);
}

std::filesystem::path NimbrookFixture::offerFrom(const std::string& program,
                                                 const std::string& argument,
                                                 const std::vector<Flavour>& flavours) {
    const auto id = std::to_string(++copies_);
    const auto log = root_ / ("owner-" + id + ".served");
    std::vector<std::string> arguments{program, log.string(), argument};
    for (std::size_t i = 0; i < flavours.size(); ++i) {
        const auto file = writeFile("offer-" + id + "-" + std::to_string(i), flavours[i].second);
        arguments.push_back(flavours[i].first + "=" + file.string());
    }
    copiers_.push_back(start(arguments, "owner"));
    return log;
}

bool NimbrookFixture::served(const std::filesystem::path& ownerLog, const std::string& mimeType) {
    return eventually(
        [&] { return readFile(ownerLog).find("served " + mimeType + "\n") != std::string::npos; });
}

bool NimbrookFixture::newestIs(const std::string& content) {
    return eventually([&] {
        const auto entries = history();
        return entries && !entries->empty() && entries->front().content == content;
    });
}

CommandResult NimbrookFixture::nimbrook(const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& prefix) {
    auto command = prefix;
    command.push_back(NIMBROOK_PROGRAM);
    command.insert(command.end(), arguments.begin(), arguments.end());
    const auto file = root_ / ("command-" + std::to_string(++outputs_));
    const auto errorFile = file.string() + ".error";
    CommandResult result;
    {
        ChildProcess process(command, environment({}), file, -1, errorFile);
        result.status = process.waitForExit(std::chrono::seconds(60));
    }
    result.output = readFile(file);
    result.error = readFile(errorFile);
    std::filesystem::remove(file);
    std::filesystem::remove(errorFile);
    return result;
}

bool requestTo(const std::filesystem::path& socket, const std::vector<std::string>& words) {
    const auto path = socket.string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    path.copy(address.sun_path, path.size());
    // A frame: the length (4 bytes, big-endian), then the words joined by NUL.
    std::string payload;
    for (const auto& word : words) {
        payload += (payload.empty() ? "" : std::string(1, '\0')) + word;
    }
    std::string frame;
    for (int shift = 24; shift >= 0; shift -= 8) {
        frame.push_back(static_cast<char>((payload.size() >> shift) & 0xff));
    }
    frame += payload;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    char reply[5] = {};
    const bool answered =
        fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size()) &&
        ::recv(fd, reply, sizeof reply, MSG_WAITALL) == sizeof reply;
    if (fd >= 0) {
        ::close(fd);
    }
    // The reply's status byte follows its length.
    return answered && reply[4] == 0;
}

std::optional<std::vector<HistoryEntry>> NimbrookFixture::history() const {
    return historyIn(historyFile());
}

std::optional<std::vector<HistoryEntry>> historyIn(const std::filesystem::path& file) {
    const auto json = nlohmann::json::parse(readFile(file), nullptr, false);
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

std::size_t NimbrookFixture::imageFileCount() const {
    std::error_code error;
    std::filesystem::directory_iterator files(imageFolder(), error);
    return error ? 0 : static_cast<std::size_t>(std::distance(files, {}));
}

}  // namespace nimbrook::e2e
