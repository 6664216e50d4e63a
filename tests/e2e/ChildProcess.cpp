#include "ChildProcess.h"

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace nimbrook::e2e {

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment,
                           const std::filesystem::path& log,
                           const std::filesystem::path& errorLog) {
    QStringList words;
    for (const auto& argument : arguments) {
        words << QString::fromStdString(argument);
    }
    setProgram(words.takeFirst());
    setArguments(words);
    QProcessEnvironment settings;
    for (const auto& setting : environment) {
        if (const auto equals = setting.find('='); equals != std::string::npos) {
            settings.insert(QString::fromStdString(setting.substr(0, equals)),
                            QString::fromStdString(setting.substr(equals + 1)));
        }
    }
    setProcessEnvironment(settings);
    // No child waits on the test's terminal.
    setStandardInputFile(nullDevice());
    if (!log.empty()) {
        setStandardOutputFile(QString::fromStdString(log.string()), Append);
        setStandardErrorFile(QString::fromStdString((errorLog.empty() ? log : errorLog).string()),
                             Append);
    }
    setChildProcessModifier([parent = ::getpid()] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        ::setpgid(0, 0);
    });
    start();
}

ChildProcess::~ChildProcess() {
    signal(SIGTERM);
    if (!waitForExit(std::chrono::seconds(10))) {
        kill();
        waitForFinished(10'000);
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (state() != NotRunning && !waitForFinished(static_cast<int>(timeout.count()))) {
        return std::nullopt;
    }
    if (error() == FailedToStart) {
        return 127;
    }
    return exitStatus() == CrashExit ? 128 + exitCode() : exitCode();
}

void ChildProcess::signal(int number) {
    if (state() != NotRunning) {
        ::kill(static_cast<pid_t>(processId()), number);
    }
}

}  // namespace nimbrook::e2e
