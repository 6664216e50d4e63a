#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace nimbrook::e2e {

// What a program run to its end printed and how it ended (nullopt: it did not end).
struct CommandResult {
    std::optional<int> status;
    std::string output;
    std::string error;
};

// A program started for a test. It dies with the test process (PR_SET_PDEATHSIG), and its
// destructor ends it, so no exit path of a test leaves it behind.
class ChildProcess final {
public:
    // Runs `arguments` with exactly `environment`; standard output and error go to `log`
    // (standard error to `errorLog` when one is given).
    ChildProcess(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, const std::filesystem::path& log,
                 const std::filesystem::path& errorLog = {});
    // SIGTERM, then SIGKILL when it has not ended within ten seconds.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Runs a program to its end, its output and errors passed through the files `scratch`
    // and `scratch`.error.
    static CommandResult run(const std::vector<std::string>& arguments,
                             const std::vector<std::string>& environment,
                             const std::filesystem::path& scratch);
    // The exit status (128 + signal number when killed), or nullopt while still running.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    void signal(int number);
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

std::string readFile(const std::filesystem::path& path);

}  // namespace nimbrook::e2e
