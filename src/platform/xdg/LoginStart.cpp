#include "platform/xdg/LoginStart.h"

#include <fstream>
#include <string>
#include <system_error>

#include "platform/xdg/XdgFolders.h"

namespace nimbrook {
namespace {

constexpr const char* entryName = "com.quolla.nimbrook.desktop";

}  // namespace

bool LoginStart::isEnabled() {
    const auto user = userEntry();
    if (std::error_code error; std::filesystem::exists(user, error)) {
        return !isHidden(user);
    }
    const auto system = systemEntry();
    return system.has_value() && !isHidden(*system);
}

bool LoginStart::setEnabled(bool enabled) {
    if (!enabled) {
        return writeUserEntry(true);
    }
    const auto system = systemEntry();
    if (system.has_value() && !isHidden(*system)) {
        std::error_code error;
        std::filesystem::remove(userEntry(), error);
        return !error;
    }
    return writeUserEntry(false);
}

std::filesystem::path LoginStart::userEntry() {
    return XdgFolders::autostartFolder() / entryName;
}

std::optional<std::filesystem::path> LoginStart::systemEntry() {
    for (const auto& folder : XdgFolders::systemAutostartFolders()) {
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / entryName, error)) {
            return folder / entryName;
        }
    }
    return std::nullopt;
}

bool LoginStart::isHidden(const std::filesystem::path& entry) {
    std::ifstream in(entry);
    for (std::string line; std::getline(in, line);) {
        if (line == "Hidden=true") {
            return true;
        }
    }
    return false;
}

bool LoginStart::writeUserEntry(bool hidden) {
    std::error_code error;
    std::filesystem::create_directories(XdgFolders::autostartFolder(), error);
    std::ofstream out(userEntry(), std::ios::trunc);
    out << "[Desktop Entry]\nType=Application\nName=Nimbrook\nExec=nimbrook\n"
        << "Icon=com.quolla.nimbrook\nNoDisplay=true\n"
        << (hidden ? "Hidden=true\n" : "");
    out.close();
    return !error && out.good();
}

}  // namespace nimbrook
