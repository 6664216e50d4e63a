#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace nimbrook::e2e {

// A program started for a test. It dies with the test process (PR_SET_PDEATHSIG), and its
// destructor ends it, so no exit path of a test leaves it behind.
class ChildProcess final {
public:
    // Runs `arguments` with exactly `environment`; standard output and error go to `log`
    // (standard error to `errorLog` when one is given). `passedFd`, when not -1, is handed
    // down as file descriptor 3.
    ChildProcess(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, const std::filesystem::path& log,
                 int passedFd = -1, const std::filesystem::path& errorLog = {});
    // SIGTERM, then SIGKILL when it has not ended within ten seconds.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit status (128 + signal number when killed), or nullopt while still running.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    void signal(int number);
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

}  // namespace nimbrook::e2e
