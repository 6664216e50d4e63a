#include "SwayServer.h"

#include <csignal>
#include <fstream>

#include <pwd.h>
#include <unistd.h>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

// The first socket of that kind in `folder`, or an empty path.
std::filesystem::path socketIn(const std::filesystem::path& folder, const std::string& prefix) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto name = entry.path().filename().string();
        if (name.starts_with(prefix) && entry.is_socket()) {
            return entry.path();
        }
    }
    return {};
}

}  // namespace

SwayServer::SwayServer() {
    std::string pattern = "/tmp/nimbrook-sway-XXXXXX";
    const passwd* nobody = ::getpwnam("nobody");
    if (::mkdtemp(pattern.data()) == nullptr || nobody == nullptr) {
        return;
    }
    runtime_ = pattern;
    std::ofstream(runtime_ / "sway.conf") << "xwayland disable\n";
    if (::chown(runtime_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
        return;
    }
    process_ = std::make_unique<ChildProcess>(
        // The change of user clears the parent-death signal; set again, it ends sway with a
        // test that crashed.
        std::vector<std::string>{"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup",
                                 "--clear-groups", "--pdeathsig=KILL", "/usr/bin/sway", "-c",
                                 (runtime_ / "sway.conf").string()},
        std::vector<std::string>{"PATH=/usr/bin:/bin", "HOME=" + runtime_.string(),
                                 "XDG_RUNTIME_DIR=" + runtime_.string(), "WLR_BACKENDS=headless",
                                 "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                                 "WLR_HEADLESS_OUTPUTS=1"},
        runtime_.string() + ".log");
    const bool up = eventually([this] {
        return !socketIn(runtime_, "wayland-").empty() && !socketIn(runtime_, "sway-ipc").empty();
    });
    if (up) {
        socket_ = socketIn(runtime_, "wayland-").string();
    }
    if (!up || !eventually([this] { return message({"-t", "get_version"}).has_value(); })) {
        socket_.clear();
    }
}

SwayServer::~SwayServer() {
    process_.reset();
    if (!runtime_.empty()) {
        std::error_code error;
        std::filesystem::remove_all(runtime_, error);
        std::filesystem::remove(runtime_.string() + ".log", error);
    }
}

// Mesa's driver, which the toolkit loads for EGL and unloads before exit, leaks a little that
// the leak checker can no longer name: the programs draw in shared memory alone.
std::vector<std::string> SwayServer::desktop() const {
    if (socket_.empty()) {
        return {};
    }
    return {"WAYLAND_DISPLAY=" + socket_, "SWAYSOCK=" + socketIn(runtime_, "sway-ipc").string(),
            "QT_WAYLAND_CLIENT_BUFFER_INTEGRATION=shm"};
}

std::optional<std::string> SwayServer::message(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"/usr/bin/swaymsg"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    auto environment = desktop();
    environment.emplace_back("PATH=/usr/bin:/bin");
    auto result = ChildProcess::run(command, environment, runtime_.string() + ".swaymsg");
    return result.status == 0 ? std::optional(std::move(result.output)) : std::nullopt;
}

void SwayServer::kill() {
    if (process_) {
        process_->signal(SIGKILL);
        process_->waitForExit(std::chrono::seconds(20));
    }
}

std::string SwayServer::log() const {
    return readFile(runtime_.string() + ".log");
}

}  // namespace nimbrook::e2e
