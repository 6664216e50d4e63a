#include "platform/xdg/XdgFolders.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include <pwd.h>
#include <unistd.h>

namespace nimbrook {
namespace {

constexpr std::string_view bundleName = "com.quolla.nimbrook";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::filesystem::path homeFolder() {
    if (auto home = environment("HOME"); !home.empty()) {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

// XDG variables hold absolute paths; a relative one is invalid and is ignored.
std::filesystem::path absoluteOr(const std::string& value, std::filesystem::path fallback) {
    std::filesystem::path path(value);
    return path.is_absolute() ? path : fallback;
}

std::filesystem::path dataHome() {
    return absoluteOr(environment("XDG_DATA_HOME"), homeFolder() / ".local" / "share");
}

std::filesystem::path configHome() {
    return absoluteOr(environment("XDG_CONFIG_HOME"), homeFolder() / ".config");
}

// Each absolute folder of a colon-separated list, or of the fallback list when it is unset.
std::vector<std::filesystem::path> folderList(const char* variable, std::string fallback) {
    auto value = environment(variable);
    if (value.empty()) {
        value = std::move(fallback);
    }
    std::vector<std::filesystem::path> folders;
    std::string_view rest = value;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::filesystem::path folder(rest.substr(0, colon));
        if (folder.is_absolute()) {
            folders.push_back(folder);
        }
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return folders;
}

}  // namespace

std::filesystem::path XdgFolders::dataFolder() {
    return dataHome() / bundleName;
}

std::filesystem::path XdgFolders::imageFolder() {
    return dataFolder() / "images";
}

std::vector<std::filesystem::path> XdgFolders::spoolFolders() {
    std::vector<std::filesystem::path> folders;
    if (const std::filesystem::path runtime(environment("XDG_RUNTIME_DIR"));
        runtime.is_absolute()) {
        folders.push_back(runtime);
    }
    folders.push_back(absoluteOr(environment("TMPDIR"), "/tmp"));
    return folders;
}

std::vector<std::filesystem::path> XdgFolders::applicationFolders() {
    std::vector<std::filesystem::path> folders{dataHome() / "applications"};
    for (const auto& folder : folderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) {
        folders.push_back(folder / "applications");
    }
    return folders;
}

std::filesystem::path XdgFolders::configFolder() {
    return configHome() / bundleName;
}

std::filesystem::path XdgFolders::autostartFolder() {
    return configHome() / "autostart";
}

std::vector<std::filesystem::path> XdgFolders::systemAutostartFolders() {
    std::vector<std::filesystem::path> folders;
    for (const auto& folder : folderList("XDG_CONFIG_DIRS", "/etc/xdg")) {
        folders.push_back(folder / "autostart");
    }
    return folders;
}

}  // namespace nimbrook
