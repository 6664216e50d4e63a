#include "desktop/CompositorWatch.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/FileDescriptor.h"
#include "platform/wayland/WaylandConnection.h"

extern char** environ;

namespace nimbrook {
namespace {

using namespace std::chrono_literals;

// Names the process to watch, in the watch's environment only.
constexpr const char* watchVariable = "NIMBROOK_WATCH";
// Long enough for the toolkit to notice the broken connection and end the program.
constexpr auto programEndLimit = 10s;
// A compositor that is not back by then was not restarted: the session ended.
constexpr auto compositorReturnLimit = 60s;
constexpr auto compositorPollInterval = 200ms;

std::filesystem::path thisProgram() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

// This very program again, by the name given, with `setting` ("NAME=value") added to this
// process's environment (never changed here: other threads may read it); -1 when it could not
// be started.
pid_t spawnThisProgram(std::string name, std::string setting = {}) {
    char* const arguments[] = {name.data(), nullptr};
    std::vector<char*> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.push_back(*variable);
    }
    if (!setting.empty()) {
        environment.push_back(setting.data());
    }
    environment.push_back(nullptr);
    pid_t child = -1;
    const std::filesystem::path program = thisProgram();
    return ::posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments,
                         environment.data()) == 0
               ? child
               : -1;
}

// Readable once the process has ended; closed when it is no longer there.
FileDescriptor processHandle(pid_t pid) {
    return FileDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
}

// 0: the timeout passed; otherwise which of the two became readable (1 or 2), or -1.
int firstReadable(int first, int second, std::chrono::milliseconds timeout) {
    pollfd fds[] = {{first, POLLIN, 0}, {second, POLLIN, 0}};
    const int count = second < 0 ? 1 : 2;
    int ready = 0;
    do {
        ready = ::poll(fds, count, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return ready;
    }
    return fds[0].revents != 0 ? 1 : 2;
}

// True once the compositor went away; false when the program ended first.
bool compositorWentAway(int program, WaylandConnection& compositor) {
    while (true) {
        const int ready = firstReadable(program, compositor.fd(), -1ms);
        if (ready != 2) {
            return false;
        }
        if (!compositor.dispatch()) {
            return true;
        }
    }
}

bool compositorReturned() {
    const auto giveUp = std::chrono::steady_clock::now() + compositorReturnLimit;
    while (std::chrono::steady_clock::now() < giveUp) {
        std::ostringstream ignored;
        if (WaylandConnection(std::string(), ignored).isConnected()) {
            return true;
        }
        std::this_thread::sleep_for(compositorPollInterval);
    }
    return false;
}

int watch(pid_t pid) {
    const FileDescriptor program = processHandle(pid);
    std::ostringstream ignored;
    WaylandConnection compositor(std::string(), ignored);
    if (!program.isOpen() || !compositor.isConnected() ||
        !compositorWentAway(program.get(), compositor)) {
        return 0;
    }
    if (firstReadable(program.get(), -1, programEndLimit) != 1 || !compositorReturned()) {
        return 0;
    }
    std::cerr << "nimbrook: 合成器已重新启动，重新开始记录\n";
    return spawnThisProgram("nimbrook") > 0 ? 0 : 1;
}

}  // namespace

void CompositorWatch::start() {
    const pid_t child = spawnThisProgram(
        "nimbrook-watch", std::string(watchVariable) + '=' + std::to_string(::getpid()));
    // The watch leaves at once, handing the watching to a child of its own, so that it is no
    // child of this program's to reap.
    if (child > 0) {
        ::waitpid(child, nullptr, 0);
    }
}

std::optional<int> CompositorWatch::runIfAsked() {
    const char* watched = std::getenv(watchVariable);
    if (watched == nullptr) {
        return std::nullopt;
    }
    const pid_t pid = static_cast<pid_t>(std::atol(watched));
    ::unsetenv(watchVariable);
    return ::fork() == 0 ? watch(pid) : 0;
}

}  // namespace nimbrook
