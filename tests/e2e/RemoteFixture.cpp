#include "RemoteFixture.h"

#include <ctime>

#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <sys/un.h>

namespace nimbrook::e2e {
namespace {

constexpr double referenceDate = 978307200.0;

}  // namespace

std::string RemoteFixture::idOf(std::size_t index) {
    return "00000000-0000-4000-8000-" + std::string(12 - std::to_string(index).size(), '0') +
           std::to_string(index);
}

std::string RemoteFixture::writeHistory(const std::vector<HistoryEntry>& entries) {
    const auto moment = std::time(nullptr) - 3 * 3600 - 60;
    auto array = nlohmann::json::array();
    for (const auto& entry : entries) {
        array.push_back({{"id", idOf(array.size() + 1)},
                         {"content", entry.content},
                         {"contentType", entry.contentType},
                         {"timestamp", static_cast<double>(moment) - referenceDate},
                         {"sourceApp", entry.sourceApp ? nlohmann::json(*entry.sourceApp)
                                                       : nlohmann::json(nullptr)}});
    }
    std::filesystem::create_directories(dataFolder());
    nimbrook::writeFile(historyFile(), array.dump());
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000Z", std::gmtime(&moment));
    return text;
}

FileDescriptor RemoteFixture::connected(int flags) const {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const auto path = (dataFolder() / "nimbrook.socket").string();
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0));
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        fd.close();
    }
    return fd;
}

}  // namespace nimbrook::e2e
