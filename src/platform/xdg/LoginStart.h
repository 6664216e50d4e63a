#pragma once

#include <filesystem>
#include <optional>

namespace nimbrook {

// Whether the desktop starts the program at login, after the XDG autostart rules: an entry
// of the same name in the user's autostart folder overrides the system one, and one marked
// Hidden=true turns it off.
class LoginStart final {
public:
    static bool isEnabled();
    // False when the user's entry could not be written or removed; nothing else changes then.
    static bool setEnabled(bool enabled);

private:
    static std::filesystem::path userEntry();
    static std::optional<std::filesystem::path> systemEntry();
    static bool isHidden(const std::filesystem::path& entry);
    static bool writeUserEntry(bool hidden);
};

}  // namespace nimbrook
