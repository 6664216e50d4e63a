// Runs a command with its standard output into a pipe that it reads at a pace of its own, as
// a pager or a slow consumer does, and keeps what it read in a file:
//   nimbrook_e2e_paced_reader OUTPUT PAUSE_MS BYTES_PER_SECOND LIMIT COMMAND [ARGUMENT...]
// It waits PAUSE_MS before the first read, then reads about BYTES_PER_SECOND (0: as fast as
// it can), and closes the pipe after LIMIT bytes (0: reads to the end). The command's standard
// error goes to OUTPUT.err. It prints "pid N" once the command runs and "status S" when the
// command has ended (128 + the signal when one killed it).
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr auto step = 100ms;

pid_t started(char** command, int output, const std::string& errorFile) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int error = ::open(errorFile.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
        ::dup2(output, STDOUT_FILENO);
        ::dup2(error, STDERR_FILENO);
        ::execv(command[0], command);
        ::_exit(127);
    }
    return child;
}

// Reads to the end or to `limit` bytes (0: no limit), `perStep` bytes every step at most.
void readPaced(int input, std::FILE* kept, std::size_t perStep, std::size_t limit) {
    std::vector<char> buffer(64 * 1024);
    std::size_t total = 0;
    for (bool open = true; open;) {
        const auto next = std::chrono::steady_clock::now() + step;
        for (std::size_t taken = 0; open && (perStep == 0 || taken < perStep);) {
            std::size_t wanted = buffer.size();
            wanted = perStep == 0 ? wanted : std::min(wanted, perStep - taken);
            wanted = limit == 0 ? wanted : std::min(wanted, limit - total);
            const ssize_t count = ::read(input, buffer.data(), wanted);
            open = count > 0;
            if (open) {
                std::fwrite(buffer.data(), 1, static_cast<std::size_t>(count), kept);
                taken += static_cast<std::size_t>(count);
                total += static_cast<std::size_t>(count);
                open = limit == 0 || total < limit;
            }
        }
        std::this_thread::sleep_until(next);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fputs("usage: OUTPUT PAUSE_MS BYTES_PER_SECOND LIMIT COMMAND [ARGUMENT...]\n", stderr);
        return 2;
    }
    const std::string output = argv[1];
    const auto pause = std::chrono::milliseconds(std::strtoll(argv[2], nullptr, 10));
    const std::size_t perSecond = std::strtoull(argv[3], nullptr, 10);
    const std::size_t limit = std::strtoull(argv[4], nullptr, 10);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return 1;
    }
    const pid_t child = started(argv + 5, ends[1], output + ".err");
    ::close(ends[1]);
    std::printf("pid %d\n", static_cast<int>(child));
    std::fflush(stdout);
    std::this_thread::sleep_for(pause);
    std::FILE* kept = std::fopen(output.c_str(), "wb");
    std::setvbuf(kept, nullptr, _IONBF, 0);
    readPaced(ends[0], kept, perSecond / 10, limit);
    ::close(ends[0]);
    std::fclose(kept);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::printf("status %d\n", WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status));
    return 0;
}
