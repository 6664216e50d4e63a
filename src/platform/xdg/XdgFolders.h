#pragma once

#include <filesystem>
#include <vector>

namespace nimbrook {

// Where the program keeps its files, after the XDG base directory rules.
class XdgFolders final {
public:
    // $XDG_DATA_HOME (when absolute; else ~/.local/share) + "/com.quolla.nimbrook".
    static std::filesystem::path dataFolder();
    // dataFolder() + "/images": the captured images, kept as long as the history names them
    // (a temporary folder is emptied at boot). Private to the user, checked by the image store.
    static std::filesystem::path imageFolder();
    // Where the command line may keep a long reply for a moment: $XDG_RUNTIME_DIR (when
    // absolute), then ${TMPDIR:-/tmp}.
    static std::vector<std::filesystem::path> spoolFolders();
    // $XDG_DATA_HOME/applications first, then each of $XDG_DATA_DIRS (default
    // /usr/local/share:/usr/share) + "/applications", most important first.
    static std::vector<std::filesystem::path> applicationFolders();
    // $XDG_CONFIG_HOME (default ~/.config) + "/com.quolla.nimbrook": the program's settings.
    static std::filesystem::path configFolder();
    // $XDG_CONFIG_HOME (default ~/.config) + "/autostart": the user's login entries.
    static std::filesystem::path autostartFolder();
    // Each of $XDG_CONFIG_DIRS (default /etc/xdg) + "/autostart", most important first.
    static std::vector<std::filesystem::path> systemAutostartFolders();
};

}  // namespace nimbrook
