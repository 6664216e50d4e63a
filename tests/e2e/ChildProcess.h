#pragma once

#include <QProcess>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace nimbrook::e2e {

// A program started for a test, with nothing on its standard input. It dies with the test
// process (PR_SET_PDEATHSIG), and its destructor ends it, so no exit path of a test leaves
// it behind.
class ChildProcess final : public QProcess {
public:
    // Runs `arguments` with exactly `environment` ("NAME=value"). Its output goes to `log` (its
    // errors to `errorLog` when one is given); without a log both are read from the process.
    ChildProcess(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, const std::filesystem::path& log = {},
                 const std::filesystem::path& errorLog = {});
    // SIGTERM, then SIGKILL when it has not ended within ten seconds.
    ~ChildProcess() override;

    // 128 + signal number when killed, 127 when it could not start, nullopt while running.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    void signal(int number);
};

}  // namespace nimbrook::e2e
