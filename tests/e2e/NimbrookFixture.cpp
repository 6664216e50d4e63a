#include "NimbrookFixture.h"

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace nimbrook::e2e {

NimbrookFixture::NimbrookFixture() = default;

void NimbrookFixture::SetUp() {
    ASSERT_FALSE(sandbox_.display().empty())
        << "no desktop; X server: " << readFile(sandbox_.root() / "xvfb.log")
        << "; window manager: " << readFile(sandbox_.root() / "openbox.log");
}

void NimbrookFixture::startProgram(const std::vector<std::string>& extraEnvironment) {
    const auto socket = sandbox_.dataFolder() / "nimbrook.socket";
    std::filesystem::remove(socket);
    program_ = sandbox_.start({NIMBROOK_PROGRAM}, "nimbrook", extraEnvironment);
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(socket); }))
        << "the program did not come up";
}

void NimbrookFixture::copyWithXclip(const Flavour& flavour) {
    const auto file = sandbox_.writeFile("copy-" + std::to_string(++copies_), flavour.second);
    // -quiet keeps xclip in the foreground, serving until another program owns the clipboard.
    copiers_.push_back(sandbox_.start({"/usr/bin/xclip", "-quiet", "-selection", "clipboard",
                                       "-target", flavour.first, "-in", file.string()},
                                      "xclip"));
}

std::filesystem::path NimbrookFixture::copyWithOwner(const std::vector<Flavour>& flavours,
                                                     const std::string& windowClass) {
    const auto id = std::to_string(++copies_);
    const auto log = sandbox_.root() / ("owner-" + id + ".served");
    std::vector<std::string> arguments{NIMBROOK_OWNER, log.string()};
    if (!windowClass.empty()) {
        arguments.insert(arguments.end(), {"--window", windowClass});
    }
    for (std::size_t i = 0; i < flavours.size(); ++i) {
        const auto file =
            sandbox_.writeFile("offer-" + id + "-" + std::to_string(i), flavours[i].second);
        arguments.push_back(flavours[i].first + "=" + file.string());
    }
    copiers_.push_back(sandbox_.start(arguments, "owner"));
    return log;
}

bool NimbrookFixture::served(const std::filesystem::path& ownerLog, const std::string& mimeType) {
    return eventually(
        [&] { return readFile(ownerLog).find("served " + mimeType + "\n") != std::string::npos; });
}

bool NimbrookFixture::newestIs(const std::string& content) {
    return eventually([&] {
        const auto entries = sandbox_.history();
        return entries && !entries->empty() && entries->front().content == content;
    });
}

bool NimbrookFixture::request(const std::string& line) {
    const auto path = (sandbox_.dataFolder() / "nimbrook.socket").string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const std::string message = line + "\n";
    const bool sent =
        fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::write(fd, message.data(), message.size()) == static_cast<ssize_t>(message.size());
    if (fd >= 0) {
        ::close(fd);
    }
    return sent;
}

std::optional<std::string> NimbrookFixture::clipboardText() {
    return sandbox_.output({"/usr/bin/xclip", "-selection", "clipboard", "-out"});
}

}  // namespace nimbrook::e2e
