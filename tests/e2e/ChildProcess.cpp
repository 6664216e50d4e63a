#include "ChildProcess.h"

#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nimbrook::e2e {
namespace {

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

int openForAppend(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

}  // namespace

std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment,
                           const std::filesystem::path& log,
                           const std::filesystem::path& errorLog) {
    auto argumentStrings = arguments;
    auto environmentStrings = environment;
    const auto argv = pointersTo(argumentStrings);
    const auto envp = pointersTo(environmentStrings);
    // No child waits on the test's terminal.
    const int logFd = openForAppend(log);
    const int fds[] = {
        ::open("/dev/null", O_RDONLY | O_CLOEXEC), logFd,
        errorLog.empty() ? ::fcntl(logFd, F_DUPFD_CLOEXEC, 0) : openForAppend(errorLog)};
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        ::setpgid(0, 0);
        for (const int target : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
            if (fds[target] >= 0) {
                ::dup2(fds[target], target);
            }
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    for (const int fd : fds) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

ChildProcess::~ChildProcess() {
    signal(SIGTERM);
    if (!waitForExit(std::chrono::seconds(10))) {
        signal(SIGKILL);
        waitForExit(std::chrono::seconds(10));
    }
}

CommandResult ChildProcess::run(const std::vector<std::string>& arguments,
                                const std::vector<std::string>& environment,
                                const std::filesystem::path& scratch) {
    const auto errorFile = scratch.string() + ".error";
    CommandResult result;
    {
        ChildProcess process(arguments, environment, scratch, errorFile);
        result.status = process.waitForExit(std::chrono::seconds(60));
    }
    result.output = readFile(scratch);
    result.error = readFile(errorFile);
    std::filesystem::remove(scratch);
    std::filesystem::remove(errorFile);
    return result;
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!status_ && pid_ > 0) {
        int status = 0;
        const pid_t result = ::waitpid(pid_, &status, WNOHANG);
        if (result == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        } else if (result < 0) {
            status_ = -1;
        } else if (std::chrono::steady_clock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    return status_;
}

void ChildProcess::signal(int number) {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, number);
    }
}

}  // namespace nimbrook::e2e
