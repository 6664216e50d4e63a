#include "ChildProcess.h"

#include <csignal>
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

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment,
                           const std::filesystem::path& log, int passedFd,
                           const std::filesystem::path& errorLog) {
    auto argumentStrings = arguments;
    auto environmentStrings = environment;
    const auto argv = pointersTo(argumentStrings);
    const auto envp = pointersTo(environmentStrings);
    const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const int errorFd = errorLog.empty() ? logFd
                                         : ::open(errorLog.c_str(),
                                                  O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    // No child waits on the test's terminal.
    const int inputFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        ::setpgid(0, 0);
        if (inputFd >= 0) {
            ::dup2(inputFd, STDIN_FILENO);
        }
        if (logFd >= 0) {
            ::dup2(logFd, STDOUT_FILENO);
        }
        if (errorFd >= 0) {
            ::dup2(errorFd, STDERR_FILENO);
        }
        if (passedFd == 3) {
            ::fcntl(3, F_SETFD, 0);
        } else if (passedFd >= 0) {
            ::dup2(passedFd, 3);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (inputFd >= 0) {
        ::close(inputFd);
    }
    if (errorFd >= 0 && errorFd != logFd) {
        ::close(errorFd);
    }
    if (logFd >= 0) {
        ::close(logFd);
    }
}

ChildProcess::~ChildProcess() {
    signal(SIGTERM);
    if (!waitForExit(std::chrono::seconds(10))) {
        signal(SIGKILL);
        waitForExit(std::chrono::seconds(10));
    }
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
