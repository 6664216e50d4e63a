// The nimbrook command: the command line on its own, which the running program serves, and
// otherwise the desktop program in its place. Commands thus never load the graphical
// libraries, whose loading alone took most of a command's time.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

#include "remote/qt/CommandLine.h"

namespace {

// In the folder desktop/ beside this program in a build tree; once installed, in the
// program's libexec folder.
std::filesystem::path desktopProgram() {
    std::error_code error;
    const auto folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const auto beside = folder / "desktop" / "nimbrook";
    return std::filesystem::exists(beside, error) ? beside : folder / NIMBROOK_DESKTOP_FROM_BIN;
}

}  // namespace

int main(int argc, char* argv[]) {
    nimbrook::CommandLine::Parsed commandLine;
    if (const auto status = nimbrook::CommandLine::runWithoutDesktop(argc, argv, commandLine)) {
        return *status;
    }
    const std::string program = desktopProgram().string();
    ::execv(program.c_str(), argv);
    std::fprintf(stderr, "nimbrook: 无法启动 %s：%s\n", program.c_str(), std::strerror(errno));
    return 1;
}
